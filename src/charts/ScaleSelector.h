#pragma once

#include <QWidget>

class QComboBox;
class QLabel;

// The value-axis scale selector shared by the four charts: the caption lblscale and the
// editable combo cboScale. The main window owns it; the chart page on screen takes it in.
// A choice is read when a chart is next drawn; choosing does not redraw.
class ScaleSelector : public QWidget {
    Q_OBJECT
public:
    explicit ScaleSelector(QWidget* parent = nullptr);

    QString text() const;
    QComboBox* combo() const { return combo_; }

private:
    QLabel* caption_;
    QComboBox* combo_;
};
