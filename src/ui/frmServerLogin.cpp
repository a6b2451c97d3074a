#include "ui/frmServerLogin.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
QLineEdit* makeField(const QString& name, const QString& text, QWidget* parent) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setMinimumWidth(260);
    return box;
}
} // namespace

frmServerLogin::frmServerLogin(const ServerLogin& initial, QWidget* parent)
    : QDialog(parent), initial_(initial) {
    setObjectName("frmServerLogin");
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel("The site server keeps one register for every engineer of the "
                             "site. Ask the site administrator for these details.",
                             this);
    intro->setObjectName("lblServerIntro");
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* form = new QFormLayout;
    txtServerHost = makeField("txtServerHost", initial.host, this);
    txtServerPort = new QSpinBox(this);
    txtServerPort->setObjectName("txtServerPort");
    txtServerPort->setRange(1, 65535);
    txtServerPort->setValue(initial.port);
    txtServerDatabase = makeField("txtServerDatabase", initial.database, this);
    txtServerUser = makeField("txtServerUser", initial.user, this);
    txtServerPassword = makeField("txtServerPassword", QString(), this);
    txtServerPassword->setEchoMode(QLineEdit::Password);
    form->addRow("Host:", txtServerHost);
    form->addRow("Port:", txtServerPort);
    form->addRow("Database:", txtServerDatabase);
    form->addRow("User:", txtServerUser);
    form->addRow("Password:", txtServerPassword);
    layout->addLayout(form);

    auto* note = new QLabel("Leave the password empty when it is kept in ~/.pgpass or "
                            "PGPASSWORD. A password typed here is used until the program "
                            "ends and is never saved.",
                            this);
    note->setObjectName("lblServerPassword");
    note->setWordWrap(true);
    layout->addWidget(note);

    // The address's own settings (TLS, timeout) have no box here; they stay as they are.
    QStringList settings;
    for (const auto& [keyword, value] : initial.settings) {
        settings << keyword + '=' + value;
    }
    auto* kept = new QLabel("Kept from the server's address: " + settings.join(", "), this);
    kept->setObjectName("lblServerSettings");
    kept->setWordWrap(true);
    kept->setVisible(!settings.isEmpty());
    layout->addWidget(kept);

    lblServerProblem = new QLabel(this);
    lblServerProblem->setObjectName("lblServerProblem");
    lblServerProblem->setWordWrap(true);
    layout->addWidget(lblServerProblem);

    auto* buttons = new QDialogButtonBox(this);
    cmdConnect = buttons->addButton("Connect", QDialogButtonBox::AcceptRole);
    cmdConnect->setObjectName("cmdConnect");
    cmdConnect->setDefault(true);
    cmdCancel = buttons->addButton(QDialogButtonBox::Cancel);
    cmdCancel->setObjectName("cmdCancel");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    for (QLineEdit* box : {txtServerHost, txtServerDatabase, txtServerUser}) {
        connect(box, &QLineEdit::textChanged, this, &frmServerLogin::updateConnect);
    }
    updateConnect();
}

ServerLoginAnswer frmServerLogin::answer() const {
    ServerLoginAnswer result;
    result.login = initial_;
    result.login.host = txtServerHost->text().trimmed();
    result.login.port = txtServerPort->value();
    result.login.database = txtServerDatabase->text().trimmed();
    result.login.user = txtServerUser->text().trimmed();
    result.password = txtServerPassword->text();
    return result;
}

void frmServerLogin::updateConnect() {
    const ServerLoginAnswer filled = answer();
    const bool complete = !filled.login.host.isEmpty() && !filled.login.database.isEmpty() &&
                          !filled.login.user.isEmpty();
    const QString problem = complete ? serverLoginProblem(filled.login) : QString();
    lblServerProblem->setText(problem);
    lblServerProblem->setVisible(!problem.isEmpty());
    cmdConnect->setEnabled(complete && problem.isEmpty());
}
