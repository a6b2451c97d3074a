#include "site/PlanPage.h"

#include "readings/GridExport.h"
#include "site/DxfReader.h"
#include "site/PlanView.h"
#include "store/Clock.h"
#include "store/DbError.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Desktop.h"
#include "ui/FailureMessages.h"
#include "ui/PdfFile.h"
#include "ui/Prompter.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMap>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {
const QString kPlanTitle = QStringLiteral("Site Plan");
const QString kPictureFilter =
    QStringLiteral("Plans (*.dxf *.png *.jpg *.jpeg *.bmp *.tif *.tiff)");
constexpr int kLevelRole = Qt::UserRole;

QIcon alarmIcon(int alarm) {
    QPixmap square(10, 10);
    square.fill(alarm >= 2 ? QColor(0xE5, 0x39, 0x35) : QColor(0xFF, 0xB3, 0x00));
    return QIcon(square);
}

// "x y easting northing" as four numbers.
std::optional<std::pair<QPointF, QPointF>> pointPair(const QString& text) {
    const QStringList parts = QString(text).replace(',', ' ').split(' ', Qt::SkipEmptyParts);
    if (parts.size() != 4) {
        return std::nullopt;
    }
    double v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].toDouble(&ok);
        if (!ok) {
            return std::nullopt;
        }
    }
    return std::make_pair(QPointF(v[0], v[1]), QPointF(v[2], v[3]));
}
} // namespace

PlanPage::PlanPage(AppState& state, const AppContext& context, QWidget* parent)
    : QWidget(parent), state_(state), context_(context) {
    setObjectName("pagePlan");
    cboPlanLevel = new QComboBox(this);
    cboPlanLevel->setObjectName("cboPlanLevel");
    cboPlanLevel->setMinimumContentsLength(18);
    cboPlanLevel->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmdPlanLoad = new QPushButton("Load Plan...", this);
    cmdPlanLoad->setObjectName("cmdPlanLoad");
    cmdPlanFit = new QPushButton("Fit to Level", this);
    cmdPlanFit->setObjectName("cmdPlanFit");
    cmdPlanPng = new QPushButton("Export PNG", this);
    cmdPlanPng->setObjectName("cmdPlanPng");
    cmdPlanPdf = new QPushButton("Export PDF", this);
    cmdPlanPdf->setObjectName("cmdPlanPdf");
    lblPlanFile = new QLabel(this);
    lblPlanFile->setObjectName("lblPlanFile");
    viewPlan = new PlanView(this);
    lstPlanLayers = new QListWidget(this);
    lstPlanLayers->setObjectName("lstPlanLayers");
    lblUnplaced = new QLabel("Not on the plan:", this);
    lblUnplaced->setObjectName("lblUnplaced");
    lstUnplaced = new QListWidget(this);
    lstUnplaced->setObjectName("lstUnplaced");

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Level:", this));
    top->addWidget(cboPlanLevel);
    top->addWidget(cmdPlanLoad);
    top->addWidget(lblPlanFile, 1);
    top->addWidget(cmdPlanFit);
    top->addWidget(cmdPlanPng);
    top->addWidget(cmdPlanPdf);
    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel("Layers:", this));
    side->addWidget(lstPlanLayers, 1);
    side->addWidget(lblUnplaced);
    side->addWidget(lstUnplaced, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(viewPlan, 1);
    body->addLayout(side);
    lstPlanLayers->setMaximumWidth(200);
    lstUnplaced->setMaximumWidth(200);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addLayout(top);
    page->addLayout(body, 1);

    connect(cboPlanLevel, &QComboBox::activated, this,
            [this](int index) { showLevel(cboPlanLevel->itemData(index, kLevelRole).toString()); });
    connect(cmdPlanLoad, &QPushButton::clicked, this, &PlanPage::cmdPlanLoad_Click);
    connect(cmdPlanFit, &QPushButton::clicked, viewPlan, &PlanView::fitToLevel);
    connect(cmdPlanPng, &QPushButton::clicked, this, &PlanPage::cmdPlanPng_Click);
    connect(cmdPlanPdf, &QPushButton::clicked, this, &PlanPage::cmdPlanPdf_Click);
    connect(lstPlanLayers, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        viewPlan->setLayerVisible(lstPlanLayers->row(item), item->checkState() == Qt::Checked);
    });
    connect(viewPlan, &PlanView::sensorClicked, this, [this](const QString& id) {
        if (sensorClicked) {
            sensorClicked(id);
        }
    });
    connect(viewPlan, &PlanView::sensorActivated, this, [this](const QString& id) {
        if (sensorActivated) {
            sensorActivated(id);
        }
    });
}

