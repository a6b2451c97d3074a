#include "app/EndSignals.h"

#include "readings/ReadingsFixture.h"
#include "ui/QtPrompter.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <optional>

namespace {

const QString kId = QStringLiteral("120541001");

struct IgnoredEndSignals {
    IgnoredEndSignals() {
        for (int i = 0; i < 3; ++i) {
            previous[i] = std::signal(kSignals[i], SIG_IGN);
        }
    }
    ~IgnoredEndSignals() {
        for (int i = 0; i < 3; ++i) {
            std::signal(kSignals[i], previous[i]);
        }
    }
    static constexpr int kSignals[3] = {SIGTERM, SIGHUP, SIGINT};
    void (*previous[3])(int) = {};
};

bool ignored(int signal) {
    struct sigaction now {};
    sigaction(signal, nullptr, &now);
    return now.sa_handler == SIG_IGN;
}

} // namespace

TEST(EndSignalsTest, EachEndSignalIsToldOnTheEventLoopAndTheHandlerBeforeComesBack) {
    const IgnoredEndSignals before;
    {
        EndSignals ends;
        ASSERT_TRUE(ends.listening());
        EXPECT_FALSE(EndSignals().listening()) << "one object at a time takes the signals";
        int told = 0;
        QObject::connect(&ends, &EndSignals::endRequested, [&told] { ++told; });
        for (const int signal : IgnoredEndSignals::kSignals) {
            const int expected = told + 1;
            std::raise(signal);
            EXPECT_TRUE(QTest::qWaitFor([&] { return told == expected; }, 5000)) << signal;
            EXPECT_FALSE(ignored(signal));
        }
    }
    for (const int signal : IgnoredEndSignals::kSignals) {
        EXPECT_TRUE(ignored(signal)) << signal;
    }
    EndSignals again;
    EXPECT_TRUE(again.listening()) << "the signals can be taken again";
}

class EndSignalsWindowTest : public ReadingsTest {};

// As the program runs: a dialog opened over the window without waiting for it, a question asked
// over that, and the end signal sent while the question is open.
TEST_F(EndSignalsWindowTest, AnEndSignalAnswersTheQuestionAsEscapeClosesTheDialogThenTheWindow) {
    addSensors({kId});
    addReadings(kId, {QDateTime(QDate(2026, 12, 1), QTime(10, 0))});
    openOnReadings();
    window->show();
    page().txtChannel[2]->setText("4.5");
    auto* dialog = new QDialog(window.get());
    bool windowShownAtDialogsEnd = false;
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [&] { windowShownAtDialogsEnd = window->isVisible(); });
    dialog->open();

    std::optional<MsgAnswer> answer;
    QtPrompter prompting(window.get());
    Prompter& asking = prompting;
    QTimer::singleShot(0, window.get(), [&] {
        QTimer::singleShot(0, [] { std::raise(SIGTERM); });
        answer =
            asking.message("Delete", "Delete the sensor?", MsgIcon::Question, MsgButtons::YesNo);
    });
    // The loop would wait for the window to be closed by hand, were the signal not taken.
    QTimer::singleShot(10000, window.get(), [] { QCoreApplication::exit(2); });
    EXPECT_EQ(runUntilEnded(*window), 0);

    EXPECT_EQ(answer, MsgAnswer::No) << "never the go-ahead";
    EXPECT_TRUE(windowShownAtDialogsEnd) << "the dialog is closed on its own, first";
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(stored(kId, kId + " 2026/12/01 10:00:00", "Channel3").toString(), "4.50");
    window.reset();
}
