// The message window for an error that escapes an event handler: the message, a stop sign
// and an OK button, over the main window, which takes no input until it is closed.
#pragma once

#include <string_view>

#include "toolkit/core/text_service.h"
#include "toolkit/x11/connection.h"
#include "toolkit/x11/main_window.h"
#include "toolkit/x11/stop_signals.h"

namespace toolkit::x11 {

// Returns when the box is closed (OK, Enter, Space, Esc or its close box): true; or when a
// stop signal arrives: false. `owner` may be null.
bool run_message_box(Connection& connection, TextService& text, const StopSignals& signals,
                     std::string_view title, std::string_view message, MainWindow* owner);

}  // namespace toolkit::x11
