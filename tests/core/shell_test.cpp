// The application shell's start-up order.
#include "app/shell.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace {

class ScriptedApp : public toolkit::Application {
  public:
    void initialize() override { log.push_back("initialize"); }
    void set_title(std::string_view t) override { log.push_back("title " + std::string(t)); }
    toolkit::Form& create_form(const toolkit::FormFactory& factory) override {
        log.push_back("create");
        formats.register_format(
            toolkit::kJpegPictureClass, {"jpeg", "jpg"},
            [](std::span<const std::uint8_t>) { return fakes::test_picture(); });
        form = factory({text, formats, 96, {0, 120, 215}});
        return *form;
    }
    void run() override {
        log.push_back("run");
        seen_form1 = Form1;
    }
    void show_error(std::string_view) override { log.push_back("error"); }

    std::vector<std::string> log;
    fakes::BoxText text;
    toolkit::PictureFormats formats;
    std::unique_ptr<toolkit::Form> form;
    TForm1* seen_form1 = nullptr;
};

TEST(Shell, StartsInOrderAndEndsWithZero) {
    ScriptedApp app;
    fakes::RecordingStarter starter;
    EXPECT_EQ(app::run_shell(app, starter), 0);
    EXPECT_EQ(app.log, (std::vector<std::string>{"initialize", "title Velmorra", "create", "run"}));
    ASSERT_NE(app.seen_form1, nullptr);
    EXPECT_EQ(app.seen_form1, app.form.get());
    EXPECT_EQ(app.form->caption(), "Velmorra");
    EXPECT_EQ(app.form->client_size(), (toolkit::Size{641, 499}));

    // The form's handlers start through the starter the shell was given.
    app.form->activate();
    app.form->key_down(toolkit::Key::Enter, 0, false);
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0], launch::kInstallDirectX);
    Form1 = nullptr;
}

}  // namespace
