#include "ui/ClickableLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyleOptionFocusRect>

ClickableLabel::ClickableLabel(const QString& objectName, QWidget* parent) : QLabel(parent) {
    setObjectName(objectName);
    setCursor(Qt::PointingHandCursor);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
    QLabel::mouseReleaseEvent(event);
}

void ClickableLabel::makeKeyboardCommand() {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(toolTip());
}

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
    if (focusPolicy() != Qt::NoFocus && !event->isAutoRepeat() &&
        (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
         event->key() == Qt::Key_Enter)) {
        emit clicked();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ClickableLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) {
        return;
    }
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(QPalette::Window);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void ClickableLabel::setPicture(const QString& resource, int size) {
    picture_ = resource;
    pictureSize_ = size;
    if (isVisible()) {
        drawPicture();
    }
}

void ClickableLabel::showEvent(QShowEvent* event) {
    drawPicture();
    QLabel::showEvent(event);
}

void ClickableLabel::drawPicture() {
    if (picture_.isEmpty()) {
        return;
    }
    if (pixmap().isNull()) {
        setPixmap(scaledPicture(picture_, pictureSize_));
    }
    picture_.clear();
}

QPixmap scaledPicture(const QString& resource, int size) {
    const QString key = QStringLiteral("%1@%2").arg(resource).arg(size);
    QPixmap picture;
    if (!QPixmapCache::find(key, &picture)) {
        picture =
            QPixmap(resource).scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPixmapCache::insert(key, picture);
    }
    return picture;
}

ImageCommand makeImageCommand(QWidget* parent, const QString& imageName, const QString& captionName,
                              const QString& caption, const QString& picture, int size) {
    auto* image = new ClickableLabel(imageName, parent);
    image->setPicture(picture, size);
    image->setFixedSize(size + 4, size + 4);
    image->setAlignment(Qt::AlignCenter);
    image->setToolTip(caption);
    image->makeKeyboardCommand();
    auto* label = new ClickableLabel(captionName, parent);
    label->setText(caption);
    QObject::connect(label, &ClickableLabel::clicked, image, &ClickableLabel::clicked);
    return {image, label};
}
