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

// Tells the user that the program could not start: a message box on Windows; on Linux a
// line on stderr and, where `application` exists (the display is open), the program's own
// message window as well. `application` is null where none could be created. Never throws.
void report_startup_failure(Application* application, std::string_view message) noexcept;

}  // namespace toolkit
