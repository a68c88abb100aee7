#include "accessibility.h"

#include <algorithm>

namespace toolkit {

namespace {
constexpr std::string_view kPress = "Press";
}  // namespace

FormAccessibility::FormAccessibility(Form& form, AccessibilityEvents* events)
    : form_(form), events_(events) {
    for (const FlatButton* b : form_.tab_sequence_buttons())
        told_pressed_.push_back(b->state().pressed());
    told_focus_ = focused_child();
    form_.observe(this);
}

FormAccessibility::~FormAccessibility() {
    form_.observe(nullptr);
}

int FormAccessibility::child_count() const {
    return static_cast<int>(form_.tab_sequence_buttons().size());
}

FlatButton* FormAccessibility::button(int child) const {
    if (child < 1 || child > child_count()) return nullptr;
    return form_.tab_sequence_buttons()[static_cast<std::size_t>(child - 1)];
}

int FormAccessibility::child_of(const FlatButton* b) const {
    const auto seq = form_.tab_sequence_buttons();
    const auto it = std::find(seq.begin(), seq.end(), b);
    return it == seq.end() ? kAccessibleSelf : static_cast<int>(it - seq.begin()) + 1;
}

int FormAccessibility::focused_child() const {
    return form_.focused() ? child_of(form_.focused()) : 0;
}

std::optional<AccessibleNode> FormAccessibility::node(int child) const {
    if (child == kAccessibleSelf) {
        const Size size = form_.client_size();
        unsigned states = kAccessibleFocusable;
        if (form_.active() && !form_.focused()) states |= kAccessibleFocused;
        return AccessibleNode{form_.caption(),
                              AccessibleRole::Client,
                              states,
                              Rect::from_size(0, 0, size.width, size.height),
                              {}};
    }
    const FlatButton* b = button(child);
    if (!b) return std::nullopt;
    unsigned states = kAccessibleFocusable;
    if (form_.focused() == b) states |= kAccessibleFocused;
    if (b->state().pressed()) states |= kAccessiblePressed;
    if (b->state().hot()) states |= kAccessibleHotTracked;
    return AccessibleNode{b->caption(), AccessibleRole::PushButton, states, b->bounds(), kPress};
}

std::optional<int> FormAccessibility::child_at(Point p) const {
    const Control* target = form_.control_at(p);
    if (!target) return std::nullopt;
    for (const FlatButton* b : form_.tab_sequence_buttons())
        if (b == target) return child_of(b);
    return kAccessibleSelf;
}

std::optional<int> FormAccessibility::focus() const {
    if (!form_.active()) return std::nullopt;
    return focused_child();
}

std::optional<int> FormAccessibility::navigate(int from, AccessibleDirection direction) const {
    const int n = child_count();
    if (n == 0) return std::nullopt;
    if (from == kAccessibleSelf) {
        if (direction == AccessibleDirection::FirstChild) return 1;
        if (direction == AccessibleDirection::LastChild) return n;
        return std::nullopt;
    }
    if (!button(from)) return std::nullopt;
    // Round the end in either direction, as Tab goes.
    switch (direction) {
        case AccessibleDirection::Next:
            return from % n + 1;
        case AccessibleDirection::Previous:
            return (from + n - 2) % n + 1;
        case AccessibleDirection::FirstChild:
        case AccessibleDirection::LastChild:
            break;
    }
    return std::nullopt;
}

bool FormAccessibility::do_default_action(int child) {
    FlatButton* b = button(child);
    if (!b) return false;
    form_.perform_click(*b);
    return true;
}

bool FormAccessibility::take_focus(int child) {
    FlatButton* b = button(child);
    if (!b) return false;
    form_.focus(*b);
    return true;
}

void FormAccessibility::button_changed(const FlatButton&) {
    // Every button is compared with what was last told: a focus move repaints two buttons,
    // and an event is owed only where something a screen reader reads has changed.
    const auto seq = form_.tab_sequence_buttons();
    told_pressed_.resize(seq.size(), false);
    for (std::size_t i = 0; i < seq.size(); ++i) {
        const bool pressed = seq[i]->state().pressed();
        if (told_pressed_[i] == pressed) continue;
        told_pressed_[i] = pressed;
        if (events_) events_->state_changed(static_cast<int>(i) + 1);
    }
    const int focus = focused_child();
    if (focus == told_focus_) return;
    told_focus_ = focus;
    if (focus != 0 && events_) events_->focus_moved(focus);
}

}  // namespace toolkit
