#include "ui/RegisterStatus.h"

#include <QLabel>
#include <QStatusBar>

namespace {
// A long file path is shortened in the middle so that it never widens the window; the whole
// path is in the tool tip.
constexpr int kRegisterWidth = 420;

QLabel* newLabel(const char* name) {
    auto* label = new QLabel;
    label->setObjectName(QLatin1String(name));
    label->setContentsMargins(6, 0, 6, 0);
    return label;
}
} // namespace

RegisterStatus::RegisterStatus(QStatusBar& bar, QObject* parent)
    : QObject(parent), lblRegister(newLabel("lblRegister")),
      lblConnectionSecurity(newLabel("lblConnectionSecurity")),
      lblLastResult(newLabel("lblLastResult")) {
    // The result takes the room left, cut rather than widening the window.
    lblLastResult->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar.addWidget(lblLastResult, 1);
    bar.addPermanentWidget(lblRegister);
    bar.addPermanentWidget(lblConnectionSecurity);
    showNoRegister();
}

void RegisterStatus::showRegister(const RegisterIdentity& identity) {
    lblRegister->setToolTip(identity.name);
    lblRegister->setText(
        lblRegister->fontMetrics().elidedText(identity.name, Qt::ElideMiddle, kRegisterWidth));
    if (!identity.encrypted) {
        lblConnectionSecurity->clear();
        lblConnectionSecurity->hide();
        return;
    }
    lblConnectionSecurity->setText(*identity.encrypted ? QStringLiteral("encrypted")
                                                       : QStringLiteral("not encrypted"));
    lblConnectionSecurity->setToolTip(*identity.encrypted
                                          ? QStringLiteral("The connection to the site server "
                                                           "is encrypted.")
                                          : QStringLiteral("The connection to the site server "
                                                           "is not encrypted."));
    lblConnectionSecurity->show();
}

void RegisterStatus::showNoRegister() {
    lblRegister->setText(QStringLiteral("No register open"));
    lblRegister->setToolTip({});
    lblConnectionSecurity->clear();
    lblConnectionSecurity->hide();
}

void RegisterStatus::showResult(const QString& text) {
    lblLastResult->setText(text);
    lblLastResult->setToolTip(text);
}
