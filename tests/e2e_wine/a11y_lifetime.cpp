// Inside one process, as an in-context client sees it: the menu's form behind a window of
// its own, its client object taken through AccessibleObjectFromWindow and held past the
// window's end. Prints key=value lines: what the object answers while the window lives,
// after it is gone, and the count its last release leaves.
#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/win32/accessible_client.h"
#include "ui/unit1.h"

namespace {

// Defined here: the import library's IID_IAccessible may be an import thunk's address.
constexpr GUID kIidAccessible{
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

class FixedText : public toolkit::TextService {
  public:
    toolkit::TextExtent measure(const toolkit::FontSpec& font, std::string_view s) override {
        return {6 * static_cast<int>(s.size()), (font.height < 0 ? -font.height : font.height) + 2};
    }
    void draw(toolkit::PixelBuffer&, const toolkit::ClipRegion&, const toolkit::FontSpec&,
              toolkit::Point, std::string_view, toolkit::Rgb) override {}
};

class QuietApplication : public toolkit::Application {
  public:
    void set_title(std::string_view) override {}
    toolkit::Form& create_form(const toolkit::FormFactory&) override { throw 0; }
    void run() override {}
    void show_error(std::string_view) override {}
};

class RecordingStarter : public launch::CommandStarter {
  public:
    void start(const launch::LaunchCommand& c) override { started.push_back(c); }
    std::vector<launch::LaunchCommand> started;
};

toolkit::win32::ClientAccessibility* accessibility = nullptr;

LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_GETOBJECT && accessibility)
        if (const auto answer = accessibility->get_object(wparam, lparam)) return *answer;
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

VARIANT child(long id) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

void print_hr(const char* key, HRESULT hr) {
    std::printf("%s=0x%08lx\n", key, static_cast<unsigned long>(hr));
}

// Asks what a client asks most; prints each answer under `prefix`.
void ask(IAccessible* acc, const std::string& prefix) {
    long count = -1;
    print_hr((prefix + "_count").c_str(), acc->get_accChildCount(&count));
    BSTR name = nullptr;
    print_hr((prefix + "_name").c_str(), acc->get_accName(child(1), &name));
    if (name) SysFreeString(name);
    VARIANT state{};
    print_hr((prefix + "_state").c_str(), acc->get_accState(child(1), &state));
    long x = 0, y = 0, w = 0, h = 0;
    print_hr((prefix + "_location").c_str(), acc->accLocation(&x, &y, &w, &h, child(1)));
    VARIANT focus{};
    print_hr((prefix + "_focus").c_str(), acc->get_accFocus(&focus));
    VARIANT hit{};
    print_hr((prefix + "_hit").c_str(), acc->accHitTest(10, 10, &hit));
    print_hr((prefix + "_press").c_str(), acc->accDoDefaultAction(child(2)));
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    FixedText text;
    toolkit::PictureFormats formats;
    RecordingStarter starter;
    QuietApplication app;
    TForm1 form(toolkit::FormServices{text, formats, 96, {0, 120, 215}}, starter);

    WNDCLASSW wc{};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"A11yLifetime";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"Velmorra", WS_POPUP, 0, 0, 641, 499,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    auto owner = std::make_unique<toolkit::win32::ClientAccessibility>(app, form, window);
    accessibility = owner.get();

    IAccessible* acc = nullptr;
    print_hr("object", AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                                  kIidAccessible, reinterpret_cast<void**>(&acc)));
    if (!acc) return 1;
    ask(acc, "alive");
    std::printf("started_alive=%zu\n", starter.started.size());

    // What the window does as it is destroyed.
    accessibility = nullptr;
    owner.reset();
    DestroyWindow(window);
    ask(acc, "gone");
    std::printf("started_gone=%zu\n", starter.started.size());

    acc->AddRef();
    std::printf("released=%lu\n", static_cast<unsigned long>(acc->Release()));
    std::printf("last_release=%lu\n", static_cast<unsigned long>(acc->Release()));
    std::fflush(stdout);
    return 0;
}
