#pragma once

#include "readings/DatasheetData.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

// The datasheet's cells over the rows read in one query. Data columns hold texts; the two
// mark columns hold a mark (MarkRole) and whatever text was typed into them.
class DatasheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int MarkRole = Qt::UserRole + 1;

    explicit DatasheetModel(QObject* parent = nullptr);

    // A grid of t + 5 columns over these rows.
    void setSheet(int typeDigit, QVector<DatasheetRow> rows);
    // The grid of a sensor without readings: "No Readings" in the heading cell, nothing else.
    void setNoReadings();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    bool isMarkColumn(int column) const;
    int temporalColumn() const { return typeDigit_ + 3; }
    QString text(const QModelIndex& index) const;
    void setText(const QModelIndex& index, const QString& text);
    // Turns a mark cell's picture over; other cells are left alone. True when it was a mark.
    bool toggleMark(const QModelIndex& index);
    void checkAllTemporal();

    const QVector<DatasheetRow>& rows() const { return rows_; }
    // Texts of the whole grid, heading row first; the mark cells are empty.
    QVector<QStringList> gridTexts() const;

private:
    int typeDigit_ = 0;
    QStringList headings_;
    QVector<DatasheetRow> rows_;
};
