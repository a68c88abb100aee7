// The application shell: title, main window, message loop, end.
#pragma once

#include "toolkit/core/application.h"

namespace app {

// Runs the program on an application object; returns the process's exit code.
int run_shell(toolkit::Application& application);

}  // namespace app
