// The menu window with the real Linux services: the window font keeps the layout at its
// designed size, the title picture decodes, and each caption lands on its button.
#include <gtest/gtest.h>

#include "toolkit/x11/jpeg_turbo.h"
#include "toolkit/x11/text_freetype.h"
#include "ui/unit1.h"

namespace {

class NoStarter : public launch::CommandStarter {
  public:
    void start(const launch::LaunchCommand&) override {}
};

class WindowRender : public testing::Test {
  protected:
    WindowRender() { toolkit::x11::register_jpeg(pictures_); }

    toolkit::x11::FreeTypeText text_;
    toolkit::PictureFormats pictures_;
    toolkit::FormServices services_{text_, pictures_, 96, toolkit::Rgb{0, 120, 215}};
    NoStarter starter_;
};

TEST_F(WindowRender, KeepsItsDesignedSizeAtNinetySixDpi) {
    TForm1 form(services_, starter_);
    EXPECT_FALSE(form.scaled());
    EXPECT_EQ(form.client_size(), (toolkit::Size{641, 499}));
    EXPECT_EQ(form.RzButton1->bounds(), toolkit::Rect::from_size(343, 457, 288, 28));
}

TEST_F(WindowRender, DecodesTheTitlePictureOnFirstPaint) {
    TForm1 form(services_, starter_);
    toolkit::PixelBuffer buffer(form.client_size().width, form.client_size().height);
    form.paint(buffer, buffer.bounds(), true);
    ASSERT_TRUE(form.picture().decoded());
    EXPECT_EQ(form.picture().picture().width, 640);
    EXPECT_EQ(form.picture().picture().height, 480);
}

// The faces are shades of brown, so white pixels inside a button are its caption.
TEST_F(WindowRender, EveryCaptionIsDrawnInsideItsButton) {
    TForm1 form(services_, starter_);
    toolkit::PixelBuffer buffer(form.client_size().width, form.client_size().height);
    form.paint(buffer, buffer.bounds(), true);
    for (toolkit::FlatButton* button : {form.RzButton1, form.RzButton7, form.RzButton2}) {
        const toolkit::Rect face = button->bounds().inset(3);
        int white = 0;
        for (int y = face.top; y < face.bottom; ++y)
            for (int x = face.left; x < face.right; ++x)
                white += buffer.at(x, y) == toolkit::Rgb{255, 255, 255}.pixel();
        EXPECT_GT(white, 60) << button->name();
    }
}

}  // namespace
