#pragma once

#include "checks/ReadingChecks.h"
#include "readings/DatasheetData.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <QVector>
#include <functional>

// The datasheet's cells over its rows. Data columns hold texts, read block by block the first
// time a row is asked for; the two mark columns hold a mark (MarkRole) and whatever text was
// typed into them.
class DatasheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int MarkRole = Qt::UserRole + 1;
    // Rows whose cell texts are read together when one of them is first asked for.
    static constexpr int BlockRows = 256;
    // Reads the cell texts of rows first .. first + count - 1 that are not loaded yet; a
    // failure raises DbError.
    using CellLoader = std::function<void(QVector<DatasheetRow>& rows, int first, int count)>;

    explicit DatasheetModel(QObject* parent = nullptr);

    // A grid of t + 5 columns over these rows; cells not loaded are read through loader.
    void setSheet(int typeDigit, QVector<DatasheetRow> rows, CellLoader loader = {});
    // The grid of a sensor without readings: "No Readings" in the heading cell, nothing else.
    void setNoReadings();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    bool isMarkColumn(int column) const;
    int temporalColumn() const { return typeDigit_ + 3; }
    // The cell's text, its row read first when needed (a failing read raises DbError).
    QString text(const QModelIndex& index) const;
    void setText(const QModelIndex& index, const QString& text);
    // Turns a mark cell's picture over; other cells are left alone. True when it was a mark.
    bool toggleMark(const QModelIndex& index);
    void checkAllTemporal();
    // The heading cell that is current (Tab goes there from the last cell), drawn
    // highlighted; -1 when a data cell is current.
    void setCurrentHeading(int column);
    int currentHeading() const { return currentHeading_; }

    // The checks' findings and the rejected readings (with what the rejection says), by
    // reading key: a flagged cell is drawn amber, a rejected reading grey, and every cell of
    // such a reading tells why in its tooltip.
    void setChecks(QHash<QString, QList<ReadingFlag>> flags, QHash<QString, QString> rejected);
    // The reading key of a row; empty when it cannot be read.
    QString keyAt(int row) const;
    bool isRejected(int row) const { return rejected_.contains(keyAt(row)); }

    const QVector<DatasheetRow>& rows() const { return rows_; }
    // Texts of the whole grid, heading row first; the mark cells are empty. Reads every row
    // not loaded yet.
    QVector<QStringList> gridTexts() const;

private:
    // Reads the block holding row when its cells are not loaded yet.
    void load(int row) const;

    // The cell a flag marks: its channel's column, the temperature's for a reading's own
    // temperature, the key and date columns for its date.
    bool marks(const ReadingFlag& flag, int column) const;
    QVariant checkData(const QModelIndex& index, int role) const;

    int typeDigit_ = 0;
    int currentHeading_ = -1;
    QHash<QString, QList<ReadingFlag>> flags_;
    QHash<QString, QString> rejected_;
    QStringList headings_;
    // Filled in as rows come into view, hence mutable.
    mutable QVector<DatasheetRow> rows_;
    CellLoader loader_;
};
