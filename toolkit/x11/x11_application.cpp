#include "toolkit/x11/x11_application.h"

#include <cstdio>
#include <stdexcept>

#include "resources/resources.h"
#include "toolkit/platform.h"
#include "toolkit/x11/event_pump.h"
#include "toolkit/x11/jpeg_turbo.h"
#include "toolkit/x11/message_box.h"
#include "toolkit/x11/placement.h"

namespace toolkit {

std::unique_ptr<Application> create_application() {
    return std::make_unique<x11::X11Application>();
}

void report_startup_failure(Application* application, std::string_view message) noexcept {
    std::fprintf(stderr, "velmorra: %.*s\n", static_cast<int>(message.size()), message.data());
    std::fflush(stderr);
    if (!application) return;
    // The display is open: the message window that shows handler errors shows this too.
    try {
        application->show_error(message);
    } catch (...) {
        // The line on stderr has said it.
    }
}

}  // namespace toolkit

namespace toolkit::x11 {

namespace {
PictureFormats picture_formats() {
    PictureFormats formats;
    register_jpeg(formats);
    return formats;
}
}  // namespace

X11Application::X11Application() : pictures_(picture_formats()) {
    pixels_per_inch_ = screen_pixels_per_inch(connection_);
}

X11Application::~X11Application() {
    window_.reset();
    form_.reset();
}

void X11Application::set_title(std::string_view title) {
    title_ = title;
}

Form& X11Application::create_form(const FormFactory& factory) {
    if (form_) throw std::logic_error("the main form exists already");
    // The focused button's ring takes the toolkit's standard selection colour.
    const FormServices services{text_, pictures_, pixels_per_inch_};
    form_ = factory(services);
    if (!form_) throw std::runtime_error("the main form could not be created");
    window_ = std::make_unique<MainWindow>(
        connection_, *form_, [this](const std::function<void()>& work) { guard(work); },
        resources::main_icon());
    form_->attach(window_.get());
    return *form_;
}

void X11Application::run() {
    if (!window_) return;
    window_->show();
    const bool finished = pump_events(
        connection_.display(), signals_, [this] { return stopping_ || window_->close_requested(); },
        [this](XEvent& event) { window_->handle(event, false); }, [this] { window_->flush(); });
    if (!finished) stopping_ = true;
    form_->attach(nullptr);
}

void X11Application::show_error(std::string_view message) {
    if (stopping_) return;
    if (!run_message_box(connection_, text_, signals_, title_.empty() ? "Velmorra" : title_,
                         message, window_.get()))
        stopping_ = true;
}

}  // namespace toolkit::x11
