// What a screen reader learns of a form and may do with it, apart from any platform: the
// client area and its buttons as one flat tree, each part with a name, a role, states and a
// place, the focus and where it moves, and the buttons' one action. A backend hands this to
// its platform's accessibility interface.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "form.h"

namespace toolkit {

// Child 0 is the client area itself; children 1 to n are the buttons in tab order.
inline constexpr int kAccessibleSelf = 0;

enum class AccessibleRole { Client, PushButton };

// State bits; each platform maps them to its own.
enum AccessibleState : unsigned {
    kAccessibleFocusable = 1u << 0,
    kAccessibleFocused = 1u << 1,
    kAccessiblePressed = 1u << 2,
    kAccessibleHotTracked = 1u << 3,
};

// The directions a screen reader moves in: the first and last child of the client area,
// and from a button the next and previous one in tab order, round the end as Tab goes.
enum class AccessibleDirection { FirstChild, LastChild, Next, Previous };

struct AccessibleNode {
    std::string_view name;
    AccessibleRole role = AccessibleRole::Client;
    unsigned states = 0;
    // In client coordinates, as laid out after scaling.
    Rect bounds;
    // Empty where there is none.
    std::string_view default_action;
};

// What the model tells the platform as the form changes.
class AccessibilityEvents {
  public:
    virtual ~AccessibilityEvents() = default;
    // A button got the keyboard focus (the window's first activation included).
    virtual void focus_moved(int child) = 0;
    // A button went pressed or came back up.
    virtual void state_changed(int child) = 0;
};

class FormAccessibility : public FormObserver {
  public:
    // Follows `form` from now until destroyed; `events` may be null.
    FormAccessibility(Form& form, AccessibilityEvents* events);
    ~FormAccessibility() override;
    FormAccessibility(const FormAccessibility&) = delete;
    FormAccessibility& operator=(const FormAccessibility&) = delete;

    int child_count() const;
    // Nothing for a child that does not exist.
    std::optional<AccessibleNode> node(int child) const;
    // Where a press at `p` (client coordinates) goes: a button, else the client area itself;
    // nothing outside the client area.
    std::optional<int> child_at(Point p) const;
    // The button with the keyboard focus; the client area itself while the window is active
    // and no button holds it; nothing while the window is inactive.
    std::optional<int> focus() const;
    std::optional<int> navigate(int from, AccessibleDirection direction) const;
    // Clicks a button once, as a click does; false for anything but a button.
    bool do_default_action(int child);
    // Gives a button the keyboard focus; false for anything but a button.
    bool take_focus(int child);

    void button_changed(const FlatButton& button) override;

  private:
    FlatButton* button(int child) const;
    int child_of(const FlatButton* button) const;
    // The focused child, or 0 for none, as last told.
    int focused_child() const;

    Form& form_;
    AccessibilityEvents* events_;
    int told_focus_ = 0;
    std::vector<bool> told_pressed_;
};

}  // namespace toolkit
