#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace parlowind {

namespace {

int s_signalSockets[2] = { -1, -1 };

// Only async-signal-safe work here: one byte into the socket.
void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(s_signalSockets[0], &byte, 1);
}

} // namespace

void quitOnTerminationSignals(QObject *context)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_signalSockets) != 0)
        return;
    auto *notifier = new QSocketNotifier(s_signalSockets[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [notifier] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(s_signalSockets[1], &byte, 1);
        notifier->setEnabled(false);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace parlowind
