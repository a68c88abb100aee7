// The application on Windows: an invisible owner window that is the program's taskbar and
// Alt+Tab entry (title and icon), the services forms are built with, and the message loop.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "toolkit/core/application.h"
#include "toolkit/core/picture_formats.h"
#include "toolkit/win32/form_window.h"
#include "toolkit/win32/gdi_text.h"

namespace toolkit::win32 {

class Win32Application : public Application {
  public:
    // Registers the JPEG picture class, loads the icon and creates the owner window.
    // Throws where the window cannot be made.
    Win32Application();
    ~Win32Application() override;
    Win32Application(const Win32Application&) = delete;
    Win32Application& operator=(const Win32Application&) = delete;

    void set_title(std::string_view title) override;
    Form& create_form(const FormFactory& factory) override;
    void run() override;
    void show_error(std::string_view message) override;

  private:
    static LRESULT CALLBACK owner_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handle_owner_message(UINT message, WPARAM wparam, LPARAM lparam);
    void minimize();
    void restore();
    [[noreturn]] void end_session();

    HICON big_icon_ = nullptr;
    HICON small_icon_ = nullptr;
    HWND owner_ = nullptr;
    std::wstring title_;
    GdiTextService text_;
    PictureFormats pictures_;
    int pixels_per_inch_ = 96;
    Rgb highlight_;
    std::unique_ptr<Form> form_;
    std::unique_ptr<FormWindow> window_;
    // The main window was hidden because the application was minimised.
    bool hidden_by_minimize_ = false;
};

}  // namespace toolkit::win32
