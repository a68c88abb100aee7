// Xlib for the backend. The toolkit's headers come first: Xlib's macros (None, Bool,
// Status...) would otherwise rename enumerators there.
#pragma once

// clang-format off
#include "toolkit/core/application.h"
#include "toolkit/core/form.h"
#include <X11/Xlib.h>
// clang-format on
