// The application object: one per process, owner of the main form and of the message loop.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "form.h"

namespace toolkit {

using FormFactory = std::function<std::unique_ptr<Form>(const FormServices&)>;

class Application {
  public:
    virtual ~Application() = default;
    // The platform's optional start-up hook; nothing by default.
    virtual void initialize() {}
    // Text of the taskbar entry and the caption of the application's message boxes.
    virtual void set_title(std::string_view title) = 0;
    // Builds the form, still hidden; the first form created is the main form.
    virtual Form& create_form(const FormFactory& factory) = 0;
    // Shows the main form centred and active, runs the message loop until it ends.
    virtual void run() = 0;
    // A message box titled with the application title, a stop icon and an OK button.
    virtual void show_error(std::string_view message) = 0;
};

// Runs one event's work; an error that escapes it is shown by the application and the
// loop goes on. Every backend calls into a form through this.
void dispatch_guarded(Application& app, const std::function<void()>& work);

}  // namespace toolkit
