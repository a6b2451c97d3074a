#pragma once

#include "triggers/SiteStatus.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

// The rows of the site status as the table, its sorting, the export and the print read them:
// the texts of siteStatusCells under their headings, the state's colour behind the State cell
// and the overdue colour behind the Days and Overdue cells of an overdue sensor.
class SiteStatusModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The value a cell sorts by: numbers as numbers (none for an empty cell), the state by its
    // rank, the text otherwise.
    static constexpr int SortRole = Qt::UserRole;
    // True on every cell of a destroyed sensor's row.
    static constexpr int ApartRole = Qt::UserRole + 2;

    explicit SiteStatusModel(QObject* parent = nullptr);

    void setRows(const QList<SiteStatusRow>& rows);
    const QList<SiteStatusRow>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<SiteStatusRow> rows_;
    QList<QStringList> cells_;
    QStringList headings_;
};

// Sorts the site status by SortRole, empty numbers before every number and texts without
// regard to case; destroyed sensors stay below the judged ones whichever way it is sorted.
class SiteStatusSort : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};
