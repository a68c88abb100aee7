// The platform's way of starting a launch command, one per build.
#pragma once

#include "launch_command.h"

namespace launch {

CommandStarter& system_starter();

}  // namespace launch
