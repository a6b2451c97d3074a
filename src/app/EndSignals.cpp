#include "app/EndSignals.h"

#include "app/frmQuorvelle.h"

#include <QApplication>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> kEndSignals = {SIGTERM, SIGHUP, SIGINT};

// The handler may only write to a descriptor: the byte wakes the event loop, which does the rest.
// The socket never blocks: with its buffer full of signals not yet read, one more is no news.
int writeEnd = -1;
int readEnd = -1;
std::array<struct sigaction, kEndSignals.size()> previous{};

extern "C" void onEndSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = saved;
}

// More dialogs than are ever open over one another.
constexpr int kMostDialogs = 16;

// The dialogs opened over the window without waiting for them (the datasheet, say) are closed
// topmost first, each as its close button would, so that each stores what it holds; then the
// window. A dialog that refuses to close leaves the others above the window.
void closeAfterEnd(frmQuorvelle& window) {
    for (int left = kMostDialogs; left > 0; --left) {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || dialog == &window || !dialog->close()) {
            break;
        }
    }
    if (window.isVisible()) {
        window.close();
    }
}

} // namespace

EndSignals::EndSignals(QObject* parent) : QObject(parent) {
    std::array<int, 2> ends{};
    if (readEnd != -1 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends.data()) != 0) {
        return;
    }
    writeEnd = ends[0];
    readEnd = ends[1];
    struct sigaction action {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
        sigaction(kEndSignals[i], &action, &previous[i]);
    }
    notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &EndSignals::take);
}

EndSignals::~EndSignals() {
    if (notifier_ == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
        sigaction(kEndSignals[i], &previous[i], nullptr);
    }
    delete notifier_;
    ::close(writeEnd);
    ::close(readEnd);
    writeEnd = -1;
    readEnd = -1;
}

void EndSignals::take() {
    std::array<char, 16> bytes{};
    if (::read(readEnd, bytes.data(), bytes.size()) > 0) {
        emit endRequested();
    }
}

int runUntilEnded(frmQuorvelle& window) {
    EndSignals ends;
    bool ended = false;
    QObject::connect(&ends, &EndSignals::endRequested, &window, [&ended] {
        ended = true;
        QCoreApplication::exit(0);
    });
    const int status = QApplication::exec();
    if (ended) {
        closeAfterEnd(window);
    }
    return status;
}
