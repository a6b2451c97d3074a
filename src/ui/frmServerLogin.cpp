#include "ui/frmServerLogin.h"

#include <QComboBox>
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

const QString kSslMode = QStringLiteral("sslmode");
const QString kCaFile = QStringLiteral("sslrootcert");

QString settingOf(const ServerSettings& settings, const QString& keyword) {
    for (const auto& [key, value] : settings) {
        if (key == keyword) {
            return value;
        }
    }
    return {};
}

// Replaces the setting in place, adds it at the end, or removes it when value is empty.
void setSetting(ServerSettings& settings, const QString& keyword, const QString& value) {
    for (qsizetype i = 0; i < settings.size(); ++i) {
        if (settings[i].first == keyword) {
            if (value.isEmpty()) {
                settings.removeAt(i);
            } else {
                settings[i].second = value;
            }
            return;
        }
    }
    if (!value.isEmpty()) {
        settings.append({keyword, value});
    }
}

bool verifies(const QString& mode) {
    return mode == QLatin1String("verify-full") || mode == QLatin1String("verify-ca");
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
    cboServerSslMode = new QComboBox(this);
    cboServerSslMode->setObjectName("cboServerSslMode");
    cboServerSslMode->addItems({"prefer", "require", "verify-full"});
    const QString mode = settingOf(initial.settings, kSslMode);
    if (!mode.isEmpty() && cboServerSslMode->findText(mode) < 0) {
        cboServerSslMode->addItem(mode);
    }
    cboServerSslMode->setCurrentText(mode.isEmpty() ? QStringLiteral("prefer") : mode);
    cboServerSslMode->setToolTip("prefer: encrypted when the server offers it; require: "
                                 "encrypted or not at all; verify-full: encrypted, to a server "
                                 "whose certificate, signed by the CA file, names this host");
    txtServerCaFile = makeField("txtServerCaFile", settingOf(initial.settings, kCaFile), this);
    txtServerCaFile->setPlaceholderText("for verify-full; else ~/.postgresql/root.crt");
    form->addRow("Encryption:", cboServerSslMode);
    form->addRow("CA file:", txtServerCaFile);
    layout->addLayout(form);

    auto* note = new QLabel("Leave the password empty when it is kept in ~/.pgpass or "
                            "PGPASSWORD. A password typed here is used until the program "
                            "ends; once it connects, the program offers to remember it in the "
                            "desktop's keyring, never in a file.",
                            this);
    note->setObjectName("lblServerPassword");
    note->setWordWrap(true);
    layout->addWidget(note);

    // The address's other settings (client certificates, timeout) have no box here; they
    // stay as they are.
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

    for (QLineEdit* box : {txtServerHost, txtServerDatabase, txtServerUser, txtServerCaFile}) {
        connect(box, &QLineEdit::textChanged, this, &frmServerLogin::updateConnect);
    }
    connect(cboServerSslMode, &QComboBox::currentTextChanged, this, &frmServerLogin::updateConnect);
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
    const QString mode = cboServerSslMode->currentText();
    // prefer is libpq's own default: an address that did not name a mode keeps naming none.
    const bool named = !settingOf(initial_.settings, kSslMode).isEmpty();
    setSetting(result.login.settings, kSslMode,
               mode == QLatin1String("prefer") && !named ? QString() : mode);
    setSetting(result.login.settings, kCaFile, txtServerCaFile->text().trimmed());
    return result;
}

void frmServerLogin::updateConnect() {
    const ServerLoginAnswer filled = answer();
    const bool complete = !filled.login.host.isEmpty() && !filled.login.database.isEmpty() &&
                          !filled.login.user.isEmpty();
    const QString problem = complete ? serverLoginProblem(filled.login) : QString();
    // Without a CA file of its own, a verifying mode takes libpq's ~/.postgresql/root.crt.
    txtServerCaFile->setEnabled(verifies(cboServerSslMode->currentText()) ||
                                !txtServerCaFile->text().isEmpty());
    lblServerProblem->setText(problem);
    lblServerProblem->setVisible(!problem.isEmpty());
    cmdConnect->setEnabled(complete && problem.isEmpty());
}
