// Paint mode as a user copies a real cube with it, and the about box.
#include "app/Dialogs.h"
#include "app/FormAbout.h"
#include "app/FormGame.h"
#include "app/FormMain.h"
#include "app/FramePallete.h"
#include "app/Version.h"
#include "support/StickerPixels.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class PaintModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadGLLibraries());
        Form = new TFormGame(nullptr, BuiltInSettings, "Untitled-1", "Rubik's Cube", false, 1);
        Form->show();
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
        Form->ActionScrambleCube->trigger();
        QTest::keyClick(Form, Qt::Key_F6);
        QTest::qWait(50); // the palette's space comes off the view
    }
    void TearDown() override { delete Form.data(); }

    const TCubie& Sticker(int id) const { return Form->View->Cube->GetState().Cubies[id / 9][id % 9]; }

    // A click without movement at the centre of a sticker, through the real widget.
    void ClickSticker(int id, Qt::MouseButton button = Qt::LeftButton) {
        const auto p = testsupport::VisibleStickerPixel(*Form->View, id, Form->ClientArea->width(),
                                                        Form->ClientArea->height());
        ASSERT_TRUE(p.has_value()) << "sticker " << id;
        QTest::mouseClick(Form->ClientArea, button, {}, *p);
    }

    TColorPanel* Panel(std::uint8_t code) const {
        for (TColorPanel* panel : Form->FramePallete->Panels) {
            if (panel->Tag == code) {
                return panel;
            }
        }
        return nullptr;
    }

    QPointer<TFormGame> Form;
    TMessageRecorder Messages;
};

TEST_F(PaintModeTest, ThePaletteShowsTheColoursInItsOrderAndWhatIsMissing) {
    EXPECT_TRUE(Form->PanelPallete->isVisible());
    for (const auto& face : Form->View->Cube->GetState().Cubies) {
        for (const TCubie& sticker : face) {
            EXPECT_EQ(sticker.Color, NoColor) << "paint mode starts from an empty cube";
        }
    }
    std::vector<int> order;
    int lastX = -1;
    for (TColorPanel* panel : Form->FramePallete->Panels) {
        order.push_back(panel->Tag);
        EXPECT_GT(panel->x(), lastX);
        lastX = panel->x();
        EXPECT_EQ(panel->Missing(), 9);
    }
    EXPECT_EQ(order, (std::vector<int>{0, 2, 1, 5, 4, 3})) << "U R F D L B from left to right";
    EXPECT_EQ(Form->FramePallete->Label1->text(), "Click to select or right click to customize.");
    EXPECT_GT(Form->FramePallete->PanelOrientation->frameWidth(), 0) << "the palette stands out by its frame";
    EXPECT_EQ(Form->View->PaintColor, 0) << "U is chosen from the start";
}

