#pragma once

#include "app/frmQuorvelle.h"
#include "support/ScriptedPrompter.h"
#include "support/ServerDatabase.h"
#include "support/TempDataFolder.h"
#include "ui/AppContext.h"

#include <QStringList>
#include <memory>

// A data folder with a new default database, and the main window built on it in-process.
// On the server engine the location file names a new server database holding the register
// instead; a test that cannot get its server is skipped.
class MainWindowTest : public TempDataFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The engine the register is on; suites of both engines take it from their parameter.
    virtual Engine engine() const { return Engine::File; }
    bool onServer() const { return engine() == Engine::Server; }

    // The default database file of the data folder.
    QString dbPath() const;
    // Where the register the window opens is: dbPath(), or the server database's URI.
    QString location() const;
    // Adds Sensors rows (type from the number's 5th and 6th characters) and their tables.
    void addSensors(const QStringList& ids);
    // Builds the main window; prompts during start-up are recorded in prompter.
    frmQuorvelle& open();
    void closeWindow();
    // Queues the answers that make "Change Database Location" choose the register again.
    void queueChoosingTheRegister();
    // Runs a statement, or reads one value, on the register through a connection of the
    // test's own.
    void exec(const QString& sql, const QVariantList& params = {});
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    // How a column's value is stored in the row "rest" (FROM ... WHERE ...) selects: null,
    // text, real or integer on a file; null or the column's type on a server.
    QString valueType(const QString& column, const QString& rest, const QVariantList& params = {});
    AppContext context();

    ScriptedPrompter prompter;
    RecordingDesktop desktop;
    RecordingNotifier notifier;
    std::unique_ptr<frmQuorvelle> window;
    std::unique_ptr<ServerDatabase> server_;
};

// A main-window suite run once on a database file and once on a server register
// (INSTANTIATE_ON_BOTH_ENGINES). A derived SetUp returns when IsSkipped() after the base's.
template <class Base>
class OnBothEngines : public Base, public ::testing::WithParamInterface<Engine> {
protected:
    Engine engine() const override { return GetParam(); }
};
