#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;
class ClickableLabel;
class DatasheetModel;
struct AppState;
struct AppContext;
struct ErrorLog;

// "Quorvelle DataSheet": every reading of the current sensor in a grid, where channel values
// are corrected key by key and plot marks set; the grid is stored when the window closes,
// and only when something was changed. Opens without waiting; closing (finished) stores the
// grid and reopens the readings on the remembered reading.
class frmDatasheet : public QDialog {
    Q_OBJECT
public:
    frmDatasheet(AppState& state, const AppContext& context, QWidget* parent = nullptr);

    QLabel* lblHeader;
    QTableView* MSFlexGrid1;
    QPushButton* Command1;
    // Rejects the current reading, or restores it when it is rejected, with a reason.
    QPushButton* cmdReject;
    ClickableLabel* Image1;
    QLabel* img_x_on;
    QLabel* img_x_off;

    bool SheetDirty = false;
    DatasheetModel& model() { return *model_; }

    bool PopulateFlexGrid();
    void MSFlexGrid1_Click(const QModelIndex& index);
    void MSFlexGrid1_KeyPress(int key);
    void Command1_Click();
    void cmdReject_Click();
    void Image1_Click();
    void Read_Values_From_Grid();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void setColumnWidths();
    // Gives the grid the sensor's flags and rejections as stored.
    void showChecks();
    ErrorLog log() const;

    AppState& state_;
    const AppContext& context_;
    DatasheetModel* model_;
    QString instrumentId_;
    int typeDigit_ = 0;
};
