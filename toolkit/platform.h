// What each backend (x11, win32) provides to the program's entry.
#pragma once

#include <memory>
#include <string_view>

#include "core/application.h"

namespace toolkit {

// The platform's application object with its modules initialised: the icon loaded and the
// JPEG picture class (kJpegPictureClass) registered. Throws std::exception where the platform
// cannot start (no display, say).
std::unique_ptr<Application> create_application();

// Tells the user that the program could not start: a line on stderr on Linux, a message
// box on Windows. Never throws.
void report_startup_failure(std::string_view message) noexcept;

}  // namespace toolkit
