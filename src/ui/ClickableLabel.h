#pragma once

#include <QLabel>

// A label that acts as a button: the image commands and their caption labels.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickableLabel(const QString& objectName, QWidget* parent = nullptr);

    // Lets Tab reach the label and Enter or Space run it, with a focus frame drawn around it;
    // an image command's picture takes it, its caption stays a mouse target.
    void makeKeyboardCommand();

    // Shows the picture resource scaled to size. It is drawn when the label is first shown, so
    // the commands of tabs not yet entered cost nothing at start-up; a pixmap set before then
    // stays.
    void setPicture(const QString& resource, int size);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void drawPicture();

    QString picture_;
    int pictureSize_ = 0;
};

// A picture resource scaled to fit size × size; each is drawn once a run.
QPixmap scaledPicture(const QString& resource, int size);

// An image command with its caption label; both run the same command.
struct ImageCommand {
    ClickableLabel* image;
    ClickableLabel* caption;
};

// Builds an image command from a picture resource, side by side or with the caption below.
ImageCommand makeImageCommand(QWidget* parent, const QString& imageName, const QString& captionName,
                              const QString& caption, const QString& picture, int size = 32);
