#pragma once

#include "checks/ReadingChecks.h"

#include "logger/LoggerAppend.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerReadings.h"

#include <QDialog>
#include <QStringList>
#include <QVector>

class QLabel;
class QPushButton;
class QRadioButton;
class QTableView;
class LoggerGridModel;
struct AppState;
struct AppContext;

// "Import DataFiles": the staged logger lines in a grid with their Append marks, the date
// order of the file, and the append of the marked lines to the current sensor. Shown with
// open(); the caller refreshes the Readings tab when it finishes.
class frmTrovData : public QDialog {
    Q_OBJECT
public:
    // Needs a current sensor. stage: the staged lines with the marks kept by default;
    // loggerFolder: the folder whose "QV<id>.txt" moves to its backup after an append.
    frmTrovData(AppState& state, const AppContext& context, LoggerStage stage,
                const QString& loggerFolder, QWidget* parent = nullptr);

    void cmdAppend_Click();
    void MSFlexGrid1_Click(const QModelIndex& index);
    DateOrder dateOrder() const;
    LoggerGridModel& grid() { return *model_; }

    QLabel* lblHeader;
    QRadioButton* optDateFormat0;
    QRadioButton* optDateFormat1;
    QRadioButton* optDateFormat2;
    QPushButton* cmdAppend;
    // How many lines are ticked for the append, of how many.
    QLabel* lblMarked;
    QTableView* MSFlexGrid1;
    QLabel* img_x_on;
    QLabel* img_x_off;

private:
    void Form_Load(LoggerStage stage);
    void appendChecked();
    DuplicateAnswer askDuplicate(const QString& key);
    void showMarkedCount();
    // Has the grid check its lines with the date order chosen now.
    void checkLines();

    AppState& state_;
    const AppContext& context_;
    QString loggerFolder_;
    QString instrumentId_;
    int channelCount_;
    int nodeCount_;
    CheckSettings settings_;
    LoggerGridModel* model_;
};
