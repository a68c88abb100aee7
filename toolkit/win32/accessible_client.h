// The form window's client area for screen readers: WM_GETOBJECT for the client area is
// answered with an IAccessible made from the form's accessibility model, and clients are
// told of focus moves and presses through NotifyWinEvent. The accessibility libraries are
// loaded at the first request, so a start without a screen reader loads none of them.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "toolkit/core/accessibility.h"
#include "toolkit/core/application.h"

namespace toolkit::win32 {

// What every object handed out reaches the form through; cleared when the window goes.
struct AccessibleLink;

class ClientAccessibility : public AccessibilityEvents {
  public:
    ClientAccessibility(Application& app, Form& form, HWND window);
    // From now on an object a client still holds answers CO_E_OBJNOTCONNECTED.
    ~ClientAccessibility() override;
    ClientAccessibility(const ClientAccessibility&) = delete;
    ClientAccessibility& operator=(const ClientAccessibility&) = delete;

    // The answer to WM_GETOBJECT; nothing where the system's own answer is wanted.
    std::optional<LRESULT> get_object(WPARAM wparam, LPARAM lparam);

  private:
    void focus_moved(int child) override;
    void state_changed(int child) override;

    HWND window_;
    FormAccessibility model_;
    std::shared_ptr<AccessibleLink> link_;
};

}  // namespace toolkit::win32
