#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

// The review grid: one row per logger line, the first 15 fields as text and the Append mark
// in the last column (DatasheetModel::MarkRole, drawn by MarkDelegate). Without lines the
// grid shows "No Readings" as its only heading.
class LoggerGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kAppendColumn = 15;

    explicit LoggerGridModel(QObject* parent = nullptr);

    void fill(QVector<QStringList> rows, QVector<bool> marks);
    void clear();
    // Turns the Append mark of the row over; other cells are left alone.
    void toggle(const QModelIndex& index);

    const QVector<QStringList>& rows() const { return rows_; }
    const QVector<bool>& marks() const { return marks_; }
    static QStringList headings();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QVector<QStringList> rows_;
    QVector<bool> marks_;
};
