#pragma once

#include "store/Compaction.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

struct AppState;
struct AppContext;
class UtilitiesPage;
class QProgressDialog;
class QWidget;

// The progress of a compaction: a modal dialog without Cancel (a compaction is atomic and runs
// to its end), made and shown when the compaction starts and kept painted while it runs.
class CompactionDialog {
public:
    CompactionDialog(QWidget* parent, const QString& name);
    ~CompactionDialog();

    CompactionProgress progress();
    QProgressDialog* dialog() const { return dialog_.get(); }

private:
    void step();

    QWidget* parent_;
    QString name_;
    std::unique_ptr<QProgressDialog> dialog_;
    QElapsedTimer sinceUpdate_;
};

// Compacts the file under need behind a CompactionDialog; returns whether it compacted.
bool compactWithDialog(QWidget* parent, const QString& path, CompactionNeed need);

// "Compact Database" of the Utilities tab: compacts the database file in use, with the
// connection closed for it, and reconnects to it.
class CompactCommands : public QObject {
    Q_OBJECT
public:
    // reconnect closes what is open and opens the location given; it returns false when the
    // program must end.
    CompactCommands(AppState& state, const AppContext& context, UtilitiesPage& utilities,
                    std::function<bool(const QString&)> reconnect, QObject* parent = nullptr);

    void cmdCompact_Click();

private:
    AppState& state_;
    const AppContext& context_;
    UtilitiesPage& utilities_;
    std::function<bool(const QString&)> reconnect_;
};
