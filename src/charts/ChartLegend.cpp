#include "charts/ChartLegend.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QVBoxLayout>

ChartLegend::ChartLegend(const QList<QColor>& colors, QWidget* parent)
    : QWidget(parent), title_(new QLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(2);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    layout->addWidget(title_);
    for (int i = 0; i < colors.size(); ++i) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("legendEntry%1").arg(i));
        box->setIcon(QPixmap::fromImage(diamond(colors.at(i), 12)));
        box->setChecked(true);
        box->hide();
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) { emit toggled(i, on); });
        layout->addWidget(box);
        entries_ << box;
    }
    layout->addStretch(1);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void ChartLegend::setTitle(const QString& title) {
    title_->setText(title);
}

QString ChartLegend::title() const {
    return title_->text();
}

void ChartLegend::setListed(int index, bool listed) {
    QCheckBox* box = entries_.at(index);
    if (listed) {
        const QSignalBlocker quiet(box);
        box->setChecked(true);
    }
    box->setVisible(listed);
}

bool ChartLegend::isListed(int index) const {
    return !entries_.at(index)->isHidden();
}

void ChartLegend::setEntryText(int index, const QString& text) {
    entries_.at(index)->setText(text);
}

void ChartLegend::setChecked(int index, bool checked) {
    entries_.at(index)->setChecked(checked);
}

QCheckBox* ChartLegend::addLineEntry(const QString& text, const QColor& color) {
    QImage icon(16, 12, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    {
        QPainter painter(&icon);
        painter.setPen(QPen(color, 2, Qt::DashLine));
        painter.drawLine(0, 6, 16, 6);
    }
    auto* box = new QCheckBox(text, this);
    box->setObjectName(QStringLiteral("legendLevel%1").arg(lineEntries_.size()));
    box->setIcon(QPixmap::fromImage(icon));
    box->setChecked(true);
    auto* column = static_cast<QVBoxLayout*>(layout());
    // Before the stretch that closes the list.
    column->insertWidget(column->count() - 1, box);
    lineEntries_ << box;
    return box;
}

void ChartLegend::clearLineEntries() {
    qDeleteAll(lineEntries_);
    lineEntries_.clear();
}

QImage ChartLegend::diamond(const QColor& color, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color.darker(130), 1));
    painter.setBrush(color);
    const qreal h = size / 2.0;
    painter.drawPolygon(QPolygonF{{h, 0.5}, {size - 0.5, h}, {h, size - 0.5}, {0.5, h}});
    return image;
}
