#include "ui/ClickableLabel.h"

#include <QMouseEvent>
#include <QPixmap>

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

ImageCommand makeImageCommand(QWidget* parent, const QString& imageName, const QString& captionName,
                              const QString& caption, const QString& picture, int size) {
    auto* image = new ClickableLabel(imageName, parent);
    image->setPixmap(
        QPixmap(picture).scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    image->setFixedSize(size + 4, size + 4);
    image->setAlignment(Qt::AlignCenter);
    image->setToolTip(caption);
    auto* label = new ClickableLabel(captionName, parent);
    label->setText(caption);
    QObject::connect(label, &ClickableLabel::clicked, image, &ClickableLabel::clicked);
    return {image, label};
}
