// Takes the pictures of the user manual: the program's own windows, run off screen on a
// generated sample register, saved as PNG files for resources/manual.
#include "app/frmQuorvelle.h"
#include "charts/ChartPage.h"
#include "logger/frmTrovData.h"
#include "readings/ReadingsPage.h"
#include "readings/frmBatchDel.h"
#include "readings/frmDatasheet.h"
#include "reports/frmReport.h"
#include "sensors/IdentificationPage.h"
#include "site/PlanPage.h"
#include "store/Clock.h"
#include "store/DbError.h"
#include "store/ServerLocation.h"
#include "tools/SampleData.h"
#include "triggers/ComparePage.h"
#include "triggers/SiteStatusPage.h"
#include "triggers/SiteViews.h"
#include "ui/AppContext.h"
#include "ui/ClickableLabel.h"
#include "ui/Desktop.h"
#include "ui/Prompter.h"
#include "ui/frmServerLogin.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <limits>

namespace {
const char kUsage[] = "usage: quorvelle_manual_pictures <output-folder>\n"
                      "Runs Quorvelle's windows off screen on a sample register and writes the\n"
                      "manual's pictures into <output-folder> as PNG files.\n";

// The pictures are printed about 17 cm wide: this width keeps them sharp and small.
constexpr int kPictureWidth = 860;

// The sample register ends here, and the program's clock stands here.
const QDateTime kEnd(QDate(2026, 6, 30), QTime(15, 0), Qt::UTC);

class StillClock : public Clock {
public:
    QDateTime now() const override { return kEnd; }
};

// Answers every box as its default button would, and offers one file to open.
class DefaultPrompter : public Prompter {
public:
    MsgAnswer message(const QString&, const QString&, MsgIcon, MsgButtons buttons,
                      std::optional<MsgAnswer> defaultButton) override {
        if (defaultButton) {
            return *defaultButton;
        }
        return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
                                                                                  : MsgAnswer::Ok;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QString openFile(const QString&, const QString&, const QString&) override { return file; }
    QString file;
};

class NoDesktop : public Desktop {
public:
    bool open(const QString&) override { return true; }
};

// Lets the windows lay themselves out as they would on screen.
void settle() {
    for (int i = 0; i < 4; ++i) {
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }
}

// The picture in its 256 most frequent colours, every other colour taken to the nearest of
// them: windows are drawn in few colours, so this keeps them sharp at a fraction of the size.
QImage withFewColours(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            ++counts[line[x]];
        }
    }
    QVector<QPair<int, QRgb>> byCount;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        byCount.append({it.value(), it.key()});
    }
    std::sort(byCount.begin(), byCount.end(), std::greater<>());
    QVector<QRgb> palette;
    for (qsizetype i = 0; i < std::min<qsizetype>(256, byCount.size()); ++i) {
        palette.append(byCount[i].second);
    }
    const auto nearest = [&palette](QRgb colour) {
        int best = 0;
        int bestDistance = std::numeric_limits<int>::max();
        for (int i = 0; i < palette.size(); ++i) {
            const int dr = qRed(colour) - qRed(palette[i]);
            const int dg = qGreen(colour) - qGreen(palette[i]);
            const int db = qBlue(colour) - qBlue(palette[i]);
            const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        return best;
    };
    QHash<QRgb, int> index;
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    indexed.setColorTable(palette);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            auto found = index.constFind(line[x]);
            if (found == index.cend()) {
                found = index.insert(line[x], nearest(line[x]));
            }
            out[x] = static_cast<uchar>(found.value());
        }
    }
    return indexed;
}

bool save(QWidget* widget, const QString& folder, const QString& name) {
    settle();
    const QImage shot = widget->grab().toImage();
    const QImage scaled = shot.width() > kPictureWidth
                              ? shot.scaledToWidth(kPictureWidth, Qt::SmoothTransformation)
                              : shot;
    return withFewColours(scaled).save(QDir(folder).filePath(name), "PNG", 9);
}

template <typename Window> Window* opened(QWidget* owner) {
    settle();
    return owner->findChild<Window*>();
}

