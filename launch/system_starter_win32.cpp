// Starts a launch command the way Windows starts one from a menu: WinExec, result ignored,
// and the shell where WinExec is refused for want of administrator rights.
#include <windows.h>
// After windows.h, which it needs.
#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "launch/elevation_fallback.h"
#include "launch/system_starter.h"
#include "toolkit/win32/wide_text.h"

namespace launch {
namespace {

using toolkit::win32::narrow;
using toolkit::win32::widen;

// Calls a Windows function that fills a buffer and returns the length it needs.
template <typename Fill>
std::wstring fetch(Fill fill) {
    std::wstring s(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = fill(s.data(), static_cast<DWORD>(s.size()));
        if (n == 0) return {};
        if (n < s.size()) {
            s.resize(n);
            return s;
        }
        s.resize(n + 1);
    }
}

std::wstring module_folder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring{} : path.substr(0, slash);
}

class WindowsCalls : public ProcessStartCalls {
  public:
    unsigned long win_exec(std::string_view command_line, int show_mode) override {
        const std::string line(command_line);
        SetLastError(0);
        if (WinExec(line.c_str(), static_cast<UINT>(show_mode)) > 31) return 0;
        return GetLastError();
    }

    // WinExec's order: the menu's folder, the current folder, the system folder, the Windows
    // folder, then PATH. A name with a folder part is taken from the current folder alone.
    std::optional<std::string> find_program(std::string_view program) override {
        const std::wstring name = widen(program, CP_ACP);
        std::wstring search;
        if (name.find_first_of(L"\\/") != std::wstring::npos) {
            search = L".";
        } else {
            search = module_folder() + L";.;";
            search += fetch([](wchar_t* b, DWORD n) { return GetSystemDirectoryW(b, n); });
            search += L";";
            search += fetch([](wchar_t* b, DWORD n) { return GetWindowsDirectoryW(b, n); });
            search += L";";
            search +=
                fetch([](wchar_t* b, DWORD n) { return GetEnvironmentVariableW(L"PATH", b, n); });
        }
        const std::wstring found = fetch([&](wchar_t* b, DWORD n) {
            return SearchPathW(search.c_str(), name.c_str(), L".exe", n, b, nullptr);
        });
        if (found.empty()) return std::nullopt;
        return narrow(found, CP_ACP);
    }

    std::string current_folder() override {
        return narrow(fetch([](wchar_t* b, DWORD n) { return GetCurrentDirectoryW(n, b); }),
                      CP_ACP);
    }

    void shell_execute(const std::string& program, std::string_view arguments, int show_mode,
                       const std::string& folder) override {
        const std::wstring file = widen(program, CP_ACP);
        const std::wstring parameters = widen(arguments, CP_ACP);
        const std::wstring directory = widen(folder, CP_ACP);
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        // No error box of the shell's own: a failure stays silent like every other.
        info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
        info.lpFile = file.c_str();
        info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
        info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
        info.nShow = show_mode;
        // The shell wants COM on the calling thread; nothing else in the menu needs it. COM
        // and the shell are loaded only for this rare case: importing them would load them,
        // and the many libraries they need, at every start of the menu.
        if (HMODULE ole = LoadLibraryW(L"ole32.dll")) {
            using CoInitializeExFunction = HRESULT(WINAPI*)(void*, DWORD);
            if (auto initialize = reinterpret_cast<CoInitializeExFunction>(
                    reinterpret_cast<void*>(GetProcAddress(ole, "CoInitializeEx"))))
                initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        }
        HMODULE shell = LoadLibraryW(L"shell32.dll");
        if (!shell) return;
        using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
        if (auto execute = reinterpret_cast<ShellExecuteExFunction>(
                reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteExW"))))
            execute(&info);
        FreeLibrary(shell);
    }
};

class WinExecStarter : public CommandStarter {
  public:
    void start(const LaunchCommand& command) override {
        WindowsCalls calls;
        start_with_elevation_fallback(calls, command);
    }
};

}  // namespace

CommandStarter& system_starter() {
    static WinExecStarter starter;
    return starter;
}

}  // namespace launch
