#include "toolkit/x11/stop_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>

namespace toolkit::x11 {

namespace {

volatile sig_atomic_t g_write_fd = -1;
constexpr std::array kStopSignals = {SIGTERM, SIGINT, SIGHUP};

void on_stop_signal(int) {
    const int saved = errno;
    const char byte = 1;
    // Non-blocking: once the pipe holds a byte, more add nothing.
    if (g_write_fd >= 0 && write(g_write_fd, &byte, 1) < 0) {
    }
    errno = saved;
}

// A write to a server that has gone must fail with EPIPE and reach the connection's error
// handler instead of killing the process; a handler, unlike an ignored signal, is not
// inherited by the programs the menu starts.
void on_broken_pipe(int) {}

}  // namespace

StopSignals::StopSignals() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("cannot create a pipe");
    read_fd_ = fds[0];
    g_write_fd = fds[1];

    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    action.sa_handler = on_stop_signal;
    for (int sig : kStopSignals) sigaction(sig, &action, nullptr);
    action.sa_handler = on_broken_pipe;
    sigaction(SIGPIPE, &action, nullptr);
}

StopSignals::~StopSignals() {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = SIG_DFL;
    for (int sig : kStopSignals) sigaction(sig, &action, nullptr);
    const int write_fd = g_write_fd;
    g_write_fd = -1;
    close(write_fd);
    close(read_fd_);
}

bool StopSignals::wait_for(Display* display) const {
    XFlush(display);
    if (XEventsQueued(display, QueuedAlready) > 0) return true;
    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {read_fd_, POLLIN, 0}};
    while (poll(fds, 2, -1) < 0) {
        if (errno != EINTR) return true;
    }
    return !(fds[1].revents & POLLIN);
}

}  // namespace toolkit::x11
