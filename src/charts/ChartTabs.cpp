#include "charts/ChartTabs.h"

#include "charts/ChartPage.h"
#include "charts/ChartWidget.h"
#include "charts/GraphBatch.h"
#include "charts/GraphData.h"
#include "charts/Loads.h"
#include "charts/ScaleSelector.h"
#include "revisions/RevisionStore.h"
#include "store/Guard.h"
#include "ui/AppState.h"
#include "ui/TabPage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QVBoxLayout>
#include <optional>

namespace {
GraphVariant variantOf(int tab) {
    return (tab == 3 || tab == 5) ? GraphVariant::Time : GraphVariant::Length;
}

QString textOf(const QWidget* root, const QString& name) {
    const auto* box = root->findChild<QLineEdit*>(name);
    return box != nullptr ? box->text() : QString();
}

bool checkedOf(const QWidget* root, const QString& name, bool otherwise) {
    const auto* button = root->findChild<QAbstractButton*>(name);
    return button != nullptr ? button->isChecked() : otherwise;
}
} // namespace

FormGeometry formGeometryOf(const QWidget* root) {
    FormGeometry g;
    g.headAtCollar = checkedOf(root, "Option1", true);
    for (int i = 0; i < 8; ++i) {
        g.anchorTexts[i] = textOf(root, QStringLiteral("txtRelSGanchor%1").arg(i + 1));
    }
    g.headText = textOf(root, "txtHead");
    g.recessText = textOf(root, "txtRecess");
    g.lengthOfCableText = textOf(root, "txtLengthofCable");
    g.kvalText = textOf(root, "txtkval");
    g.plate = checkedOf(root, "chkPlate", false);
    return g;
}

ChartTabs::ChartTabs(AppState& state, const AppContext& context, const QVector<TabPage*>& tabs,
                     std::function<FormGeometry()> form)
    : state_(state), context_(context), form_(std::move(form)), tabs_(tabs), pages_(tabs.size()),
      selector_(new ScaleSelector(tabs[0])) {
    // Until a chart page takes it in, the selector waits hidden on the first chart tab.
    selector_->hide();
}

ChartPage* ChartTabs::page(int tab) {
    ChartPage*& page = pages_[tab - 3];
    if (page == nullptr) {
        const ChartPage::Kind kinds[] = {ChartPage::Kind::DispTime, ChartPage::Kind::DispLength,
                                         ChartPage::Kind::LoadTime, ChartPage::Kind::LoadLength};
        TabPage* holder = tabs_[tab - 3];
        page = new ChartPage(kinds[tab - 3], context_, holder);
        auto* layout = new QVBoxLayout(holder);
        layout->setContentsMargins(4, 4, 4, 4);
        layout->addWidget(page);
        // Built while its tab is on screen, the page is shown at once.
        page->show();
        if (QCheckBox* since = page->sinceInstallation()) {
            since->setChecked(rezeroView_ == RezeroView::SinceInstallation);
            QObject::connect(since, &QCheckBox::toggled, page, [this, tab](bool checked) {
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
                        batch(tab);
                        draw(tab);
                    }
                });
            });
        }
    }
    return page;
}

ChartTabSteps ChartTabs::steps(int tab) {
    return {[this, tab] { prepare(tab); }, [this, tab] { batch(tab); },
            [this, tab] { page(tab)->chart()->show(); }, [this, tab] { draw(tab); }};
}

void ChartTabs::prepare(int tab) {
    // One selector serves all four charts; it goes with the chart on screen.
    page(tab)->adoptScaleSelector(selector_);
    page(tab)->chart()->setFocus();
    page(tab)->chart()->hide();
}

void ChartTabs::batch(int tab) {
    const FormGeometry g = form_();
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
        const bool loads = tab == 5 || tab == 6;
        runGraphBatch(*state_.db, id, variantOf(tab), loads, geometry, log);
    });
    if (lost) {
        throw *lost;
    }
}

GraphSensor ChartTabs::sensor() const {
    const FormGeometry g = form_();
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
    }
    return s;
}

GraphInput ChartTabs::readInput(int tab) const {
    GraphInput input;
    input.sensor = sensor();
    const ErrorLog log{state_.dataFolder, context_.clock};
    guarded(log, " Module1_OpenGraphData", [&] {
        input.rows = readGraphRows(*state_.db, input.sensor.instrumentId, variantOf(tab));
    });
    return input;
}

void ChartTabs::draw(int tab) {
    GraphInput input;
    input.sensor = sensor();
    try {
        input.rows = readGraphRows(*state_.db, input.sensor.instrumentId, variantOf(tab));
    } catch (const DbError& e) {
        // A chart of no rows would show an empty time axis from 1970.
        ErrorLog{state_.dataFolder, context_.clock}.report(e, " Module1_OpenGraphData");
        page(tab)->chart()->hide();
        throw;
    }
    page(tab)->draw(input);
}

GraphInput ChartTabs::chartInput(int tab) {
    batch(tab);
    return readInput(tab);
}
