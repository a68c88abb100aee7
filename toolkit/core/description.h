// A window as data: the settings of a form and its controls, and which handler each event
// calls, by name. The loader in form.cpp builds a live window from it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "geometry.h"
#include "text_service.h"

namespace toolkit {

// A colour value of the description: RGB with red in the lowest byte, or a system colour
// that the desktop settings decide.
struct ColorValue {
    enum class System { Fixed, WindowText, Highlight };
    std::uint32_t rgb = 0;
    System system = System::Fixed;

    static constexpr ColorValue of(std::uint32_t v) { return {v, System::Fixed}; }
    static constexpr ColorValue system_colour(System s) { return {0, s}; }
    friend constexpr bool operator==(ColorValue, ColorValue) = default;
};

inline constexpr ColorValue clBlack = ColorValue::of(0x000000);
inline constexpr ColorValue clWhite = ColorValue::of(0xFFFFFF);
inline constexpr ColorValue clSilver = ColorValue::of(0xC0C0C0);
inline constexpr ColorValue clWindowText =
    ColorValue::system_colour(ColorValue::System::WindowText);
inline constexpr ColorValue clHighlight = ColorValue::system_colour(ColorValue::System::Highlight);

enum class BorderStyle { Dialog };
enum class FormPosition { ScreenCenter };
enum class Align { Manual, Client };

struct FontDescription {
    std::string_view name;
    int height = -11;
    Charset charset = Charset::Default;
    ColorValue colour = clWindowText;
    bool bold = false;
};

struct FormSettings {
    std::string_view name;
    std::string_view class_name;
    int left = 0;
    int top = 0;
    BorderStyle border_style = BorderStyle::Dialog;
    std::string_view caption;
    int client_width = 0;
    int client_height = 0;
    ColorValue colour = clBlack;
    FontDescription font;
    bool old_create_order = false;
    FormPosition position = FormPosition::ScreenCenter;
    int pixels_per_inch = 96;
    int text_height = 13;
    bool scaled = true;
    bool key_preview = false;
};

struct PictureSettings {
    std::string_view name;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    Align align = Align::Manual;
    bool auto_size = false;
    // The picture is kept under the name of its class; only a registered class is loaded.
    std::string_view picture_class;
    std::span<const std::uint8_t> (*picture_data)() = nullptr;
    int explicit_width = 0;
    int explicit_height = 0;
    bool stretch = false;
    bool center = false;
    bool proportional = false;
    bool transparent = false;
};

// Settings the three flat buttons share.
struct ButtonStyle {
    ColorValue colour;
    ColorValue frame_colour;
    std::string_view font_name;
    Charset charset = Charset::Default;
    ColorValue font_colour;
    bool bold = false;
    bool parent_font = false;
    bool hot_track = true;
    bool tab_stop = true;
    bool show_focus_rect = true;
    ColorValue hot_track_colour;
    ColorValue highlight_colour;
};

struct ButtonSettings {
    std::string_view name;
    std::string_view caption;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int font_height = -11;
    int tab_order = 0;
};

enum class EventKind { MouseDown, Click };

struct EventBinding {
    std::string_view component;
    EventKind event;
    std::string_view handler;
};

struct FormDescription {
    FormSettings form;
    PictureSettings picture;
    ButtonStyle button_style;
    // In the order the description lists them.
    std::span<const ButtonSettings> buttons;
    // Control names, the front-most first; the picture lies behind every button.
    std::span<const std::string_view> stacking_front_to_back;
    std::span<const EventBinding> bindings;
};

}  // namespace toolkit
