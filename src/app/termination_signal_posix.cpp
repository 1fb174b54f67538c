#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <csignal>

#include "app/termination_signal.h"

namespace z2o {
namespace {

// The handler may only write to a pipe; the window closes when the event loop reads it.
int pipeEnds[2] = {-1, -1};

void onTerminationSignal(int) {
    const int saved = errno;
    [[maybe_unused]] const auto written = ::write(pipeEnds[0], "t", 1);
    errno = saved;
}

}  // namespace

void closeOnTerminationSignal(QWidget& window) {
    if (pipeEnds[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeEnds) != 0) {
            return;
        }
        struct sigaction action = {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, nullptr);
    }
    auto* notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char bytes[16];
        while (::read(pipeEnds[1], bytes, sizeof bytes) > 0) {
        }
        window.close();
        // A dialog or message of a running command closes as by Escape; the command then winds
        // down without asking anything more.
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
}

}  // namespace z2o