void PlanPage::tell(const QString& text) {
    context_.prompter->message(kOmbrevaultTitle, text, MsgIcon::Exclamation);
}

void PlanPage::setMarkers(const QList<PlanMarker>& markers) {
    markers_ = markers;
    fillLevels();
    if (level_.isEmpty() || cboPlanLevel->findData(level_, kLevelRole) < 0) {
        level_ = cboPlanLevel->count() > 0 ? cboPlanLevel->itemData(0, kLevelRole).toString()
                                           : QString();
    }
    cboPlanLevel->setCurrentIndex(cboPlanLevel->findData(level_, kLevelRole));
    readPlan();
    draw();
}

void PlanPage::fillLevels() {
    // Each level's sensors in amber and red, the level named as the register writes it.
    QMap<QString, std::pair<int, int>> levels;
    for (const PlanMarker& m : markers_) {
        auto& counts = levels[m.level];
        counts.first += m.alarm == 1 ? 1 : 0;
        counts.second += m.alarm >= 2 ? 1 : 0;
    }
    cboPlanLevel->clear();
    for (auto it = levels.cbegin(); it != levels.cend(); ++it) {
        const auto [amber, red] = it.value();
        QStringList alarms;
        if (red > 0) {
            alarms << QStringLiteral("%1 red").arg(red);
        }
        if (amber > 0) {
            alarms << QStringLiteral("%1 amber").arg(amber);
        }
        const QString name = it.key().isEmpty() ? QStringLiteral("(no level)") : it.key();
        const QString text =
            alarms.isEmpty() ? name : QStringLiteral("%1  (%2)").arg(name, alarms.join(", "));
        if (alarms.isEmpty()) {
            cboPlanLevel->addItem(text, it.key());
        } else {
            cboPlanLevel->addItem(alarmIcon(red > 0 ? 2 : 1), text, it.key());
        }
    }
}

QString PlanPage::currentLevel() const {
    return level_;
}

void PlanPage::showLevel(const QString& level) {
    level_ = level;
    cboPlanLevel->setCurrentIndex(cboPlanLevel->findData(level, kLevelRole));
    readPlan();
    draw();
}

void PlanPage::readPlan() {
    if (!state_.db || !state_.db->isOpen() || level_.isEmpty()) {
        plan_ = LoadedPlan();
        problem_.clear();
        readKey_.clear();
        return;
    }
    try {
        // A drawing is read again only when another one was stored since.
        const std::optional<QString> storedAt = planStoredAt(*state_.db, level_);
        const QString key = level_ + '\n' + storedAt.value_or(QString());
        if (key == readKey_) {
            return;
        }
        plan_ = LoadedPlan();
        problem_.clear();
        readKey_ = key;
        const std::optional<StoredPlan> stored =
            storedAt ? ::readPlan(*state_.db, level_) : std::nullopt;
        if (stored) {
            plan_ = loadStoredPlan(*stored, &problem_);
        }
    } catch (const DbError& e) {
        plan_ = LoadedPlan();
        readKey_.clear();
        ErrorLog{state_.dataFolder, context_.clock}.report(e, " G_ReadPlan");
        tell("The plan of " + level_ + " could not be read:\r\n" + e.description());
    }
}

QList<PlanMarker> PlanPage::levelMarkers() const {
    QList<PlanMarker> level;
    for (const PlanMarker& m : markers_) {
        if (m.level == level_) {
            level << m;
        }
    }
    return level;
}

