#include "ui/unit1.h"

TForm1* Form1 = nullptr;

using namespace toolkit;

TForm1::TForm1(const FormServices& services, launch::CommandStarter& starter)
    : Form(form1_description(), services), starter_(starter) {
    load();
    Image1 = &picture();
    RzButton1 = find_button("RzButton1");
    RzButton7 = find_button("RzButton7");
    RzButton2 = find_button("RzButton2");
}

std::optional<Method> TForm1::find_method(std::string_view name) {
    if (name == "FormMouseDown")
        return MouseEvent([this](Component& s, MouseButton b, ShiftState sh, int x, int y) {
            FormMouseDown(s, b, sh, x, y);
        });
    if (name == "Image1MouseDown")
        return MouseEvent([this](Component& s, MouseButton b, ShiftState sh, int x, int y) {
            Image1MouseDown(s, b, sh, x, y);
        });
    if (name == "DXClick") return NotifyEvent([this](Component& s) { DXClick(s); });
    if (name == "Game1Click") return NotifyEvent([this](Component& s) { Game1Click(s); });
    if (name == "Game2Click") return NotifyEvent([this](Component& s) { Game2Click(s); });
    return std::nullopt;
}

void TForm1::drag_window() {
    WindowHost* window = host();
    if (!window) return;
    window->release_capture();
    window->perform(kWmSysCommand, kScMove + kHtCaption, 0);
}

void TForm1::FormMouseDown(Component&, MouseButton, ShiftState, int, int) {
    drag_window();
}

void TForm1::Image1MouseDown(Component&, MouseButton, ShiftState, int, int) {
    drag_window();
}

void TForm1::DXClick(Component&) {
    starter_.start(launch::kInstallDirectX);
}

void TForm1::Game1Click(Component&) {
    starter_.start(launch::kInstallGame);
}

void TForm1::Game2Click(Component&) {
    starter_.start(launch::kOpenAddons);
}
