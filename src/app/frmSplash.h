#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about window: product, version and the maker's contact lines.
class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    QLabel* lblVersion;
    QPushButton* Command1;
};

// "Version major.minor.revision" of this build.
QString versionText();
