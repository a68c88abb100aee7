// The native window of a form: a fixed dialog-framed window owned by the application's
// invisible window, painting by blitting the form's pixels and handing it every input.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "toolkit/core/application.h"
#include "toolkit/core/form.h"
#include "toolkit/core/paint_queue.h"
#include "toolkit/core/window_host.h"
#include "toolkit/win32/back_buffer.h"
#include "toolkit/win32/gdi_text.h"

namespace toolkit::win32 {

class ClientAccessibility;

// What the window asks of the application around it.
struct ApplicationHooks {
    // Minimise the whole application (the owner window), as the taskbar entry does.
    std::function<void()> minimize;
    // The session ends: end the process at once, without a question.
    std::function<void()> end_session;
};

class FormWindow : public WindowHost {
  public:
    FormWindow(Application& app, Form& form, GdiTextService& text, HWND owner,
               ApplicationHooks hooks);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND handle() const { return hwnd_; }
    // Centres the window (once, at its first showing) and shows it active.
    void show();

    void invalidate(const Rect& area, bool erase) override;
    void set_capture() override;
    void release_capture() override;
    void perform(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) override;

  private:
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam);
    void guarded(const std::function<void()>& work);
    void paint();
    void mouse_down(MouseButton button, LPARAM lparam);
    // Whether the button of the press being handled is still down, physically.
    bool pressing_button_down() const;
    void mouse_up(MouseButton button, LPARAM lparam);
    void mouse_move(LPARAM lparam);
    void activate(bool active);
    // True where `command` minimises and the application took it over.
    bool minimize_application(WPARAM command);
    void key_down(WPARAM virtual_key, LPARAM key_data);
    void key_up(WPARAM virtual_key);
    void keep_only_move_and_close();

    Application& app_;
    Form& form_;
    GdiTextService& text_;
    ApplicationHooks hooks_;
    HWND hwnd_ = nullptr;
    BackBuffer buffer_;
    // Areas the form has asked to repaint since the last paint.
    PaintQueue pending_;
    // The button of the press the form is handling: a move it asks for starts from it.
    std::optional<MouseButton> pressing_;
    bool shown_before_ = false;
    bool tracking_leave_ = false;
    // What screen readers see of the client area; gone with the window.
    std::unique_ptr<ClientAccessibility> accessibility_;
};

}  // namespace toolkit::win32