QSet<int> PlanPage::hiddenLayers() const {
    QSet<int> hidden;
    for (int i = 0; i < lstPlanLayers->count(); ++i) {
        if (lstPlanLayers->item(i)->checkState() != Qt::Checked) {
            hidden.insert(i);
        }
    }
    return hidden;
}

void PlanPage::draw() {
    fillLayers();
    if (!problem_.isEmpty()) {
        lblPlanFile->setText(problem_);
    } else if (plan_.isEmpty()) {
        lblPlanFile->setText(level_.isEmpty() ? QString()
                                              : QStringLiteral("No plan for this level"));
    } else {
        QString text = plan_.fileName;
        if (!plan_.skipped.isEmpty()) {
            text += QStringLiteral(" (not drawn: %1)").arg(plan_.skipped.join(", "));
        }
        lblPlanFile->setText(text);
    }
    viewPlan->showPlan(plan_, levelMarkers(), {});
    fillUnplaced();
}

void PlanPage::fillLayers() {
    const QSignalBlocker quiet(lstPlanLayers);
    lstPlanLayers->clear();
    for (const QString& layer : plan_.geometry.layers) {
        auto* item = new QListWidgetItem(layer, lstPlanLayers);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

void PlanPage::fillUnplaced() {
    lstUnplaced->clear();
    const QRectF extent = plan_.extent();
    for (const PlanMarker& m : levelMarkers()) {
        if (!m.at) {
            lstUnplaced->addItem(m.instrumentId + QStringLiteral(": no position"));
        } else if (!onPlan(plan_, extent, *m.at)) {
            lstUnplaced->addItem(QStringLiteral("%1: far off the plan at %2, %3")
                                     .arg(m.instrumentId)
                                     .arg(m.at->x(), 0, 'f', 1)
                                     .arg(m.at->y(), 0, 'f', 1));
        }
    }
    lblUnplaced->setText(QStringLiteral("Not on the plan: %1").arg(lstUnplaced->count()));
}

bool PlanPage::storePicture(const QString& path, StoredPlan& stored) {
    const QString name = QFileInfo(path).fileName();
    QImage picture;
    if (!picture.loadFromData(stored.content)) {
        tell(QStringLiteral("The plan file %1 could not be read: it is neither a DXF drawing nor "
                            "a picture.\r\nThe plan of %2 is kept as it was.")
                 .arg(name, level_));
        return false;
    }
    const QString ask = QStringLiteral(
        "Point %1 of the picture %2 (%3 x %4 pixels): its pixel x and y, then its easting and "
        "northing in metres, e.g. \"120 80 15230.5 80112.0\"");
    QPointF pixel[2];
    QPointF grid[2];
    for (int i = 0; i < 2; ++i) {
        const std::optional<QString> typed = context_.prompter->input(
            kPlanTitle, ask.arg(i + 1).arg(name).arg(picture.width()).arg(picture.height()));
        if (!typed) {
            return false;
        }
        const auto pair = pointPair(*typed);
        if (!pair) {
            tell(QStringLiteral("'%1' is not four numbers.\r\nThe plan of %2 is kept as it was.")
                     .arg(*typed, level_));
            return false;
        }
        pixel[i] = pair->first;
        grid[i] = pair->second;
    }
    if (!placeByTwoPoints(pixel[0], grid[0], pixel[1], grid[1])) {
        tell(QStringLiteral("The two points do not place the picture: they must differ in pixels "
                            "and on the grid.\r\nThe plan of %1 is kept as it was.")
                 .arg(level_));
        return false;
    }
    stored.kind = PlanKind::Picture;
    stored.placement = placementText(pixel[0], grid[0], pixel[1], grid[1]);
    return true;
}

void PlanPage::cmdPlanLoad_Click() {
    if (level_.isEmpty() || !state_.db || !state_.db->isOpen()) {
        return;
    }
    const QString path = context_.prompter->openFile("Load Plan of " + level_, kPictureFilter);
    if (path.isEmpty()) {
        return;
    }
    const QString name = QFileInfo(path).fileName();
    StoredPlan stored;
    stored.level = level_;
    stored.fileName = name;
    stored.storedAt = context_.clock->now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (path.endsWith(QLatin1String(".dxf"), Qt::CaseInsensitive)) {
        const DxfReadResult read = readDxfFile(path);
        if (!read.plan) {
            tell(read.problem + "\r\nThe plan of " + level_ + " is kept as it was.");
            return;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            tell(QStringLiteral("The plan file %1 could not be read: %2.")
                     .arg(name, file.errorString()));
            return;
        }
        stored.content = file.readAll();
        stored.kind = PlanKind::Dxf;
    } else {
        QFile file(path);
        if (file.size() > kMaxDxfBytes || !file.open(QIODevice::ReadOnly)) {
            tell(QStringLiteral("The plan file %1 could not be read: %2.")
                     .arg(name, file.size() > kMaxDxfBytes ? QStringLiteral("it is too large")
                                                           : file.errorString()));
            return;
        }
        stored.content = file.readAll();
        if (!storePicture(path, stored)) {
            return;
        }
    }
    try {
        const std::optional<StoredPlan> previous = ::readPlan(*state_.db, level_);
        if (previous &&
            context_.prompter->message(
                kPlanTitle,
                QStringLiteral("%1 has the plan %2, stored %3.\r\nReplace "
                               "it with %4 for everyone?")
                    .arg(level_, previous->fileName, previous->storedAt, name),
                MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No) != MsgAnswer::Yes) {
            return;
        }
        storePlan(*state_.db, stored);
    } catch (const DbError& e) {
        ErrorLog{state_.dataFolder, context_.clock}.report(e, " G_StorePlan");
        tell("The plan of " + level_ + " was not stored:\r\n" + e.description());
        return;
    }
    readKey_.clear();
    readPlan();
    draw();
}

QString PlanPage::exportPath(const QString& extension) const {
    const QString folder = exportFolder(state_.dataFolder);
    QDir().mkpath(folder);
    QString level = level_;
    level.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9 ._-]")), QStringLiteral("_"));
    const QString base = kPlanTitle + ' ' + level +
                         context_.clock->now().toString(QStringLiteral(" yyyy-MM-dd HH.mm.ss"));
    QString path = QDir(folder).filePath(base + extension);
    for (int n = 2; QFileInfo::exists(path); ++n) {
        path = QDir(folder).filePath(QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(extension));
    }
    return path;
}

void PlanPage::cmdPlanPng_Click() {
    const QString path = exportPath(QStringLiteral(".png"));
    QImage image(1600, 1100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintLevelPlan(painter, QRectF(20, 20, 1560, 1060), plan_, levelMarkers(), hiddenLayers());
    }
    if (!image.save(path, "PNG")) {
        tell("The plan picture " + path + " was not written.");
        return;
    }
    if (!context_.desktop->open(path)) {
        tellNotOpened(*context_.prompter, "picture viewer", "picture", path);
    }
}

void PlanPage::cmdPlanPdf_Click() {
    const QString path = exportPath(QStringLiteral(".pdf"));
    try {
        writePdfFile(path, QStringLiteral("The plan"), [&](QPdfWriter& writer) {
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageOrientation(QPageLayout::Landscape);
            writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
            writer.setTitle(kPlanTitle + ' ' + level_);
            // Markers keep their size in device pixels: at this resolution they print about
            // 3 mm across, as on screen.
            writer.setResolution(120);
            QPainter painter(&writer);
            const QRect page = painter.viewport();
            QFont font = painter.font();
            font.setPointSizeF(11);
            painter.setFont(font);
            const int heading = painter.fontMetrics().height() * 2;
            painter.drawText(
                QRect(0, 0, page.width(), heading), Qt::AlignLeft | Qt::AlignVCenter,
                QStringLiteral("%1 - %2 - %3")
                    .arg(level_, plan_.fileName,
                         context_.clock->now().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))));
            paintLevelPlan(painter, QRectF(0, heading, page.width(), page.height() - heading),
                           plan_, levelMarkers(), hiddenLayers());
        });
    } catch (const DbError& e) {
        tell(e.description());
        return;
    }
    if (!context_.desktop->open(path)) {
        tellNotOpened(*context_.prompter, "PDF viewer", "document", path);
    }
}
