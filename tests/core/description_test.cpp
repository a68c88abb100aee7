// The window description: its bindings resolve to the form's handlers, and the layout keeps
// the facts the look and the click rules rest on.
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

#include "fakes.h"

namespace {

TEST(Description, EveryBindingResolvesToAHandler) {
    fakes::Menu m;
    for (const auto& b : m.form->buttons()) EXPECT_TRUE(b->on_click) << b->name();
    EXPECT_TRUE(m.form->picture().on_mouse_down);
    ASSERT_EQ(Form1, nullptr);  // only the shell sets it
}

TEST(Description, FieldsReferToTheirControls) {
    fakes::Menu m;
    EXPECT_EQ(m.form->Image1, &m.form->picture());
    EXPECT_EQ(m.form->RzButton1->caption(), "Установить DirectX");
    EXPECT_EQ(m.form->RzButton7->caption(), "Установить Игру");
    EXPECT_EQ(m.form->RzButton2->caption(), "VELMORRA Car Upgrade");
}

TEST(Description, ButtonsSpanTheSameColumnsAndOverlapOnRow413) {
    fakes::Menu m;
    for (const auto& b : m.form->buttons()) {
        EXPECT_EQ(b->bounds().left, 343);
        EXPECT_EQ(b->bounds().right - 1, 630);
        EXPECT_EQ(m.form->client_size().width - b->bounds().right, 10);
    }
    EXPECT_EQ(m.form->RzButton7->bounds().bottom - 1, 413);
    EXPECT_EQ(m.form->RzButton2->bounds().top, 413);
    EXPECT_EQ(m.form->RzButton1->bounds().top - m.form->RzButton2->bounds().bottom, 16);
    EXPECT_EQ(m.form->RzButton1->bounds().bottom - 480, 5);
}

TEST(Description, ButtonFontsAreBoldRussianAtTheirHeights) {
    fakes::Menu m;
    const std::array<std::pair<const toolkit::FlatButton*, int>, 3> heights{
        {{m.form->RzButton7, -13}, {m.form->RzButton2, -13}, {m.form->RzButton1, -11}}};
    for (const auto& [b, h] : heights) {
        EXPECT_EQ(b->font().height, h) << b->name();
        EXPECT_TRUE(b->font().bold);
        EXPECT_EQ(b->font().charset, toolkit::Charset::Russian);
        EXPECT_EQ(b->font().name, "MS Sans Serif");
    }
}

// A form whose published handlers lack one the description names.
class MissingHandlerForm : public toolkit::Form {
  public:
    MissingHandlerForm(const toolkit::FormServices& s, std::string_view missing, bool wrong_kind)
        : Form(form1_description(), s), missing_(missing), wrong_kind_(wrong_kind) {
        load();
    }

  protected:
    std::optional<toolkit::Method> find_method(std::string_view name) override {
        if (name == missing_) {
            if (!wrong_kind_) return std::nullopt;
            return toolkit::NotifyEvent([](toolkit::Component&) {});
        }
        if (name.ends_with("Click")) return toolkit::NotifyEvent([](toolkit::Component&) {});
        return toolkit::MouseEvent(
            [](toolkit::Component&, toolkit::MouseButton, toolkit::ShiftState, int, int) {});
    }

  private:
    std::string_view missing_;
    bool wrong_kind_;
};

class UnresolvedBinding : public ::testing::TestWithParam<std::string_view> {};

TEST_P(UnresolvedBinding, IsAnErrorAtLoad) {
    fakes::BoxText text;
    toolkit::PictureFormats formats;
    const toolkit::FormServices services{text, formats, 96, {0, 120, 215}};
    EXPECT_THROW(MissingHandlerForm(services, GetParam(), false), std::runtime_error);
    if (GetParam() == "Image1MouseDown" || GetParam() == "FormMouseDown") {
        EXPECT_THROW(MissingHandlerForm(services, GetParam(), true), std::runtime_error);
    }
}

INSTANTIATE_TEST_SUITE_P(Handlers, UnresolvedBinding,
                         ::testing::Values("FormMouseDown", "Image1MouseDown", "DXClick",
                                           "Game1Click", "Game2Click"));

TEST(Description, PictureIsOfTheJpegClassTheDecodersRegister) {
    EXPECT_EQ(form1_description().picture.picture_class, "TJPEGImage");
    EXPECT_EQ(toolkit::kJpegPictureClass, "TJPEGImage");
}

TEST(Description, PictureOfAnUnregisteredClassStaysEmpty) {
    const toolkit::PictureFormats none;
    fakes::Menu m({.pictures = &none});
    EXPECT_EQ(m.form->picture().picture().width, 0);
    toolkit::PixelBuffer buffer(641, 499);
    m.form->paint(buffer, buffer.bounds(), true);
    EXPECT_EQ(buffer.at(100, 100), 0u);  // black shows where the picture would be
}

TEST(Description, PictureIsDecodedOnceOnFirstPaint) {
    toolkit::PictureFormats formats;
    int decodes = 0;
    formats.register_format(toolkit::kJpegPictureClass, {"jpeg", "jpg"},
                            [&](std::span<const std::uint8_t>) {
                                ++decodes;
                                return fakes::test_picture();
                            });
    fakes::Menu m({.pictures = &formats});
    EXPECT_EQ(decodes, 0);
    toolkit::PixelBuffer buffer(641, 499);
    for (int i = 0; i < 3; ++i) m.form->paint(buffer, buffer.bounds(), true);
    EXPECT_EQ(decodes, 1);
}

TEST(Description, UndecodablePictureShowsBlack) {
    toolkit::PictureFormats formats;
    formats.register_format(toolkit::kJpegPictureClass, {"jpg"},
                            [](std::span<const std::uint8_t>) -> toolkit::Bitmap {
                                throw std::runtime_error("corrupt");
                            });
    fakes::Menu m({.pictures = &formats});
    toolkit::PixelBuffer buffer(641, 499);
    m.form->paint(buffer, buffer.bounds(), true);
    EXPECT_EQ(buffer.at(100, 100), 0u);
}

}  // namespace
