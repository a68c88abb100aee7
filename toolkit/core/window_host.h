// What a form asks of the native window that shows it.
#pragma once

#include <cstdint>

#include "geometry.h"

namespace toolkit {

// Message and command values of the system's move loop, as the form's handlers use them.
inline constexpr unsigned kWmSysCommand = 274;
inline constexpr std::uintptr_t kScMove = 61456;
inline constexpr std::uintptr_t kHtCaption = 2;

class WindowHost {
  public:
    virtual ~WindowHost() = default;
    // Part of the client area must be painted again; `erase` false means only the controls
    // in it are redrawn, over what is already there.
    virtual void invalidate(const Rect& area, bool erase) = 0;
    // A left press keeps the mouse for the window until release.
    virtual void set_capture() = 0;
    virtual void release_capture() = 0;
    // The window's own message handling, called directly; the system command
    // (kWmSysCommand, kScMove + kHtCaption, 0) runs the system's move loop and returns
    // when the move has ended.
    virtual void perform(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) = 0;
};

}  // namespace toolkit
