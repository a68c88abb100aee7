#include "toolkit/win32/win32_application.h"

#include <cstdlib>
#include <stdexcept>

#include "toolkit/win32/wic_jpeg.h"
#include "toolkit/win32/wide_text.h"

namespace toolkit::win32 {
namespace {

constexpr wchar_t kOwnerClass[] = L"VelmorraApplication";
// Posted to the owner: hand the activation on to the main window.
constexpr UINT kActivateMain = WM_APP + 1;

HICON load_main_icon(int size_metric_x, int size_metric_y) {
    auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON,
                                              GetSystemMetrics(size_metric_x),
                                              GetSystemMetrics(size_metric_y), LR_DEFAULTCOLOR));
    // Without the group the system's standard application icon serves, silently.
    return icon ? icon : LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
}

int screen_pixels_per_inch() {
    HDC screen = GetDC(nullptr);
    const int ppi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return ppi > 0 ? ppi : 96;
}

}  // namespace

Win32Application::Win32Application() {
    register_jpeg(pictures_);
    big_icon_ = load_main_icon(SM_CXICON, SM_CYICON);
    small_icon_ = load_main_icon(SM_CXSMICON, SM_CYSMICON);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &owner_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = big_icon_;
    wc.hIconSm = small_icon_;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kOwnerClass;
    RegisterClassExW(&wc);
    // No size, in the middle of the screen: it is seen only as the taskbar entry.
    owner_ = CreateWindowExW(0, kOwnerClass, L"",
                             WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                             GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2,
                             0, 0, nullptr, nullptr, wc.hInstance, this);
    if (!owner_) throw std::runtime_error("The application window cannot be created");
    SetWindowLongPtrW(owner_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SendMessageW(owner_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_));
    SendMessageW(owner_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));

    pixels_per_inch_ = screen_pixels_per_inch();
    const COLORREF selection = GetSysColor(COLOR_HIGHLIGHT);
    highlight_ = {GetRValue(selection), GetGValue(selection), GetBValue(selection)};
}

Win32Application::~Win32Application() {
    if (form_) form_->attach(nullptr);
    window_.reset();
    form_.reset();
    if (IsWindow(owner_)) {
        SetWindowLongPtrW(owner_, GWLP_USERDATA, 0);
        DestroyWindow(owner_);
    }
}

void Win32Application::set_title(std::string_view title) {
    title_ = widen(title, CP_UTF8);
    SetWindowTextW(owner_, title_.c_str());
}

Form& Win32Application::create_form(const FormFactory& factory) {
    if (form_) throw std::logic_error("The application has one window");
    const FormServices services{text_, pictures_, pixels_per_inch_, highlight_};
    form_ = factory(services);
    if (!form_) throw std::runtime_error("The window could not be created");
    window_ = std::make_unique<FormWindow>(
        *this, *form_, text_, owner_,
        ApplicationHooks{[this] { minimize(); }, [this] { end_session(); }});
    form_->attach(window_.get());
    return *form_;
}

void Win32Application::run() {
    if (!window_) return;
    // The window and its first frame first; then the taskbar entry, which shows nothing.
    window_->show();
    ShowWindow(owner_, SW_SHOWNA);
    SetForegroundWindow(window_->handle());
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Win32Application::show_error(std::string_view message) {
    const std::wstring text = widen(message, CP_UTF8);
    HWND parent = window_ && IsWindowVisible(window_->handle()) ? window_->handle() : owner_;
    MessageBoxW(parent, text.c_str(), title_.c_str(), MB_ICONSTOP | MB_OK);
}

void Win32Application::minimize() {
    ShowWindow(owner_, SW_MINIMIZE);
}

void Win32Application::restore() {
    if (!window_ || !IsWindow(window_->handle())) return;
    hidden_by_minimize_ = false;
    ShowWindow(window_->handle(), SW_SHOW);
    SetForegroundWindow(window_->handle());
}

void Win32Application::end_session() {
    // Windows may end the process at any moment after this message: end it here, cleanly.
    if (window_ && IsWindow(window_->handle())) DestroyWindow(window_->handle());
    if (IsWindow(owner_)) {
        SetWindowLongPtrW(owner_, GWLP_USERDATA, 0);
        DestroyWindow(owner_);
    }
    std::exit(0);
}

LRESULT CALLBACK Win32Application::owner_proc(HWND hwnd, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
    auto* self = reinterpret_cast<Win32Application*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
    return self->handle_owner_message(message, wparam, lparam);
}

LRESULT Win32Application::handle_owner_message(UINT message, WPARAM wparam, LPARAM lparam) {
    HWND main = window_ ? window_->handle() : nullptr;
    switch (message) {
        case WM_SIZE:
            // Minimised, the main window hides; restored, it shows again where it was.
            if (wparam == SIZE_MINIMIZED && main && IsWindowVisible(main)) {
                hidden_by_minimize_ = true;
                ShowWindow(main, SW_HIDE);
            } else if (wparam == SIZE_RESTORED && hidden_by_minimize_) {
                PostMessageW(owner_, kActivateMain, 0, 0);
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wparam) != WA_INACTIVE && !IsIconic(owner_))
                PostMessageW(owner_, kActivateMain, 0, 0);
            break;
        case kActivateMain:
            if (!IsIconic(owner_) && main && (hidden_by_minimize_ || IsWindowVisible(main)))
                restore();
            return 0;
        case WM_CLOSE:
            // Close in the taskbar entry's menu closes the main window, which ends the program.
            if (main && IsWindow(main))
                SendMessageW(main, WM_CLOSE, 0, 0);
            else
                PostQuitMessage(0);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wparam) end_session();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(owner_, message, wparam, lparam);
}

}  // namespace toolkit::win32
