#include "application.h"

#include <exception>

namespace toolkit {

namespace {
// Showing the error must not itself end the loop.
void show(Application& app, const char* message) noexcept {
    try {
        app.show_error(message);
    } catch (...) {
    }
}
}  // namespace

void dispatch_guarded(Application& app, const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& e) {
        show(app, e.what());
    } catch (...) {
        show(app, "Unknown error");
    }
}

}  // namespace toolkit
