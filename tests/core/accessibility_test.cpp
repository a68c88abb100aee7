// What a screen reader finds in the menu: the tree, each button's states in each situation,
// hit points, navigation, the focus, the default action, and the events as the menu is used.
#include "toolkit/core/accessibility.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "script.h"

using namespace script;
using toolkit::AccessibleDirection;
using toolkit::AccessibleRole;
using toolkit::FormAccessibility;
using toolkit::kAccessibleFocusable;
using toolkit::kAccessibleFocused;
using toolkit::kAccessibleHotTracked;
using toolkit::kAccessiblePressed;
using toolkit::kAccessibleSelf;
using toolkit::kShift;

namespace {

constexpr unsigned F = kAccessibleFocusable;
constexpr unsigned kFocused = kAccessibleFocused;
constexpr unsigned kPressed = kAccessiblePressed;
constexpr unsigned kHot = kAccessibleHotTracked;

// Names each case in the test's name, not its bytes.
template <typename Case>
void print_name(const Case& c, std::ostream* os) {
    *os << c.name;
}

std::string event_text(const char* kind, int child) {
    std::string text = kind;
    text += std::to_string(child);
    return text;
}

// Events as "F<child>" (focus) and "S<child>" (state), in the order told.
class EventLog : public toolkit::AccessibilityEvents {
  public:
    void focus_moved(int child) override { told.push_back(event_text("F", child)); }
    void state_changed(int child) override { told.push_back(event_text("S", child)); }
    std::vector<std::string> told;
};

// The menu with its accessibility model, as the platform holds it.
struct AccessibleMenu {
    explicit AccessibleMenu(int ppi = 96) : menu(ppi), model(*menu.form, &events) {}
    fakes::Menu menu;
    EventLog events;
    FormAccessibility model;
};

TEST(AccessibleTree, TheClientAreaIsNamedForTheWindowAndHoldsThreeButtonsInTabOrder) {
    AccessibleMenu m;
    ASSERT_EQ(m.model.child_count(), 3);
    const auto self = m.model.node(kAccessibleSelf);
    ASSERT_TRUE(self);
    EXPECT_EQ(self->name, "Velmorra");
    EXPECT_EQ(self->role, AccessibleRole::Client);
    EXPECT_EQ(self->bounds, (toolkit::Rect{0, 0, 641, 499}));
    EXPECT_EQ(self->default_action, "");
    EXPECT_EQ(self->states, F);
}

struct TreeCase {
    const char* name;
    int ppi;
    int child;
    const char* button;
    const char* caption;
};
void PrintTo(const TreeCase& c, std::ostream* os) {
    print_name(c, os);
}

class AccessibleButtons : public ::testing::TestWithParam<TreeCase> {};

TEST_P(AccessibleButtons, AreNamedAsShownAndPlacedAsLaidOut) {
    const TreeCase& c = GetParam();
    AccessibleMenu m(c.ppi);
    const auto node = m.model.node(c.child);
    ASSERT_TRUE(node);
    EXPECT_EQ(node->name, c.caption);
    EXPECT_EQ(node->role, AccessibleRole::PushButton);
    EXPECT_EQ(node->default_action, "Press");
    EXPECT_EQ(node->bounds, m.menu.button(c.button).bounds());
    if (c.ppi == 96) {
        const auto& d = m.menu.button(c.button).bounds();
        EXPECT_EQ(d.left, 343);
        EXPECT_EQ(d.width(), 288);
    }
}

INSTANTIATE_TEST_SUITE_P(
    TabOrder, AccessibleButtons,
    ::testing::Values(
        TreeCase{"FirstIsDirectX", 96, 1, "RzButton1", "Установить DirectX"},
        TreeCase{"SecondIsTheGame", 96, 2, "RzButton7", "Установить Игру"},
        TreeCase{"ThirdIsTheUpgrade", 96, 3, "RzButton2", "VELMORRA Car Upgrade"},
        TreeCase{"ScaledLayoutPlacesTheFirst", 120, 1, "RzButton1", "Установить DirectX"},
        TreeCase{"ScaledLayoutPlacesTheThird", 120, 3, "RzButton2", "VELMORRA Car Upgrade"}),
    [](const auto& tc) { return tc.param.name; });

TEST(AccessibleTree, NoNodeBeyondTheButtons) {
    AccessibleMenu m;
    EXPECT_FALSE(m.model.node(-1));
    EXPECT_FALSE(m.model.node(4));
}

struct StateCase {
    const char* name;
    std::vector<Step> steps;
    unsigned self;
    unsigned directx;  // child 1, RzButton1
    unsigned game;     // child 2, RzButton7
    unsigned upgrade;  // child 3, RzButton2
};
void PrintTo(const StateCase& c, std::ostream* os) {
    print_name(c, os);
}

class AccessibleStates : public ::testing::TestWithParam<StateCase> {};

TEST_P(AccessibleStates, Are) {
    const StateCase& c = GetParam();
    AccessibleMenu m;
    play(m.menu, c.steps);
    EXPECT_EQ(m.model.node(0)->states, c.self);
    EXPECT_EQ(m.model.node(1)->states, c.directx);
    EXPECT_EQ(m.model.node(2)->states, c.game);
    EXPECT_EQ(m.model.node(3)->states, c.upgrade);
}

INSTANTIATE_TEST_SUITE_P(
    Situations, AccessibleStates,
    ::testing::Values(
        StateCase{"PlainBeforeTheFirstActivation", {}, F, F, F, F},
        StateCase{"FirstActivationFocusesDirectX", {activate()}, F, F | kFocused, F, F},
        StateCase{"TabMovesTheFocusedState", {activate(), key(Key::Tab)}, F, F, F | kFocused, F},
        StateCase{"PointerOverTheGameIsHot",
                  {activate(), move("RzButton7")},
                  F,
                  F | kFocused,
                  F | kHot,
                  F},
        StateCase{
            "PointerLeftIsNotHot", {activate(), move("RzButton7"), leave()}, F, F | kFocused, F, F},
        StateCase{"MousePressIsPressedHotAndFocused",
                  {activate(), down("RzButton2")},
                  F,
                  F,
                  F,
                  F | kFocused | kPressed | kHot},
        StateCase{"DraggedOffWhileHeldIsNotPressed",
                  {activate(), down("RzButton2"), move_at(kOnPicture)},
                  F,
                  F,
                  F,
                  F | kFocused},
        StateCase{"ReleasedIsNoLongerPressed",
                  {activate(), down("RzButton2"), up("RzButton2")},
                  F,
                  F,
                  F,
                  F | kFocused | kHot},
        StateCase{
            "SpaceHeldIsPressed", {activate(), key(Key::Space)}, F, F | kFocused | kPressed, F, F},
        StateCase{"InactiveWindowHasNoFocusedButton",
                  {activate(), key(Key::Tab), deactivate()},
                  F,
                  F,
                  F,
                  F},
        StateCase{
            "DeactivationEndsASpacePress", {activate(), key(Key::Space), deactivate()}, F, F, F, F},
        StateCase{"ReactivationFocusesTheSameButton",
                  {activate(), key(Key::Tab, kShift), deactivate(), activate()},
                  F,
                  F,
                  F,
                  F | kFocused}),
    [](const auto& tc) { return tc.param.name; });

struct HitCase {
    const char* name;
    Point at;
    std::optional<int> child;
};
void PrintTo(const HitCase& c, std::ostream* os) {
    print_name(c, os);
}

class AccessibleHitTest : public ::testing::TestWithParam<HitCase> {};

TEST_P(AccessibleHitTest, FindsTheChildAPressGoesTo) {
    AccessibleMenu m;
    EXPECT_EQ(m.model.child_at(GetParam().at), GetParam().child);
}

INSTANTIATE_TEST_SUITE_P(
    Points, AccessibleHitTest,
    ::testing::Values(HitCase{"DirectX", {360, 470}, 1}, HitCase{"Game", {360, 400}, 2},
                      HitCase{"Upgrade", {360, 430}, 3},
                      HitCase{"SharedRowIsTheUpgradesInFront", {400, 413}, 3},
                      HitCase{"RowAboveIsTheGames", {400, 412}, 2},
                      HitCase{"DirectXOverTheBlackBand", {400, 484}, 1},
                      HitCase{"PictureIsTheClientArea", {100, 100}, kAccessibleSelf},
                      HitCase{"LastPixelIsTheClientArea", {640, 498}, kAccessibleSelf},
                      HitCase{"RightOfTheClientAreaIsNothing", {641, 100}, std::nullopt},
                      HitCase{"BelowTheClientAreaIsNothing", {100, 499}, std::nullopt},
                      HitCase{"LeftOfTheClientAreaIsNothing", {-1, 100}, std::nullopt}),
    [](const auto& tc) { return tc.param.name; });

struct NavigationCase {
    const char* name;
    int from;
    AccessibleDirection direction;
    std::optional<int> to;
};
void PrintTo(const NavigationCase& c, std::ostream* os) {
    print_name(c, os);
}

class AccessibleNavigation : public ::testing::TestWithParam<NavigationCase> {};

TEST_P(AccessibleNavigation, FollowsTheTabOrder) {
    AccessibleMenu m;
    EXPECT_EQ(m.model.navigate(GetParam().from, GetParam().direction), GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, AccessibleNavigation,
    ::testing::Values(
        NavigationCase{"FirstChildIsDirectX", 0, AccessibleDirection::FirstChild, 1},
        NavigationCase{"LastChildIsTheUpgrade", 0, AccessibleDirection::LastChild, 3},
        NavigationCase{"NextOfTheClientAreaIsNotOurs", 0, AccessibleDirection::Next, std::nullopt},
        NavigationCase{"PreviousOfTheClientAreaIsNotOurs", 0, AccessibleDirection::Previous,
                       std::nullopt},
        NavigationCase{"NextOfDirectXIsTheGame", 1, AccessibleDirection::Next, 2},
        NavigationCase{"NextOfTheGameIsTheUpgrade", 2, AccessibleDirection::Next, 3},
        NavigationCase{"NextWrapsToDirectX", 3, AccessibleDirection::Next, 1},
        NavigationCase{"PreviousWrapsToTheUpgrade", 1, AccessibleDirection::Previous, 3},
        NavigationCase{"PreviousOfTheUpgradeIsTheGame", 3, AccessibleDirection::Previous, 2},
        NavigationCase{"AButtonHasNoChildren", 2, AccessibleDirection::FirstChild, std::nullopt},
        NavigationCase{"NothingFromAMissingChild", 4, AccessibleDirection::Next, std::nullopt}),
    [](const auto& tc) { return tc.param.name; });

struct FocusCase {
    const char* name;
    std::vector<Step> steps;
    std::optional<int> focus;
};
void PrintTo(const FocusCase& c, std::ostream* os) {
    print_name(c, os);
}

class AccessibleFocus : public ::testing::TestWithParam<FocusCase> {};

TEST_P(AccessibleFocus, Is) {
    AccessibleMenu m;
    play(m.menu, GetParam().steps);
    EXPECT_EQ(m.model.focus(), GetParam().focus);
}

INSTANTIATE_TEST_SUITE_P(
    Situations, AccessibleFocus,
    ::testing::Values(FocusCase{"NoneBeforeTheFirstActivation", {}, std::nullopt},
                      FocusCase{"DirectXOnFirstActivation", {activate()}, 1},
                      FocusCase{"TheGameAfterTab", {activate(), key(Key::Tab)}, 2},
                      FocusCase{"TheUpgradeAfterShiftTab", {activate(), key(Key::Tab, kShift)}, 3},
                      FocusCase{"NoneWhileInactive", {activate(), deactivate()}, std::nullopt},
                      FocusCase{"ThePressedButton", {activate(), down("RzButton7")}, 2}),
    [](const auto& tc) { return tc.param.name; });

struct ActionCase {
    const char* name;
    int child;
    bool done;
    std::vector<std::string_view> started;
};
void PrintTo(const ActionCase& c, std::ostream* os) {
    print_name(c, os);
}

class AccessibleDefaultAction : public ::testing::TestWithParam<ActionCase> {};

TEST_P(AccessibleDefaultAction, ClicksOnceAndLeavesTheFocus) {
    const ActionCase& c = GetParam();
    AccessibleMenu m;
    play(m.menu, {activate()});
    EXPECT_EQ(m.model.do_default_action(c.child), c.done);
    std::vector<std::string_view> started;
    for (const auto& s : m.menu.starter.started) started.push_back(s.command_line);
    EXPECT_EQ(started, c.started);
    EXPECT_EQ(m.model.focus(), 1);
    for (int child = 1; child <= 3; ++child)
        EXPECT_FALSE(m.model.node(child)->states & kPressed) << child;
}

INSTANTIATE_TEST_SUITE_P(Children, AccessibleDefaultAction,
                         ::testing::Values(ActionCase{"DirectX", 1, true, {"DirectX\\DXSETUP.exe"}},
                                           ActionCase{"Game", 2, true, {"setup.exe"}},
                                           ActionCase{"Upgrade", 3, true, {"explorer.exe addon"}},
                                           ActionCase{"TheClientAreaHasNone", 0, false, {}},
                                           ActionCase{"AMissingChildHasNone", 4, false, {}}),
                         [](const auto& tc) { return tc.param.name; });

TEST(AccessibleTakeFocus, GivesAButtonTheKeyboardFocusAndTellsIt) {
    AccessibleMenu m;
    play(m.menu, {activate()});
    EXPECT_TRUE(m.model.take_focus(3));
    EXPECT_EQ(m.menu.form->focused(), &m.menu.button("RzButton2"));
    EXPECT_EQ(m.model.focus(), 3);
    EXPECT_EQ(m.events.told, (std::vector<std::string>{"F1", "F3"}));
    EXPECT_FALSE(m.model.take_focus(0));
    EXPECT_FALSE(m.model.take_focus(4));
    EXPECT_EQ(m.model.focus(), 3);
    // Enter now clicks the button that took the focus.
    play(m.menu, {key(Key::Enter)});
    ASSERT_EQ(m.menu.starter.started.size(), 1u);
    EXPECT_EQ(m.menu.starter.started[0].command_line, "explorer.exe addon");
}

struct EventCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::string> told;
};
void PrintTo(const EventCase& c, std::ostream* os) {
    print_name(c, os);
}

class AccessibleEvents : public ::testing::TestWithParam<EventCase> {};

TEST_P(AccessibleEvents, AreTold) {
    AccessibleMenu m;
    play(m.menu, GetParam().steps);
    EXPECT_EQ(m.events.told, GetParam().told);
}

INSTANTIATE_TEST_SUITE_P(
    Uses, AccessibleEvents,
    ::testing::Values(
        EventCase{"NothingBeforeTheFirstActivation", {move("RzButton7")}, {}},
        EventCase{"FirstActivationFocusesDirectX", {activate()}, {"F1"}},
        EventCase{"TabAndShiftTab",
                  {activate(), key(Key::Tab), key(Key::Tab), key(Key::Tab, kShift)},
                  {"F1", "F2", "F3", "F2"}},
        EventCase{"HoverTellsNothing", {activate(), move("RzButton7"), leave()}, {"F1"}},
        EventCase{"MouseClickFocusesPressesAndReleases",
                  {activate(), down("RzButton2"), up("RzButton2")},
                  {"F1", "F3", "S3", "S3"}},
        EventCase{"DraggingOffAndBackReleasesAndPresses",
                  {activate(), down("RzButton7"), move_at(kOnPicture), move("RzButton7"),
                   up("RzButton7")},
                  {"F1", "F2", "S2", "S2", "S2", "S2"}},
        EventCase{"SpacePressesAndReleases",
                  {activate(), key(Key::Space), release(Key::Space)},
                  {"F1", "S1", "S1"}},
        EventCase{"EnterClicksWithoutAPress", {activate(), key(Key::Enter)}, {"F1"}},
        EventCase{"DeactivationReleasesAndTellsNoFocus",
                  {activate(), key(Key::Space), deactivate()},
                  {"F1", "S1", "S1"}},
        EventCase{"ReactivationTellsTheFocusAgain",
                  {activate(), key(Key::Tab), deactivate(), activate()},
                  {"F1", "F2", "F2"}},
        EventCase{
            "KeysWhileInactiveTellNothing", {activate(), deactivate(), key(Key::Tab)}, {"F1"}}),
    [](const auto& tc) { return tc.param.name; });

TEST(AccessibleModel, StopsFollowingTheFormWhenDestroyed) {
    fakes::Menu menu;
    EventLog events;
    {
        FormAccessibility model(*menu.form, &events);
        menu.form->activate();
    }
    menu.form->deactivate();
    menu.form->activate();
    EXPECT_EQ(events.told, (std::vector<std::string>{"F1"}));
}

}  // namespace