// A logger download of the shown sensor: a day of hourly readings and one garbled line.
QString writeLoggerFile(const QString& folder, const QString& instrumentId, int nodes) {
    const QString path = QDir(folder).filePath(instrumentId + ".txt");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return {};
    }
    QTextStream out(&file);
    for (int hour = 0; hour < 24; ++hour) {
        const QDateTime at = kEnd.addDays(1).addSecs(hour * 3600);
        out << at.toString("yyyy/MM/dd HH:mm:ss") << ",T12," << instrumentId.mid(4, 2) << ","
            << instrumentId.right(3) << "," << QString::number(15.8 + 0.1 * (hour % 5), 'f', 2);
        for (int n = 0; n < 10; ++n) {
            out << ",";
            if (n < nodes) {
                out << QString::number(20.0 + 4.5 * n + 0.01 * hour, 'f', 3);
            }
        }
        out << ",\r\n";
        if (hour == 2) {
            // A line the logger garbled, which the review window shows as unreadable.
            out << "\"2026/07/01 02:30:00,T12,\r\n";
        }
    }
    return path;
}
} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1 || args[0].startsWith('-')) {
        err << kUsage;
        return 2;
    }
    const QString output = args[0];
    QTemporaryDir data;
    if (!QDir().mkpath(output) || !data.isValid()) {
        err << "cannot write into " << output << "\n";
        return 1;
    }

    SampleOptions options;
    options.end = kEnd;
    options.days = 400;
    options.readingsPerDay = 2;
    options.hourlySensors = 0;
    const QVector<SampleSensor> sensors = sampleSensors(options);
    try {
        writeSampleDatabase(data.path(), options);
    } catch (const DbError& e) {
        err << "Err #" << e.number() << ": " << e.description() << "\n";
        return 1;
    }
    // A four-node sensor with its head at the collar shows every part of the windows.
    SampleSensor shown = sensors.first();
    for (const SampleSensor& s : sensors) {
        if (s.nodeCount == 4 && s.headAtCollar) {
            shown = s;
            break;
        }
    }

    DefaultPrompter prompter;
    NoDesktop desktop;
    StillClock clock;
    frmQuorvelle window(AppContext{data.path(), &prompter, &desktop, &clock});
    window.show();
    window.Form_Load();
    QComboBox* sensorList = window.identification->cboSensors;
    const int index = sensorList->findText(shown.instrumentId);
    sensorList->setCurrentIndex(index);
    emit sensorList->activated(index);

    bool ok = true;
    const QStringList tabPictures{"identification.png", "installation.png", "readings.png",
                                  "disp-time.png",      "disp-length.png",  "load-time.png",
                                  "load-length.png",    "utilities.png",    "site-status.png"};
    for (int tab = 0; tab < tabPictures.size(); ++tab) {
        window.SSTab1->setCurrentIndex(tab);
        ok = save(&window, output, tabPictures[tab]) && ok;
    }
    // The plan of the first level that holds a red or amber sensor.
    if (window.siteStatus->siteViews != nullptr) {
        window.siteStatus->siteViews->optSitePlan->click();
        PlanPage* plan = window.siteStatus->planPage;
        for (int i = 0; i < plan->cboPlanLevel->count(); ++i) {
            if (!plan->cboPlanLevel->itemIcon(i).isNull()) {
                plan->showLevel(plan->cboPlanLevel->itemData(i).toString());
                break;
            }
        }
        ok = save(&window, output, "site-plan.png") && ok;
        window.siteStatus->siteViews->optSiteTable->click();
    }

    // The time chart draws its level lines within the axis for the sensor that reached red.
    const auto* events = window.findChild<QTableView*>("tblTriggerEvents");
    const int redIndex = events != nullptr && events->model()->rowCount() > 0
                             ? sensorList->findText(events->model()->index(0, 1).data().toString())
                             : -1;
    if (redIndex >= 0) {
        window.SSTab1->setCurrentIndex(0);
        sensorList->setCurrentIndex(redIndex);
        emit sensorList->activated(redIndex);
        window.SSTab1->setCurrentIndex(3);
        ok = save(&window, output, "disp-time.png") && ok;
        // The same sensor's rate of each node, with its rate levels.
        for (ChartPage* chart : window.findChildren<ChartPage*>()) {
            if (chart->kind() == ChartPage::Kind::DispTime) {
                chart->rateOption()->setChecked(true);
                ok = save(&window, output, "disp-rate.png") && ok;
                chart->displacementOption()->setChecked(true);
            }
        }
        window.SSTab1->setCurrentIndex(0);
        sensorList->setCurrentIndex(index);
        emit sensorList->activated(index);
    }

    // The amber and red sensors compared on one chart.
    window.SSTab1->setCurrentIndex(8);
    SiteStatusPage& status = *window.siteStatus;
    QTableView* table = status.tblSiteStatus;
    table->clearSelection();
    for (int r = 0; r < table->model()->rowCount(); ++r) {
        const QString state = table->model()->index(r, ColState).data().toString();
        if (state == QLatin1String("Red") || state == QLatin1String("Amber")) {
            table->selectionModel()->select(table->model()->index(r, 0),
                                            QItemSelectionModel::Select |
                                                QItemSelectionModel::Rows);
        }
    }
    status.siteViews->optSiteCompare->click();
    ok = save(&window, output, "site-compare.png") && ok;
    status.siteViews->optSiteTable->click();

    window.SSTab1->setCurrentIndex(2);
    settle();
    emit window.readings->datasheet.image->clicked();
    if (auto* sheet = opened<frmDatasheet>(&window)) {
        ok = save(sheet, output, "datasheet.png") && ok;
        sheet->reject();
    }
    emit window.readings->deleteBatch.image->clicked();
    if (auto* deletion = opened<frmBatchDel>(&window)) {
        ok = save(deletion, output, "batch-delete.png") && ok;
        deletion->reject();
    }
    emit window.readings->report.image->clicked();
    if (auto* chooser = opened<frmReport>(&window)) {
        ok = save(chooser, output, "report.png") && ok;
        chooser->hide();
    }
    prompter.file = writeLoggerFile(data.path(), shown.instrumentId, shown.nodeCount);
    window.readings->cboTrovInt->setCurrentText("8");
    emit window.readings->imgAddTrovData->clicked();
    if (auto* review = opened<frmTrovData>(&window)) {
        ok = save(review, output, "logger-review.png") && ok;
        review->reject();
    }
    settle();

    // The site server dialog as an engineer fills it in; the password is left to ~/.pgpass.
    ServerLogin login;
    login.host = "mine-server";
    login.port = 5432;
    login.database = "quorvelle";
    login.user = "engineer";
    frmServerLogin serverLogin(login, &window);
    serverLogin.setWindowTitle("Site Server");
    serverLogin.show();
    ok = save(&serverLogin, output, "server-login.png") && ok;
    serverLogin.reject();
    settle();
    if (!ok) {
        err << "some pictures could not be written into " << output << "\n";
        return 1;
    }
    return 0;
}
