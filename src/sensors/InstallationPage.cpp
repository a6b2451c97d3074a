#include "sensors/InstallationPage.h"

#include "sensors/TemperatureCorrectionBlock.h"
#include "site/PositionBlock.h"
#include "triggers/TriggerLevelsBlock.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kTwipsPerPixel = 15;
constexpr int kBoxHeight = 26;
constexpr int kAnchorWidth = 80;

// Positions in twips, as the page was designed: node 1 nearest the head.
constexpr int kCollarHeadTop = 8800;
constexpr int kCollarAnchorLeft = 9000;
constexpr int kCollarAnchorTops[8] = {7900, 7265, 6630, 5995, 5360, 4725, 4090, 3455};
constexpr int kToeHeadTop = 3190;
constexpr int kToeAnchorLeft = 8800;
constexpr int kToeAnchorTops[8] = {4170, 4805, 5440, 6075, 6710, 7345, 7980, 8615};

// The picture spans the heights of the anchor boxes; its drawing is made for this place.
const QRect kPictureArea(330, 190, 250, 490);

int px(int twips) {
    return twips / kTwipsPerPixel;
}

// The borehole picture with the cable from the head to the farthest node and an anchor at each
// node, each drawn level with the box that gives its distance (heights in page pixels).
QPixmap boreholePicture(const QPixmap& background, int headY, const QVector<int>& anchorYs) {
    QPixmap picture = background;
    if (picture.isNull()) {
        return picture;
    }
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const int axis = 104;
    const auto inPicture = [](int y) { return y - kPictureArea.top() + kBoxHeight / 2; };
    const int head = inPicture(headY);
    const int farthest = anchorYs.isEmpty() ? head : inPicture(anchorYs.last());
    // The cable leaves the head's box (20 px, drawn in the background) on the anchors' side.
    const int headEdge = head + (farthest < head ? -10 : 10);
    if (!anchorYs.isEmpty()) {
        painter.setPen(QPen(QColor(0x22, 0x22, 0x22), 2, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(axis, headEdge, axis, farthest);
    }
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    for (int i = 0; i < anchorYs.size(); ++i) {
        const int y = inPicture(anchorYs[i]);
        painter.setPen(QPen(QColor(0x1c, 0x4a, 0x73), 1));
        painter.setBrush(QColor(0x2e, 0x6d, 0xa4));
        painter.drawPolygon(
            QPolygon({{axis - 9, y + 5}, {axis + 9, y + 5}, {axis + 5, y - 5}, {axis - 5, y - 5}}));
        painter.drawText(QRect(40, y - 8, 40, 16), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(i + 1));
        painter.setPen(QPen(QColor(0x2e, 0x6d, 0xa4), 1, Qt::DashLine));
        painter.drawLine(axis + 12, y, kPictureArea.width() - 2, y);
    }
    return picture;
}

// The borehole diagram (option caption, heading, picture, head and anchor boxes) keeps the
// places it was designed at, between the installation column and the right-hand column.
constexpr int kDiagramLeft = 330;
constexpr int kDiagramRight = 800;
constexpr int kLeftColumnWidth = 296;
constexpr int kPageMargin = 16;

QLineEdit* row(const QString& label, const QString& name, QWidget* parent, QGridLayout& rows) {
    auto* caption = new QLabel(label, parent);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    const int at = rows.rowCount();
    rows.addWidget(caption, at, 0);
    rows.addWidget(edit, at, 1);
    return edit;
}
} // namespace

InstallationPage::InstallationPage(QWidget* parent) : TabPage(parent) {
    setObjectName("pageInstallation");
    columns = new QHBoxLayout(this);
    columns->setContentsMargins(kPageMargin, kPageMargin, kPageMargin, kPageMargin);
    columns->setSpacing(0);
    leftColumn = new QVBoxLayout;
    rightColumn = new QVBoxLayout;
    buildInstallation();
    buildGeometry();
    columns->addLayout(leftColumn);
    columns->addSpacing(kDiagramRight - kPageMargin - kLeftColumnWidth);
    columns->addLayout(rightColumn, 1);
    arrangeForHead(true);
}

void InstallationPage::buildInstallation() {
    auto* idRow = new QHBoxLayout;
    auto* idCaption = new QLabel("Instrument ID:", this);
    idCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtSensor2 = new QLineEdit(this);
    txtSensor2->setObjectName("txtSensor2");
    txtSensor2->setReadOnly(true);
    txtSensor2->setFixedWidth(156);
    idRow->addWidget(idCaption);
    idRow->addWidget(txtSensor2);
    leftColumn->addLayout(idRow);

    auto* frame = new QGroupBox("Installation:", this);
    frame->setObjectName("fraInstallation");
    frame->setFixedWidth(kLeftColumnWidth);
    auto* rows = new QGridLayout(frame);
    txtLevel = row("Level:", "txtLevel", frame, *rows);
    txtLocation = row("Location:", "txtLocation", frame, *rows);
    txtBorehole = row("Borehole:", "txtBorehole", frame, *rows);
    txtInstallDate = row("Install Date:", "txtInstallDate", frame, *rows);
    txtInstallDate->setPlaceholderText("yyyy/mm/dd");
    txtInstallBy = row("Installed By:", "txtInstallBy", frame, *rows);
    txtPurpose = row("Purpose:", "txtPurpose", frame, *rows);
    lblNotes = new QLabel("Notes:", frame);
    lblNotes->setObjectName("lblNotes");
    rows->addWidget(lblNotes, rows->rowCount(), 0, 1, 2);
    txtNotes = new QLineEdit(frame);
    txtNotes->setObjectName("txtNotes");
    rows->addWidget(txtNotes, rows->rowCount(), 0, 1, 2);
    leftColumn->addSpacing(12);
    leftColumn->addWidget(frame);
    leftColumn->addStretch(1);
}

void InstallationPage::buildGeometry() {
    lbloption = new QLabel(this);
    lbloption->setObjectName("lbloption");
    lbloption->setGeometry(kDiagramLeft, 24, kDiagramRight - kDiagramLeft, 28);
    lbloption->setStyleSheet("font-weight: bold; font-size: 11pt;");

    auto* heading = new QLabel("Node Location Relative to Roof Line (m):", this);
    heading->setObjectName("lblAnchorHeading");
    heading->setGeometry(kDiagramLeft, 64, kDiagramRight - kDiagramLeft, 24);
    heading->setStyleSheet("font-weight: bold;");

    imgCollar = new QLabel(this);
    imgCollar->setObjectName("imgCollar");
    imgCollar->hide();
    imgToe = new QLabel(this);
    imgToe->setObjectName("imgToe");
    imgToe->hide();
    imgHead = new QLabel(this);
    imgHead->setObjectName("imgHead");
    imgHead->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    imgHead->setGeometry(kPictureArea);

    txtHead = new QLineEdit(this);
    txtHead->setObjectName("txtHead");
    txtHead->setReadOnly(true);
    headCaption = new QLabel("Sensor head", this);
    for (int i = 1; i <= 8; ++i) {
        auto* anchor = new QLineEdit(this);
        anchor->setObjectName(QStringLiteral("txtRelSGanchor%1").arg(i));
        anchor->setReadOnly(true);
        txtRelSGanchor << anchor;
        anchorCaptions << new QLabel(QStringLiteral("Node %1").arg(i), this);
    }

    auto* recessFrame = new QGroupBox("Sensor Head:", this);
    recessFrame->setObjectName("fraRecess");
    auto* recessRow = new QHBoxLayout(recessFrame);
    auto* recessCaption = new QLabel("Recess:", recessFrame);
    recessCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtRecess = new QLineEdit(recessFrame);
    txtRecess->setObjectName("txtRecess");
    txtRecess->setFixedWidth(80);
    lblRecess = new QLabel("m protruding from hole", recessFrame);
    lblRecess->setObjectName("lblRecess");
    recessRow->addWidget(recessCaption);
    recessRow->addWidget(txtRecess);
    recessRow->addWidget(lblRecess, 1);
    rightColumn->addSpacing(94);
    rightColumn->addWidget(recessFrame);

    triggerLevels = new TriggerLevelsBlock("Trigger Levels:", QString(), 1, this);
    levelsRow = new QHBoxLayout;
    levelsRow->addWidget(triggerLevels);
    levelsRow->addStretch(1);
    rightColumn->addLayout(levelsRow);
    rightColumn->addStretch(1);

    temperatureCorrection = new TemperatureCorrectionBlock(this);
    // Under the sensor's details, above the stretch that ends the left column.
    leftColumn->insertWidget(leftColumn->count() - 1, temperatureCorrection);
    position = new PositionBlock(this);
    position->setFixedWidth(kLeftColumnWidth);
    leftColumn->insertWidget(leftColumn->count() - 1, position);

    cmdSave = new QPushButton("Save Changes", this);
    cmdSave->setObjectName("cmdSave");
    cmdSave->setMinimumSize(150, 34);
    rightColumn->addWidget(cmdSave, 0, Qt::AlignRight);
}

QString InstallationPage::enter() {
    // The two borehole pictures are drawn the first time the page is shown, not at start-up.
    if (imgCollar->pixmap().isNull()) {
        imgCollar->setPixmap(QPixmap(":/pictures/head_collar.svg"));
        imgToe->setPixmap(QPixmap(":/pictures/head_toe.svg"));
    }
    arrangeForHead(headAtCollar ? headAtCollar() : true);
    triggerLevels->load();
    temperatureCorrection->load();
    position->load();
    txtLevel->setFocus();
    return {};
}

void InstallationPage::leave() {
    triggerLevels->commit();
    temperatureCorrection->commit();
    position->commit();
    if (saveRecord) {
        saveRecord();
    }
}

FormGeometry InstallationPage::geometry() const {
    FormGeometry g = cableGeometry ? cableGeometry() : FormGeometry{};
    for (int i = 0; i < 8; ++i) {
        g.anchorTexts[i] = txtRelSGanchor[i]->text();
    }
    g.headText = txtHead->text();
    g.recessText = txtRecess->text();
    return g;
}

void InstallationPage::arrangeForHead(bool atCollar) {
    lblRecess->setText("m recess");
    lbloption->setText(atCollar ? "Option 1 and 2 - Head at Borehole Collar"
                                : "Option 3 - Head at Toe");
    const int nodes = std::clamp(nodeCount ? nodeCount() : 8, 0, 8);
    const int anchorLeft = px(atCollar ? kCollarAnchorLeft : kToeAnchorLeft);
    txtHead->setGeometry(anchorLeft, px(atCollar ? kCollarHeadTop : kToeHeadTop), kAnchorWidth,
                         kBoxHeight);
    headCaption->setGeometry(anchorLeft + kAnchorWidth + 8, txtHead->y(), 100, kBoxHeight);
    for (int i = 0; i < 8; ++i) {
        const int top = px(atCollar ? kCollarAnchorTops[i] : kToeAnchorTops[i]);
        txtRelSGanchor[i]->setGeometry(anchorLeft, top, kAnchorWidth, kBoxHeight);
        anchorCaptions[i]->setGeometry(anchorLeft + kAnchorWidth + 8, top, 80, kBoxHeight);
        txtRelSGanchor[i]->setVisible(i < nodes);
        anchorCaptions[i]->setVisible(i < nodes);
    }
    QVector<int> anchorYs;
    for (int i = 0; i < nodes; ++i) {
        anchorYs << txtRelSGanchor[i]->y();
    }
    imgHead->setPixmap(
        boreholePicture(atCollar ? imgCollar->pixmap() : imgToe->pixmap(), txtHead->y(), anchorYs));
}
