// The menu's one window: the title picture and three buttons that start programs from the
// disc. Everything but the five handlers is data, in unit1_description.cpp.
#pragma once

#include <optional>
#include <string_view>

#include "launch/launch_command.h"
#include "toolkit/core/form.h"

class TForm1 : public toolkit::Form {
  public:
    TForm1(const toolkit::FormServices& services, launch::CommandStarter& starter);

    toolkit::PictureControl* Image1 = nullptr;
    toolkit::FlatButton* RzButton1 = nullptr;
    toolkit::FlatButton* RzButton7 = nullptr;
    toolkit::FlatButton* RzButton2 = nullptr;

    void FormMouseDown(toolkit::Component& sender, toolkit::MouseButton button,
                       toolkit::ShiftState shift, int x, int y);
    void Image1MouseDown(toolkit::Component& sender, toolkit::MouseButton button,
                         toolkit::ShiftState shift, int x, int y);
    void DXClick(toolkit::Component& sender);
    void Game1Click(toolkit::Component& sender);
    void Game2Click(toolkit::Component& sender);

  protected:
    std::optional<toolkit::Method> find_method(std::string_view name) override;

  private:
    // Hands the window to the system's move loop until the mouse button is released.
    void drag_window();

    launch::CommandStarter& starter_;
};

// The one instance, set while the application shell creates it.
extern TForm1* Form1;

// The window description of TForm1.
const toolkit::FormDescription& form1_description();
