// The program's entry: no arguments, no environment, no configuration.
#include <exception>
#include <memory>

#include "app/shell.h"
#include "launch/system_starter.h"
#include "toolkit/platform.h"

int main() {
    // Outlives a failed start, so that the failure can be shown in the application's window.
    std::unique_ptr<toolkit::Application> application;
    try {
        application = toolkit::create_application();
        return app::run_shell(*application, launch::system_starter());
    } catch (const std::exception& e) {
        toolkit::report_startup_failure(application.get(), e.what());
    } catch (...) {
        toolkit::report_startup_failure(application.get(), "unknown error");
    }
    return 1;
}
