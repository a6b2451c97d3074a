#pragma once

#include "checks/ReadingChecks.h"
#include "logger/LoggerFile.h"

#include <QAbstractTableModel>
#include <QBitArray>
#include <QHash>
#include <QStringList>
#include <functional>
#include <memory>

// The review grid: one row per logger line, the first 15 fields as text and the Append mark
// in the last column (DatasheetModel::MarkRole, drawn by MarkDelegate). Rows are read from the
// staged copy as the view shows them; the marks are a bit per row. A line that cannot be read
// shows its text in the first column and, in place of a mark, a sign that it is not
// appended. Without lines the grid shows "No Readings" as its only heading.
class LoggerGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kFirstChannelColumn = 5;
    static constexpr int kAppendColumn = 15;

    explicit LoggerGridModel(QObject* parent = nullptr);
    ~LoggerGridModel() override;

    void fill(LoggerStage stage);
    void clear();
    // Turns the Append mark of the row over; other cells and unreadable rows are left alone.
    void toggle(const QModelIndex& index);

    const LoggerStage& stage() const { return stage_; }
    const QBitArray& marks() const { return marks_; }
    qsizetype markedCount() const { return marks_.count(true); }
    bool unreadable(int row) const;
    static QStringList headings();

    // What the checks find in a line, from its fields. A line whose date is no moment is
    // marked red, the cells the other findings name amber, and every cell of the line tells
    // them in its tooltip. Set again when the date order changes.
    using LineCheck = std::function<QList<ReadingFlag>(const QStringList& fields)>;
    void setLineCheck(LineCheck check);
    QList<ReadingFlag> lineFlags(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const QStringList& fieldsOf(int row) const;
    QVariant checkData(int row, int column, int role) const;

    LoggerStage stage_;
    QBitArray marks_;
    std::unique_ptr<LoggerRowReader> reader_;
    mutable int cachedRow_ = -1;
    mutable QStringList cachedFields_;
    LineCheck check_;
    // The findings of the lines shown so far.
    mutable QHash<int, QList<ReadingFlag>> checked_;
};
