// The frame both of the program's windows ask for: a dialog frame with title, border and
// window menu, that can be moved and closed but not maximised, minimised or resized.
#pragma once

#include "toolkit/x11/connection.h"

namespace toolkit::x11 {

void request_dialog_frame(const Connection& connection, Window window);

}  // namespace toolkit::x11