TEST_F(PaintModeTest, ClicksPaintAndClearByTheRule) {
    struct TStep {
        const char* Name;
        std::uint8_t Panel; // chosen before the click; 99: none
        int Sticker;
        Qt::MouseButton Button;
        std::uint8_t Expected;
    };
    const TStep steps[] = {
        {"R chosen, a colourless sticker gets R", 2, 13, Qt::LeftButton, 2},
        {"a painted sticker becomes colourless", 99, 13, Qt::LeftButton, NoColor},
        {"the middle button paints too", 5, 4, Qt::MiddleButton, 5},
        {"a coloured sticker is cleared whatever the colour chosen", 1, 4, Qt::LeftButton, NoColor},
        {"B on a corner", 3, 9, Qt::LeftButton, 3},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Name);
        if (step.Panel != 99) {
            QTest::mouseClick(Panel(step.Panel), Qt::LeftButton);
            EXPECT_EQ(Form->View->PaintColor, step.Panel);
        }
        const TCubie before = Sticker(step.Sticker);
        ClickSticker(step.Sticker, step.Button);
        EXPECT_EQ(Sticker(step.Sticker).Color, step.Expected);
        EXPECT_EQ(Sticker(step.Sticker).HomeFace, before.HomeFace) << "only the colour changes";
        EXPECT_EQ(Sticker(step.Sticker).HomeIndex, before.HomeIndex);
    }
    EXPECT_EQ(Panel(3)->Missing(), 8) << "one B sticker painted";
    EXPECT_EQ(Panel(2)->Missing(), 9);

    // What the window shows: the painted corner in B's colour (orange: red high, blue low).
    int w = 0, h = 0;
    const std::vector<std::uint8_t> frame = Form->View->CaptureFrame(w, h);
    const auto p = testsupport::VisibleStickerPixel(*Form->View, 9, w, h);
    ASSERT_TRUE(p.has_value());
    const std::size_t i = (static_cast<std::size_t>(h - 1 - p->y()) * w + p->x()) * 4;
    EXPECT_GT(frame[i], 2 * frame[i + 2] + 20) << "the painted sticker is not orange";
    EXPECT_GT(frame[i + 1], frame[i + 2]);

    // A click that moves paints nothing.
    const auto q = testsupport::VisibleStickerPixel(*Form->View, 10, Form->ClientArea->width(),
                                                    Form->ClientArea->height());
    QTest::mousePress(Form->ClientArea, Qt::LeftButton, {}, *q);
    QTest::mouseRelease(Form->ClientArea, Qt::LeftButton, {}, *q + QPoint(3, 0));
    EXPECT_EQ(Sticker(10).Color, NoColor);

    QImage(frame.data(), w, h, QImage::Format_RGBX8888).mirrored().save("paint_mode_view.png");
    QTest::qWait(100); // the palette repaints its counts
    EXPECT_TRUE(QApplication::primaryScreen()->grabWindow(0).copy(Form->geometry()).save("paint_mode.png"));

    QTest::keyClick(Form, Qt::Key_F6);
    EXPECT_EQ(Sticker(9).Color, 3) << "paint mode again empties nothing";
    QTest::keyClick(Form, Qt::Key_F5);
    EXPECT_FALSE(Form->PanelPallete->isVisible());
    EXPECT_EQ(Sticker(9).Color, 3) << "the painted colours stay in play mode";
}

TEST_F(PaintModeTest, ARightClickOnAPanelChangesThatColourInThisGameOnly) {
    Messages.ColorAnswer = 0x00FF00; // green, as 0x00BBGGRR
    // What a right click on the panel brings: its context-menu event.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, {5, 5}, Panel(0)->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Panel(0), &menu);
    ASSERT_FALSE(Messages.ColorsAsked.empty());
    EXPECT_EQ(Messages.ColorsAsked.back(), BuiltInSettings.FaceColors[0]);
    EXPECT_EQ(Form->View->Settings.FaceColors[0], 0x00FF00u);
    EXPECT_EQ(Form->Settings.FaceColors[0], BuiltInSettings.FaceColors[0]) << "the game's own copy stays";
    EXPECT_EQ(Form->View->PaintColor, 0) << "and U is chosen";

    Messages.ColorAnswer.reset(); // Cancel
    QApplication::sendEvent(Panel(2), &menu);
    EXPECT_EQ(Form->View->Settings.FaceColors[2], BuiltInSettings.FaceColors[2]);
}

TEST(AboutBoxTest, ShowsWhatTheProgramIsAndSpins) {
    ASSERT_TRUE(LoadGLLibraries());
    TMessageRecorder messages;
    QWidget owner;
    owner.resize(800, 600);
    owner.show();
    auto about = std::make_unique<TFormAbout>(&owner);
    about->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about.get()));
    EXPECT_EQ(about->LabelVersion->text().toStdString(), std::string("Version ") + TorvaneVersion);

    int w = 0, h = 0;
    const std::vector<std::uint8_t> first = about->Preview->CaptureFrame(w, h);
    QTest::qWait(300);
    const std::vector<std::uint8_t> later = about->Preview->CaptureFrame(w, h);
    EXPECT_NE(first, later) << "the preview turns by itself";

    QTest::mouseClick(about->StaticTextURL, Qt::LeftButton);
    QTest::mouseClick(about->StaticTextSupportMail, Qt::LeftButton);
    EXPECT_EQ(messages.Opened, (std::vector<std::string>{WebSite, std::string("mailto:") + SupportMail}));

    // Closing frees it and its preview, spinning or not.
    QPointer<TFormAbout> watched = about.get();
    about.reset();
    EXPECT_TRUE(watched.isNull());
}

} // namespace
