#include "toolkit/win32/form_window.h"

#include <windowsx.h>

#include <stdexcept>
#include <string>

#include "toolkit/core/layout.h"
#include "toolkit/win32/accessible_client.h"
#include "toolkit/win32/input_win32.h"
#include "toolkit/win32/wide_text.h"

namespace toolkit::win32 {
namespace {

// A dialog frame: caption and close box only; the modal frame also keeps the caption free
// of an icon. No CS_DBLCLKS in the class, so a double click arrives as two presses.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;

const wchar_t* register_class(std::string_view name) {
    static std::wstring class_name;
    class_name = widen(name.empty() ? std::string_view("TForm") : name, CP_UTF8);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    WNDCLASSEXW existing{};
    if (!GetClassInfoExW(wc.hInstance, class_name.c_str(), &existing)) {
        wc.lpszClassName = class_name.c_str();
        if (!RegisterClassExW(&wc))
            throw std::runtime_error("The window class cannot be registered");
    }
    return class_name.c_str();
}

Point client_point(LPARAM lparam) {
    return {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
}

}  // namespace

FormWindow::FormWindow(Application& app, Form& form, GdiTextService& text, HWND owner,
                       ApplicationHooks hooks)
    : app_(app),
      form_(form),
      text_(text),
      hooks_(std::move(hooks)),
      buffer_(form.client_size().width, form.client_size().height),
      pending_(buffer_.pixels().bounds()) {
    const FormSettings& settings = form.description().form;
    RECT outer{0, 0, form.client_size().width, form.client_size().height};
    AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
    const std::wstring caption = widen(form.caption(), CP_UTF8);
    hwnd_ = CreateWindowExW(kExStyle, register_class(settings.class_name), caption.c_str(), kStyle,
                            settings.left, settings.top, outer.right - outer.left,
                            outer.bottom - outer.top, owner, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
    if (!hwnd_) throw std::runtime_error("The window cannot be created");
    accessibility_ = std::make_unique<ClientAccessibility>(app_, form_, hwnd_);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&window_proc));
    keep_only_move_and_close();
    text_.bind_surface(&buffer_.pixels(), buffer_.dc());
    pending_.add(buffer_.pixels().bounds(), true);
}

FormWindow::~FormWindow() {
    text_.unbind_surface(&buffer_.pixels());
    if (IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void FormWindow::keep_only_move_and_close() {
    HMENU menu = GetSystemMenu(hwnd_, FALSE);
    if (!menu) return;
    for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id != SC_MOVE && id != SC_CLOSE && id != 0)
            DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
    }
    // Of the separators only one between Move and Close stays.
    bool previous_was_separator = true;
    for (int i = 0; i < GetMenuItemCount(menu);) {
        const bool separator = GetMenuItemID(menu, i) == 0;
        const bool last = i == GetMenuItemCount(menu) - 1;
        if (separator && (previous_was_separator || last)) {
            DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
            continue;
        }
        previous_was_separator = separator;
        ++i;
    }
}

void FormWindow::show() {
    if (!shown_before_) {
        shown_before_ = true;
        RECT r{};
        GetWindowRect(hwnd_, &r);
        // Centred on the primary screen (the whole screen, not its work area), the frame
        // included in the window's outer size.
        const Point at = centred_outer_origin(
            {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
            Rect::from_size(
                GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)),
            {r.right - r.left, r.bottom - r.top}, {});
        SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    // The first frame now, not after whatever the queue holds.
    UpdateWindow(hwnd_);
}

void FormWindow::invalidate(const Rect& area, bool erase) {
    const Rect r = pending_.add(area, erase);
    if (r.empty()) return;
    const RECT rect{r.left, r.top, r.right, r.bottom};
    InvalidateRect(hwnd_, &rect, FALSE);
}

void FormWindow::set_capture() {
    SetCapture(hwnd_);
}

void FormWindow::release_capture() {
    ReleaseCapture();
}

void FormWindow::perform(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
    // The system's move loop ends at once when the left button is up, but Wine hands the
    // move to the window manager, which would start it after the release and keep the
    // window on the pointer: a move from a press whose button is up already never starts.
    if (message == WM_SYSCOMMAND && (wparam & 0xFFF0) == SC_MOVE && pressing_ &&
        !pressing_button_down())
        return;
    SendMessageW(hwnd_, message, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam));
}

bool FormWindow::pressing_button_down() const {
    // GetAsyncKeyState reads the physical buttons.
    auto down = [](int virtual_key) { return GetAsyncKeyState(virtual_key) < 0; };
    return pressed_button_still_down(*pressing_, GetSystemMetrics(SM_SWAPBUTTON) != 0,
                                     {down(VK_LBUTTON), down(VK_RBUTTON), down(VK_MBUTTON)});
}

void FormWindow::guarded(const std::function<void()>& work) {
    dispatch_guarded(app_, work);
}

void FormWindow::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    // The form draws into the back buffer only what it asked for; the screen gets a blit.
    for (const PendingPaint& p : pending_.take())
        guarded([&] { form_.paint(buffer_.pixels(), p.area, p.erase); });
    const RECT& r = ps.rcPaint;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, buffer_.dc(), r.left, r.top,
           SRCCOPY);
    EndPaint(hwnd_, &ps);
}

