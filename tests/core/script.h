// Event scripts: a test names what the user does, step by step, and the form plays it.
#pragma once

#include <string_view>
#include <vector>

#include "fakes.h"

namespace script {

using toolkit::Key;
using toolkit::MouseButton;
using toolkit::Point;
using toolkit::ShiftState;

struct Step {
    enum Kind {
        Down,
        Up,
        Move,
        KeyDown,
        KeyUp,
        Activate,
        Deactivate,
        Leave,
        CaptureLost
    } kind = Down;
    MouseButton button = MouseButton::Left;
    // A button's name places the pointer on its centre; empty means `point`.
    std::string_view on{};
    Point point{};
    Key key = Key::Other;
    ShiftState shift = 0;
    bool repeat = false;
};

inline constexpr Point kOnPicture{100, 100};

inline Step down(std::string_view on, MouseButton b = MouseButton::Left) {
    return {.kind = Step::Down, .button = b, .on = on};
}
inline Step down_at(Point p, MouseButton b = MouseButton::Left) {
    return {.kind = Step::Down, .button = b, .point = p};
}
inline Step up(std::string_view on, MouseButton b = MouseButton::Left) {
    return {.kind = Step::Up, .button = b, .on = on};
}
inline Step up_at(Point p, MouseButton b = MouseButton::Left) {
    return {.kind = Step::Up, .button = b, .point = p};
}
inline Step move(std::string_view on) {
    return {.kind = Step::Move, .on = on};
}
inline Step move_at(Point p) {
    return {.kind = Step::Move, .point = p};
}
inline Step key(Key k, ShiftState s = 0) {
    return {.kind = Step::KeyDown, .key = k, .shift = s};
}
inline Step repeat(Key k, ShiftState s = 0) {
    return {.kind = Step::KeyDown, .key = k, .shift = s, .repeat = true};
}
inline Step release(Key k, ShiftState s = 0) {
    return {.kind = Step::KeyUp, .key = k, .shift = s};
}
inline Step activate() {
    return {.kind = Step::Activate};
}
inline Step deactivate() {
    return {.kind = Step::Deactivate};
}
inline Step leave() {
    return {.kind = Step::Leave};
}
inline Step capture_lost() {
    return {.kind = Step::CaptureLost};
}

inline void play(fakes::Menu& m, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
        const Point p = s.on.empty() ? s.point : m.centre(s.on);
        switch (s.kind) {
            case Step::Down:
                m.form->mouse_down(s.button, s.shift, p);
                break;
            case Step::Up:
                m.form->mouse_up(s.button, s.shift, p);
                break;
            case Step::Move:
                m.form->mouse_move(s.shift, p);
                break;
            case Step::KeyDown:
                m.form->key_down(s.key, s.shift, s.repeat);
                break;
            case Step::KeyUp:
                m.form->key_up(s.key, s.shift);
                break;
            case Step::Activate:
                m.form->activate();
                break;
            case Step::Deactivate:
                m.form->deactivate();
                break;
            case Step::Leave:
                m.form->mouse_leave();
                break;
            case Step::CaptureLost:
                m.form->capture_lost();
                break;
        }
    }
}

}  // namespace script
