#pragma once

#include <QLabel>

// A label that acts as a button: the image commands and their caption labels.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickableLabel(const QString& objectName, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// An image command with its caption label; both run the same command.
struct ImageCommand {
    ClickableLabel* image;
    ClickableLabel* caption;
};

// Builds an image command from a picture resource, side by side or with the caption below.
ImageCommand makeImageCommand(QWidget* parent, const QString& imageName, const QString& captionName,
                              const QString& caption, const QString& picture, int size = 32);
