// The application object on X11: the display connection, the text and picture services,
// the main form with its window, and the event loop.
#pragma once

#include <memory>
#include <string>

#include "toolkit/core/application.h"
#include "toolkit/core/picture_formats.h"
#include "toolkit/x11/connection.h"
#include "toolkit/x11/main_window.h"
#include "toolkit/x11/stop_signals.h"
#include "toolkit/x11/text_freetype.h"

namespace toolkit::x11 {

class X11Application final : public Application {
  public:
    // Registers the JPEG picture class, reads the font configuration and opens the display;
    // throws where the display cannot be opened.
    X11Application();
    ~X11Application() override;

    void set_title(std::string_view title) override;
    Form& create_form(const FormFactory& factory) override;
    // Ends on the window's close request, SIGTERM, SIGINT or SIGHUP.
    void run() override;
    void show_error(std::string_view message) override;

  private:
    void guard(const std::function<void()>& work) { dispatch_guarded(*this, work); }

    PictureFormats pictures_;
    FreeTypeText text_;
    StopSignals signals_;
    Connection connection_;
    std::string title_;
    int pixels_per_inch_ = 96;
    bool stopping_ = false;
    std::unique_ptr<Form> form_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace toolkit::x11
