// The mouse side of a form: which button is hot, presses and releases with the buttons'
// click rules, the press on the picture or the form, and the loss of the mouse.
#include "form.h"

namespace toolkit {

void Form::set_hot(FlatButton* button) {
    if (hot_ == button) return;
    if (hot_ && hot_->state().set_hot(false)) invalidate(*hot_);
    hot_ = button;
    if (hot_ && hot_->state().set_hot(true)) invalidate(*hot_);
}

void Form::mouse_down(MouseButton button, ShiftState shift, Point p) {
    Control* target = control_at(p);
    if (!target) return;
    if (auto* b = dynamic_cast<FlatButton*>(target)) {
        // Only the left mouse button means anything to a button.
        if (button != MouseButton::Left) return;
        if (host_) host_->set_capture();
        mouse_owner_ = b;
        set_current(b);
        set_hot(b);
        if (b->state().left_press()) invalidate(*b);
        return;
    }
    if (button == MouseButton::Left && host_) host_->set_capture();
    if (target == picture_.get()) {
        const Rect& r = picture_->bounds();
        if (picture_->on_mouse_down)
            picture_->on_mouse_down(*picture_, button, shift, p.x - r.left, p.y - r.top);
    } else if (on_mouse_down_) {
        on_mouse_down_(*this, button, shift, p.x, p.y);
    }
}

void Form::mouse_move(ShiftState, Point p) {
    if (mouse_owner_) {
        const bool inside = mouse_owner_->bounds().contains(p);
        if (mouse_owner_->state().pointer_moved(inside)) invalidate(*mouse_owner_);
        set_hot(inside ? mouse_owner_ : nullptr);
        return;
    }
    set_hot(dynamic_cast<FlatButton*>(control_at(p)));
}

void Form::mouse_up(MouseButton button, ShiftState, Point p) {
    if (button != MouseButton::Left) return;
    FlatButton* owner = mouse_owner_;
    mouse_owner_ = nullptr;
    if (host_) host_->release_capture();
    if (owner) {
        const bool clicks = owner->state().left_release(owner->bounds().contains(p));
        invalidate(*owner);
        set_hot(dynamic_cast<FlatButton*>(control_at(p)));
        if (clicks) click(*owner);
    }
}

void Form::mouse_leave() {
    if (!mouse_owner_) set_hot(nullptr);
}

void Form::capture_lost() {
    if (!mouse_owner_) return;
    if (mouse_owner_->state().mouse_lost()) invalidate(*mouse_owner_);
    mouse_owner_ = nullptr;
}

}  // namespace toolkit
