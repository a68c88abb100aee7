#include "app/shell.h"

#include <memory>

#include "ui/unit1.h"

namespace app {

int run_shell(toolkit::Application& application, launch::CommandStarter& starter) {
    application.initialize();
    application.set_title("Velmorra");
    application.create_form([&starter](const toolkit::FormServices& services) {
        Form1 = nullptr;
        auto form = std::make_unique<TForm1>(services, starter);
        Form1 = form.get();
        return form;
    });
    application.run();
    return 0;
}

}  // namespace app
