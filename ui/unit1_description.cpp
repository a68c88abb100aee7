// The window description of TForm1: every setting of the window, its picture and its
// buttons, and which handler each event calls.
#include <array>

#include "resources/resources.h"
#include "ui/unit1.h"

using namespace toolkit;

namespace {

constexpr std::array<ButtonSettings, 3> kButtons{{
    {.name = "RzButton1",
     .caption = "Установить DirectX",
     .left = 343,
     .top = 457,
     .width = 288,
     .height = 28,
     .font_height = -11,
     .tab_order = 0},
    {.name = "RzButton7",
     .caption = "Установить Игру",
     .left = 343,
     .top = 386,
     .width = 288,
     .height = 28,
     .font_height = -13,
     .tab_order = 1},
    {.name = "RzButton2",
     .caption = "VELMORRA Car Upgrade",
     .left = 343,
     .top = 413,
     .width = 288,
     .height = 28,
     .font_height = -13,
     .tab_order = 2},
}};

// RzButton7 and RzButton2 share row 413, where RzButton2 is in front.
constexpr std::array<std::string_view, 4> kFrontToBack{"RzButton2", "RzButton7", "RzButton1",
                                                       "Image1"};

constexpr std::array<EventBinding, 5> kBindings{{
    {"Form1", EventKind::MouseDown, "FormMouseDown"},
    {"Image1", EventKind::MouseDown, "Image1MouseDown"},
    {"RzButton7", EventKind::Click, "Game1Click"},
    {"RzButton2", EventKind::Click, "Game2Click"},
    {"RzButton1", EventKind::Click, "DXClick"},
}};

const FormDescription kForm1{
    .form = {.name = "Form1",
             .class_name = "TForm1",
             .left = 350,
             .top = 196,
             .border_style = BorderStyle::Dialog,
             .caption = "Velmorra",
             .client_width = 641,
             .client_height = 499,
             .colour = clBlack,
             .font = {.name = "MS Sans Serif",
                      .height = -11,
                      .charset = Charset::Default,
                      .colour = clWindowText,
                      .bold = false},
             .old_create_order = false,
             .position = FormPosition::ScreenCenter,
             .pixels_per_inch = 96,
             .text_height = 13,
             .scaled = true,
             .key_preview = false},
    .picture = {.name = "Image1",
                .left = 0,
                .top = 0,
                .width = 641,
                .height = 499,
                .align = Align::Client,
                .auto_size = true,
                .picture_class = kJpegPictureClass,
                .picture_data = &resources::title_picture,
                .explicit_width = 640,
                .explicit_height = 480,
                .stretch = false,
                .center = false,
                .proportional = false,
                .transparent = false},
    .button_style = {.colour = ColorValue::of(2897985),
                     .frame_colour = clSilver,
                     .font_name = "MS Sans Serif",
                     .charset = Charset::Russian,
                     .font_colour = clWhite,
                     .bold = true,
                     .parent_font = false,
                     .hot_track = true,
                     .tab_stop = true,
                     .show_focus_rect = true,
                     .hot_track_colour = ColorValue::of(1350640),
                     .highlight_colour = clHighlight},
    .buttons = kButtons,
    .stacking_front_to_back = kFrontToBack,
    .bindings = kBindings,
};

}  // namespace

const FormDescription& form1_description() {
    return kForm1;
}