void FormWindow::mouse_down(MouseButton button, LPARAM lparam) {
    pressing_ = button;
    guarded([&] { form_.mouse_down(button, current_shift_state(), client_point(lparam)); });
    pressing_.reset();
}

void FormWindow::mouse_up(MouseButton button, LPARAM lparam) {
    guarded([&] { form_.mouse_up(button, current_shift_state(), client_point(lparam)); });
}

void FormWindow::mouse_move(LPARAM lparam) {
    if (!tracking_leave_) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = hwnd_;
        tracking_leave_ = TrackMouseEvent(&track) != FALSE;
    }
    guarded([&] { form_.mouse_move(current_shift_state(), client_point(lparam)); });
}

void FormWindow::activate(bool active) {
    if (active)
        guarded([&] { form_.activate(); });
    else
        guarded([&] { form_.deactivate(); });
}

bool FormWindow::minimize_application(WPARAM command) {
    // Minimising the main window minimises the application, as its taskbar entry does.
    if ((command & 0xFFF0) != SC_MINIMIZE || !hooks_.minimize) return false;
    hooks_.minimize();
    return true;
}

void FormWindow::key_down(WPARAM virtual_key, LPARAM key_data) {
    guarded([&] {
        form_.key_down(key_from_virtual_key(virtual_key), current_shift_state(),
                       is_repeat(key_data));
    });
}

void FormWindow::key_up(WPARAM virtual_key) {
    guarded([&] { form_.key_up(key_from_virtual_key(virtual_key), current_shift_state()); });
}

LRESULT CALLBACK FormWindow::window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
    return self->handle_message(message, wparam, lparam);
}

// One case a message, each a call or two: a window procedure's switch, longer than most
// functions here but read one case at a time.
LRESULT FormWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the paint covers everything: never erase, never flicker
        case WM_PAINT:
            paint();
            return 0;
        case WM_ACTIVATE:
            activate(LOWORD(wparam) != WA_INACTIVE);
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            mouse_down(mouse_button_of(message), lparam);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            mouse_up(mouse_button_of(message), lparam);
            return 0;
        case WM_MOUSEMOVE:
            mouse_move(lparam);
            return 0;
        case WM_MOUSELEAVE:
            tracking_leave_ = false;
            guarded([&] { form_.mouse_leave(); });
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lparam) != hwnd_) guarded([&] { form_.capture_lost(); });
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            key_down(wparam, lparam);
            // Alt held: the form sees the key, then the system (Alt+F4, Alt+Space).
            if (message == WM_SYSKEYDOWN) break;
            return 0;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            // A Space released while Alt is down still ends the Space press.
            key_up(wparam);
            if (message == WM_SYSKEYUP) break;
            return 0;
        case WM_SYSCOMMAND:
            if (minimize_application(wparam)) return 0;
            break;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wparam && hooks_.end_session) hooks_.end_session();
            return 0;
        case WM_GETOBJECT:
            if (accessibility_)
                if (const auto answer = accessibility_->get_object(wparam, lparam)) return *answer;
            break;
        case WM_DESTROY:
            accessibility_.reset();
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace toolkit::win32
