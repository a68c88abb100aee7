// The keyboard side of a form: activation, the focus, and the keys that move the focus
// along the tab order (Tab, Shift+Tab, the arrows) or click the focused button (Enter, Space).
#include <algorithm>

#include "form.h"

namespace toolkit {

void Form::set_current(FlatButton* button) {
    if (current_ == button) return;
    if (current_) {
        current_->state().focus_lost();
        invalidate(*current_);
    }
    current_ = button;
    if (current_) invalidate(*current_);
}

void Form::focus(FlatButton& button) {
    set_current(&button);
}

void Form::activate() {
    if (active_) return;
    active_ = true;
    if (!current_ && !ever_active_) {
        if (!tab_order_.empty()) current_ = tab_order_.front();
    }
    ever_active_ = true;
    if (current_) invalidate(*current_);
}

void Form::deactivate() {
    if (!active_) return;
    active_ = false;
    if (current_) {
        // The focus rectangle goes and a Space press in progress ends without a click; the
        // ring stays to show which button gets the focus back.
        current_->state().focus_lost();
        invalidate(*current_);
    }
    if (mouse_owner_) mouse_owner_ = nullptr;
}

void Form::move_focus(int step) {
    const auto& seq = tab_order_;
    if (seq.empty()) return;
    const auto it = std::find(seq.begin(), seq.end(), current_);
    const int n = static_cast<int>(seq.size());
    const int at = it == seq.end() ? (step > 0 ? -1 : 0) : static_cast<int>(it - seq.begin());
    set_current(seq[static_cast<std::size_t>(((at + step) % n + n) % n)]);
}

void Form::key_down(Key key, ShiftState shift, bool repeat) {
    if (!active_) return;
    switch (key) {
        case Key::Tab:
            if (!(shift & (kAlt | kControl))) move_focus(shift & kShift ? -1 : 1);
            break;
        case Key::Right:
        case Key::Down:
            if (!(shift & kAlt)) move_focus(1);
            break;
        case Key::Left:
        case Key::Up:
            if (!(shift & kAlt)) move_focus(-1);
            break;
        case Key::Enter:
            // Every press and every automatic repeat clicks, without showing it pressed.
            if (!(shift & (kShift | kControl | kAlt)) && current_) click(*current_);
            break;
        case Key::Space:
            if (!repeat && !(shift & kAlt) && current_ && current_->state().space_press())
                invalidate(*current_);
            break;
        case Key::Escape:
        case Key::Other:
            break;
    }
}

void Form::key_up(Key key, ShiftState) {
    if (!active_ || key != Key::Space || !current_) return;
    FlatButton& b = *current_;
    const bool clicks = b.state().space_release();
    invalidate(b);
    if (clicks) click(b);
}

}  // namespace toolkit
