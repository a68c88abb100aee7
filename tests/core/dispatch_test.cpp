// An error that escapes a handler is shown by the application and the window goes on.
#include <gtest/gtest.h>

#include <stdexcept>

#include "fakes.h"
#include "toolkit/core/application.h"

namespace {

class ErrorRecordingApp : public toolkit::Application {
  public:
    void set_title(std::string_view) override {}
    toolkit::Form& create_form(const toolkit::FormFactory&) override {
        throw std::logic_error("unused");
    }
    void run() override {}
    void show_error(std::string_view m) override { shown.emplace_back(m); }
    std::vector<std::string> shown;
};

class FailingOnceStarter : public launch::CommandStarter {
  public:
    void start(const launch::LaunchCommand& c) override {
        if (failures-- > 0) throw std::runtime_error("no such disc");
        started.push_back(c);
    }
    int failures = 1;
    std::vector<launch::LaunchCommand> started;
};

TEST(Dispatch, ErrorInAHandlerIsShownAndTheWindowGoesOn) {
    FailingOnceStarter starter;
    fakes::Menu m({.starter = &starter});
    TForm1& form = *m.form;
    ErrorRecordingApp app;
    toolkit::dispatch_guarded(app, [&] { form.activate(); });
    toolkit::dispatch_guarded(app, [&] { form.key_down(toolkit::Key::Enter, 0, false); });
    ASSERT_EQ(app.shown.size(), 1u);
    EXPECT_EQ(app.shown[0], "no such disc");

    // The same button clicks again afterwards, by key and by mouse.
    toolkit::dispatch_guarded(app, [&] { form.key_down(toolkit::Key::Enter, 0, false); });
    toolkit::dispatch_guarded(app, [&] {
        form.mouse_down(toolkit::MouseButton::Left, 0, {400, 470});
    });
    toolkit::dispatch_guarded(app, [&] {
        form.mouse_up(toolkit::MouseButton::Left, 0, {400, 470});
    });
    EXPECT_EQ(app.shown.size(), 1u);
    EXPECT_EQ(starter.started.size(), 2u);
    EXPECT_FALSE(form.RzButton1->state().pressed());
}

TEST(Dispatch, NonStandardErrorsAreShownToo) {
    ErrorRecordingApp app;
    toolkit::dispatch_guarded(app, [] { throw 42; });
    ASSERT_EQ(app.shown.size(), 1u);
}

}  // namespace
