// SIGTERM, SIGINT and SIGHUP end the menu normally: their handler only writes to a pipe that
// the event loop waits on together with the X connection.
#pragma once

#include "toolkit/x11/xlib.h"

namespace toolkit::x11 {

class StopSignals {
  public:
    // Installs the handlers; throws std::runtime_error where the pipe cannot be made.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Flushes the connection, then blocks until it has something to read or a stop signal
    // arrives; false for the signal. The only place the program waits.
    bool wait_for(Display* display) const;

  private:
    int read_fd_ = -1;
};

}  // namespace toolkit::x11
