#pragma once

#include "ui/AppContext.h"
#include "app/frmQuorvelle.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDataFolder.h"

#include <QStringList>
#include <memory>

// A data folder with a new default database, and the main window built on it in-process.
class MainWindowTest : public TempDataFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;

    QString dbPath() const;
    // Adds Sensors rows (type from the number's 5th and 6th characters) and their tables.
    void addSensors(const QStringList& ids);
    // Builds the main window; prompts during start-up are recorded in prompter.
    frmQuorvelle& open();
    void closeWindow();
    // Runs a statement, or reads one value, on the default database through a connection of
    // the test's own.
    void exec(const QString& sql, const QVariantList& params = {});
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    AppContext context();

    ScriptedPrompter prompter;
    RecordingDesktop desktop;
    std::unique_ptr<frmQuorvelle> window;
};
