// The click rules of a flat push button, apart from any window: which events show it
// pressed and which of them click it.
#pragma once

namespace toolkit {

// Which face a button is drawn with; the first that applies wins.
enum class ButtonLook { Pressed, Hot, Active, Plain };

class ButtonState {
  public:
    bool pressed() const { return pressed_; }
    bool held_by_mouse() const { return mouse_held_; }
    bool held_by_space() const { return space_held_; }
    bool hot() const { return hot_; }

    // Each returns true where the button's look changed.
    bool set_hot(bool hot);
    bool left_press();
    // The pointer moved while the left mouse button is held; `inside` is over the button.
    bool pointer_moved(bool inside);
    // Returns true where the release clicks the button.
    bool left_release(bool inside);
    // The mouse was taken away before the release: no click.
    bool mouse_lost();
    bool space_press();
    // Returns true where the release clicks the button.
    bool space_release();
    // Losing the focus ends a Space press without a click.
    bool focus_lost();
    // A preview may show the pressed face without any input.
    bool set_pressed(bool pressed);

    ButtonLook look(bool current) const {
        if (pressed_) return ButtonLook::Pressed;
        if (hot_) return ButtonLook::Hot;
        if (current) return ButtonLook::Active;
        return ButtonLook::Plain;
    }

  private:
    bool hot_ = false;
    bool pressed_ = false;
    bool mouse_held_ = false;
    bool space_held_ = false;
};

}  // namespace toolkit
