#pragma once

#include <QList>
#include <QWidget>

class QCheckBox;
class QLabel;

// The legend beside a chart: a title and one check box per listed series, in series order.
// Ticking or unticking a box asks for the series to be shown or hidden.
class ChartLegend : public QWidget {
    Q_OBJECT
public:
    ChartLegend(const QList<QColor>& colors, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const;
    // Lists or removes the entry of a series; a listed entry starts ticked.
    void setListed(int index, bool listed);
    bool isListed(int index) const;
    void setEntryText(int index, const QString& text);
    void setChecked(int index, bool checked);
    QCheckBox* entry(int index) const { return entries_.at(index); }
    // Entries after the series', one per level line, with a dashed stroke for an icon; they
    // start ticked.
    QCheckBox* addLineEntry(const QString& text, const QColor& color);
    void clearLineEntries();

    // The diamond drawn for the markers and the legend entries.
    static QImage diamond(const QColor& color, int size);

signals:
    void toggled(int index, bool checked);

private:
    QLabel* title_;
    QList<QCheckBox*> entries_;
    QList<QCheckBox*> lineEntries_;
};
