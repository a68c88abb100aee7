// The real menu, with a starter that fails by throwing: every click lets an error escape a
// handler, so the tests see what the X11 backend does with it. With the argument "build" the
// window itself cannot be built (its form factory throws), a failed start after the display
// has opened.
#include <memory>
#include <stdexcept>
#include <string_view>

#include "app/shell.h"
#include "launch/launch_command.h"
#include "toolkit/platform.h"

namespace {

class ThrowingStarter final : public launch::CommandStarter {
  public:
    void start(const launch::LaunchCommand& command) override {
        throw std::runtime_error("Cannot start \"" + std::string(command.command_line) + "\"");
    }
};

int build_nothing(toolkit::Application& application) {
    application.set_title("Velmorra");
    application.create_form([](const toolkit::FormServices&) -> std::unique_ptr<toolkit::Form> {
        throw std::runtime_error("The window cannot be built");
    });
    application.run();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool fail_to_build = argc > 1 && std::string_view(argv[1]) == "build";
    std::unique_ptr<toolkit::Application> application;
    try {
        application = toolkit::create_application();
        if (fail_to_build) return build_nothing(*application);
        ThrowingStarter starter;
        return app::run_shell(*application, starter);
    } catch (const std::exception& e) {
        toolkit::report_startup_failure(application.get(), e.what());
    }
    return 1;
}
