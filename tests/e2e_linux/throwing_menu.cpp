// The real menu, with a starter that fails by throwing: every click lets an error escape a
// handler, so the tests see what the X11 backend does with it.
#include <stdexcept>

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

}  // namespace

int main() {
    try {
        auto application = toolkit::create_application();
        ThrowingStarter starter;
        return app::run_shell(*application, starter);
    } catch (const std::exception& e) {
        toolkit::report_startup_failure(e.what());
    }
    return 1;
}
