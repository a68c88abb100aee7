#include "toolkit/x11/frame_hints.h"

namespace toolkit::x11 {

namespace {
// _MOTIF_WM_HINTS: which fields are set, then the functions and the decorations.
constexpr unsigned long kMwmHintsFunctions = 1;
constexpr unsigned long kMwmHintsDecorations = 2;
constexpr unsigned long kMwmFuncMove = 4;
constexpr unsigned long kMwmFuncClose = 32;
constexpr unsigned long kMwmDecorBorder = 2;
constexpr unsigned long kMwmDecorTitle = 8;
constexpr unsigned long kMwmDecorMenu = 16;
}  // namespace

void request_dialog_frame(const Connection& connection, Window window) {
    const unsigned long motif[5] = {kMwmHintsFunctions | kMwmHintsDecorations,
                                    kMwmFuncMove | kMwmFuncClose,
                                    kMwmDecorBorder | kMwmDecorTitle | kMwmDecorMenu, 0, 0};
    const Atom type = connection.atoms().motif_wm_hints;
    XChangeProperty(connection.display(), window, type, type, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motif), 5);
}

}  // namespace toolkit::x11
