#include "app/ServerCommands.h"
#include "store/Connection.h"
#include "store/DataFolder.h"
#include "store/RegisterCopy.h"
#include "support/MainWindowFixture.h"
#include "support/ServerDatabase.h"
#include "ui/Keyring.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QSettings>

namespace {
// A keyring that keeps its passwords in memory, or that the desktop lacks.
class FakeKeyring : public Keyring {
public:
    std::optional<QString> password(const QString& account) override {
        ++reads;
        return kept.contains(account) ? std::optional<QString>(kept.value(account)) : std::nullopt;
    }
    bool store(const QString& account, const QString& password) override {
        if (!present) {
            return false;
        }
        kept.insert(account, password);
        return true;
    }
    void forget(const QString& account) override { kept.remove(account); }

    bool present = true;
    int reads = 0;
    QMap<QString, QString> kept;
};

// Every file under the folder that holds the text.
QStringList filesHolding(const QString& folder, const QByteArray& text) {
    QStringList found;
    QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text)) {
            found << file.fileName();
        }
    }
    return found;
}

class RememberPasswordTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        server = std::make_unique<ServerDatabase>();
        if (!server->available()) {
            GTEST_SKIP() << server->reason().toStdString();
        }
        Connection db;
        db.open(server->uri());
        createServerRegister(db, dbPath());
    }
    // The window, with the fake keyring in its context.
    void openWithKeyring() {
        window = std::make_unique<frmQuorvelle>(context());
        window->servers->setKeyring(&fake);
        window->Form_Load();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        Connection::setServerPassword({});
    }
    ServerLoginAnswer typedLogin() const {
        return {{server->host(), server->port(), server->name(), server->user()}, password};
    }

    std::unique_ptr<ServerDatabase> server;
    FakeKeyring fake;
    // The password typed: the test server's own, which the program is never given otherwise
    // than typed (a server that checks none takes any).
    const QString password = qEnvironmentVariable("PGPASSWORD", QStringLiteral("Typ3d-only-here"));
};

TEST_F(RememberPasswordTest, ARememberedPasswordGoesToTheKeyringAndIntoNoFile) {
    openWithKeyring();
    prompter.clear();
    prompter.serverLogins.enqueue(typedLogin());
    prompter.answers.enqueue(MsgAnswer::Yes);
    window->servers->chooseServer();
    ASSERT_FALSE(prompter.calls.isEmpty());
    EXPECT_EQ(prompter.messageTexts().value(0),
              "Remember the password of " + server->user() + " on " + server->name() + " on " +
                  server->host() + ":" + QString::number(server->port()) +
                  " in the desktop's keyring?");
    const QString account =
        keyringAccount(server->user(), server->host(), server->port(), server->name());
    EXPECT_EQ(fake.kept.value(account), password);
    closeWindow();

    // The next start reads it from the keyring for the login the location file names.
    fake.reads = 0;
    openWithKeyring();
    EXPECT_EQ(fake.reads, 1);
    closeWindow();
    QSettings("Ombrevault", "Quorvelle").sync();
    EXPECT_TRUE(filesHolding(folder(), password.toUtf8()).isEmpty())
        << filesHolding(folder(), password.toUtf8()).join(", ").toStdString();
    EXPECT_TRUE(filesHolding(QFileInfo(QSettings("Ombrevault", "Quorvelle").fileName()).path(),
                             password.toUtf8())
                    .isEmpty());
    EXPECT_FALSE(QFile(locationFilePath(folder())).open(QIODevice::ReadOnly) &&
                 QFile(locationFilePath(folder())).readAll().contains(password.toUtf8()));
}

TEST_F(RememberPasswordTest, WithoutAKeyringTheUserIsToldAboutPgpassAndNothingIsKept) {
    fake.present = false;
    openWithKeyring();
    prompter.clear();
    prompter.serverLogins.enqueue(typedLogin());
    prompter.answers.enqueue(MsgAnswer::Yes);
    window->servers->chooseServer();
    EXPECT_TRUE(fake.kept.isEmpty());
    ASSERT_GE(prompter.messageTexts().size(), 2);
    EXPECT_TRUE(prompter.messageTexts()[1].contains("~/.pgpass"))
        << prompter.messageTexts()[1].toStdString();
    EXPECT_FALSE(prompter.messageTexts().join(" ").contains(password));
    EXPECT_TRUE(filesHolding(folder(), password.toUtf8()).isEmpty());
}
} // namespace
