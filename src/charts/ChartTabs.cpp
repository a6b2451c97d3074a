#include "charts/ChartTabs.h"

#include "charts/ChartPage.h"
#include "charts/ChartWidget.h"
#include "charts/GraphBatch.h"
#include "charts/GraphData.h"
#include "charts/Loads.h"
#include "charts/ScaleSelector.h"
#include "checks/ReadingFlagStore.h"
#include "revisions/RevisionStore.h"
#include "store/Guard.h"
#include "ui/AppState.h"
#include "ui/TabPage.h"

#include <QCheckBox>
#include <QVBoxLayout>
#include <optional>

namespace {
constexpr ChartPage::Kind kKinds[] = {ChartPage::Kind::DispTime, ChartPage::Kind::DispLength,
                                      ChartPage::Kind::LoadTime, ChartPage::Kind::LoadLength};

int indexOf(ChartPage::Kind kind) {
    return static_cast<int>(kind);
}
} // namespace

ChartTabs::ChartTabs(AppState& state, const AppContext& context,
                     std::function<FormGeometry()> geometry)
    : state_(state), context_(context), geometry_(std::move(geometry)), pages_(4) {
    for (const ChartPage::Kind kind : kKinds) {
        auto* chartTab = new ChartTab(kind, state_, context_);
        chartTab->setSteps(steps(kind));
        tabs_ << chartTab;
    }
    // Until a chart page takes it in, the selector waits hidden on the first chart tab.
    selector_ = new ScaleSelector(tabs_[0]);
    selector_->hide();
}

ChartTab* ChartTabs::tab(ChartPage::Kind kind) const {
    return tabs_[indexOf(kind)];
}

ChartPage* ChartTabs::page(ChartPage::Kind kind) {
    ChartPage*& page = pages_[indexOf(kind)];
    if (page == nullptr) {
        ChartTab* holder = tab(kind);
        page = new ChartPage(kind, context_, holder);
        auto* layout = new QVBoxLayout(holder);
        layout->setContentsMargins(4, 4, 4, 4);
        layout->addWidget(page);
        // Built while its tab is on screen, the page is shown at once.
        page->show();
        if (QCheckBox* since = page->sinceInstallation()) {
            since->setChecked(rezeroView_ == RezeroView::SinceInstallation);
            QObject::connect(since, &QCheckBox::toggled, page, [this, kind](bool checked) {
                rezeroView_ = checked ? RezeroView::SinceInstallation : RezeroView::SinceRezero;
                for (ChartPage* other : pages_) {
                    if (other != nullptr && other->sinceInstallation() != nullptr) {
                        const QSignalBlocker quiet(other->sinceInstallation());
                        other->sinceInstallation()->setChecked(checked);
                    }
                }
                // Drawn again with the columns of the new view; a failure is logged.
                guarded(ErrorLog{state_.dataFolder, context_.clock}, " G_RezeroView", [&] {
                    if (state_.db && state_.hasCurrentSensor()) {
                        batch(kind);
                        draw(kind);
                    }
                });
            });
        }
    }
    return page;
}

ChartTabSteps ChartTabs::steps(ChartPage::Kind kind) {
    return {[this, kind] { prepare(kind); }, [this, kind] { batch(kind); },
            [this, kind] { page(kind)->chart()->show(); }, [this, kind] { draw(kind); }};
}

void ChartTabs::prepare(ChartPage::Kind kind) {
    // One selector serves all four charts; it goes with the chart on screen.
    page(kind)->adoptScaleSelector(selector_);
    page(kind)->chart()->setFocus();
    page(kind)->chart()->hide();
}

void ChartTabs::batch(ChartPage::Kind kind) {
    const FormGeometry g = geometry_();
    BatchGeometry geometry;
    geometry.headAtCollar = g.headAtCollar;
    geometry.nodeCount = state_.nodeCount();
    for (const QString& a : g.anchorTexts) {
        geometry.anchorTexts << a;
    }
    geometry.kvalText = g.kvalText;
    geometry.rezeroView = rezeroView_;
    const ErrorLog log{state_.dataFolder, context_.clock};
    std::optional<DbError> lost;
    const auto unreachable = [&](const DbError& e) {
        if (e.kind() == DbErrorKind::Unreachable) {
            lost = e;
        }
    };
    guarded(log, " G_GetTemporalData", unreachable, [&] {
        const QString id = state_.currentInstrumentId();
        runGraphBatch(*state_.db, id, tab(kind)->variant(), tab(kind)->showsLoads(), geometry, log);
    });
    if (lost) {
        throw *lost;
    }
}

GraphSensor ChartTabs::sensor() const {
    const FormGeometry g = geometry_();
    GraphSensor s;
    s.instrumentId = state_.currentInstrumentId();
    s.headAtCollar = g.headAtCollar;
    s.nodeCount = state_.nodeCount();
    s.anchorTexts = g.anchorTexts;
    s.headText = g.headText;
    s.recessText = g.recessText;
    s.lengthOfCableText = g.lengthOfCableText;
    s.plate = g.plate;
    const QStringList locations =
        loadLocations(QStringList(g.anchorTexts.begin(), g.anchorTexts.end()));
    for (int i = 0; i < 5 && i < locations.size(); ++i) {
        s.loadLocations[i] = locations[i];
    }
    s.scaleText = selector_->text();
    if (addLevels) {
        addLevels(s);
    }
    if (state_.db) {
        guarded(ErrorLog{state_.dataFolder, context_.clock}, " G_ReadRevisions", [&] {
            s.revisions = effectiveRevisions(readRevisions(*state_.db, s.instrumentId));
        });
        guarded(ErrorLog{state_.dataFolder, context_.clock}, " G_ReadFlags", [&] {
            for (const ReadingFlag& flag : readFlags(*state_.db, s.instrumentId)) {
                s.flaggedKeys.insert(flag.key);
            }
        });
    }
    return s;
}

GraphInput ChartTabs::readInput(ChartPage::Kind kind) const {
    GraphInput input;
    input.sensor = sensor();
    const ErrorLog log{state_.dataFolder, context_.clock};
    guarded(log, " Module1_OpenGraphData", [&] {
        input.rows = readGraphRows(*state_.db, input.sensor.instrumentId, tab(kind)->variant());
    });
    return input;
}

void ChartTabs::draw(ChartPage::Kind kind) {
    GraphInput input;
    input.sensor = sensor();
    try {
        input.rows = readGraphRows(*state_.db, input.sensor.instrumentId, tab(kind)->variant());
    } catch (const DbError& e) {
        // A chart of no rows would show an empty time axis from 1970.
        ErrorLog{state_.dataFolder, context_.clock}.report(e, " Module1_OpenGraphData");
        page(kind)->chart()->hide();
        throw;
    }
    page(kind)->draw(input);
}

GraphInput ChartTabs::chartInput(ChartPage::Kind kind) {
    batch(kind);
    return readInput(kind);
}
