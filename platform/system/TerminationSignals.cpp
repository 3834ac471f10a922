#include "platform/system/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// [0] written by the signal handler, [1] read by the event loop. Set once, before the
// handlers are installed.
int signalSockets[2] = {-1, -1};
// Set on the GUI thread when a signal's byte was read.
bool quitRequested = false;

void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    // Async-signal-safe; a full socket only means a quit is already pending.
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

void quitOnTerminationSignals()
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || signalSockets[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) != 0) {
        qWarning("termination signals cannot be watched: socketpair failed (%d)", errno);
        signalSockets[0] = signalSockets[1] = -1;
        return;
    }

    auto *notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, application);
    QObject::connect(notifier, &QSocketNotifier::activated, application, [] {
        char byte = 0;
        while (::read(signalSockets[1], &byte, 1) == 1)
            qInfo("收到终止信号 %d, 程序退出 (termination signal, quitting)", int(byte));
        quitRequested = true;
        QCoreApplication::quit();
    });

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool terminationRequested()
{
    return quitRequested;
}
