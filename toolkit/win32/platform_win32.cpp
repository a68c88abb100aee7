// The program's entry on Windows: the application object, and the message a failed start
// leaves.
#include <windows.h>

#include <string>

#include "toolkit/platform.h"
#include "toolkit/win32/wide_text.h"
#include "toolkit/win32/win32_application.h"

namespace toolkit {

std::unique_ptr<Application> create_application() {
    return std::make_unique<win32::Win32Application>();
}

void report_startup_failure(Application* /*application*/, std::string_view message) noexcept {
    try {
        const std::wstring text = win32::widen(message, CP_UTF8);
        MessageBoxW(nullptr, text.c_str(), L"Velmorra", MB_ICONSTOP | MB_OK);
    } catch (...) {
        MessageBoxW(nullptr, L"The program cannot start.", L"Velmorra", MB_ICONSTOP | MB_OK);
    }
}

}  // namespace toolkit
