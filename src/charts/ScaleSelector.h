#pragma once

#include <QWidget>

class QComboBox;
class QLabel;

// The value-axis scale selector shared by the four charts: the caption lblscale and the
// editable combo cboScale. The main window owns it; the chart page on screen takes it in.
class ScaleSelector : public QWidget {
    Q_OBJECT
public:
    explicit ScaleSelector(QWidget* parent = nullptr);

    QString text() const;
    QComboBox* combo() const { return combo_; }

signals:
    // An item was chosen or a typed text was confirmed.
    void scaleChanged(const QString& text);

private:
    void announce();

    QLabel* caption_;
    QComboBox* combo_;
    QString announced_;
};
