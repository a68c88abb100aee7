#include "button_state.h"

namespace toolkit {

namespace {
// Sets a flag and tells whether the look may have changed.
bool change(bool& flag, bool value) {
    if (flag == value) return false;
    flag = value;
    return true;
}
}  // namespace

bool ButtonState::set_hot(bool hot) {
    return change(hot_, hot);
}

bool ButtonState::left_press() {
    mouse_held_ = true;
    return change(pressed_, true);
}

bool ButtonState::pointer_moved(bool inside) {
    if (!mouse_held_) return false;
    return change(pressed_, inside);
}

bool ButtonState::left_release(bool inside) {
    if (!mouse_held_) return false;
    mouse_held_ = false;
    const bool clicks = pressed_ && inside;
    pressed_ = space_held_;
    return clicks;
}

bool ButtonState::mouse_lost() {
    if (!mouse_held_) return false;
    mouse_held_ = false;
    return change(pressed_, space_held_);
}

bool ButtonState::space_press() {
    if (space_held_) return false;
    space_held_ = true;
    return change(pressed_, true);
}

bool ButtonState::space_release() {
    if (!space_held_) return false;
    space_held_ = false;
    const bool clicks = pressed_ && !mouse_held_;
    if (!mouse_held_) pressed_ = false;
    return clicks;
}

bool ButtonState::focus_lost() {
    const bool was = pressed_;
    space_held_ = false;
    mouse_held_ = false;
    pressed_ = false;
    return was;
}

bool ButtonState::set_pressed(bool pressed) {
    return change(pressed_, pressed);
}

}  // namespace toolkit
