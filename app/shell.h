// The application shell: title, main window, message loop, end.
#pragma once

#include "launch/launch_command.h"
#include "toolkit/core/application.h"

namespace app {

// Runs the program on an application object, starting programs through `starter`; returns
// the process's exit code.
int run_shell(toolkit::Application& application, launch::CommandStarter& starter);

}  // namespace app
