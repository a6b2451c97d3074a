#pragma once

#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QPushButton;

// "SensorData Deletion": the user's choice of which readings to delete. The buttons are the
// confirmation; the window only records the choice and closes.
class frmBatchDel : public QDialog {
    Q_OBJECT
public:
    // Both calendars start on today.
    frmBatchDel(const QDate& today, QWidget* parent = nullptr);

    QCalendarWidget* DelStart;
    QCalendarWidget* DelEnd;
    QPushButton* OKButton;
    QPushButton* cmdSingleDel;
    QPushButton* Command1;
    QPushButton* CancelButton;

    bool BatchDelete = false;
    bool SingleDelete = false;
    bool DeleteAll = false;
    QDate DeleteStartDate;
    QDate DeleteEndDate;

private:
    void OKButton_Click();
    void cmdSingleDel_Click();
    void Command1_Click();
};
