#include "app/frmSplash.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

QString versionText() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(QUORVELLE_VERSION_MAJOR)
        .arg(QUORVELLE_VERSION_MINOR)
        .arg(QUORVELLE_VERSION_PATCH);
}

frmSplash::frmSplash(QWidget* parent) : QDialog(parent) {
    setObjectName("frmSplash");
    setWindowTitle("About Quorvelle");
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* logo = new QLabel(this);
    logo->setPixmap(QPixmap(":/logo.svg"));
    logo->setAlignment(Qt::AlignCenter);
    layout->addWidget(logo);

    auto* product = new QLabel("Quorvelle VARLO_MM", this);
    product->setObjectName("lblProductName");
    QFont big = product->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    product->setFont(big);
    product->setAlignment(Qt::AlignCenter);
    layout->addWidget(product);

    lblVersion = new QLabel(versionText(), this);
    lblVersion->setObjectName("lblVersion");
    lblVersion->setAlignment(Qt::AlignCenter);
    layout->addWidget(lblVersion);

    auto* contact = new QLabel("Borehole displacement sensor register and charts\n"
                               "Ombrevault Instruments - support and calibration",
                               this);
    contact->setObjectName("lblCompany");
    contact->setAlignment(Qt::AlignCenter);
    layout->addWidget(contact);

    Command1 = new QPushButton("OK", this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    layout->addWidget(Command1, 0, Qt::AlignCenter);
    connect(Command1, &QPushButton::clicked, this, &QDialog::hide);
}
