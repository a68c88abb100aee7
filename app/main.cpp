// The program's entry: no arguments, no environment, no configuration.
#include <exception>

#include "app/shell.h"
#include "launch/system_starter.h"
#include "toolkit/platform.h"

int main() {
    try {
        auto application = toolkit::create_application();
        return app::run_shell(*application, launch::system_starter());
    } catch (const std::exception& e) {
        toolkit::report_startup_failure(e.what());
    } catch (...) {
        toolkit::report_startup_failure("unknown error");
    }
    return 1;
}
