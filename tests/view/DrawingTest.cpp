// What the view really draws, read back from the frame: sticker colours where the stickers must be,
// the background around them, changes in the model, and a turned layer. And picking and the mouse:
// the sticker under each pixel, the drag that turns a layer in the pointer's sense, the arcball and
// environment drags, and the drags that turn nothing.
#include "support/PaintedCube.h"
#include "support/StickerPixels.h"
#include "support/ViewFixture.h"
#include "view/Cube3D.h"

#include <QTest>
#include <QWidget>
#include <cmath>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

namespace {

using testsupport::TFrame;
using testsupport::TPixel;

constexpr int Side = 400;
constexpr std::uint32_t Background = 0x402010; // blue 0x40, green 0x20, red 0x10

bool IsBackground(TPixel p) {
    return (p.r | p.g << 8 | p.b << 16) == Background;
}

// Sticker centres in the cube's frame: the sticker surface lies 1.0 out from its cubie's centre.
constexpr float Out = 1.98f + 1.0f;
constexpr TVector3 UCentre{0, Out, 0}, FCentre{0, 0, Out}, LCentre{-Out, 0, 0};

// The owner of the view: records what the view tells it.
class TRecordingOwner : public QWidget {
public:
    std::vector<std::string> Moves;
    std::vector<QPoint> Popups;

protected:
    bool event(QEvent* e) override {
        if (static_cast<int>(e->type()) == WM_CUBEMOVES) {
            Moves.push_back(static_cast<TCubeMovesEvent*>(e)->Moves);
        } else if (static_cast<int>(e->type()) == WM_CUBEPOPUP) {
            Popups.emplace_back(static_cast<TCubePopupEvent*>(e)->X, static_cast<TCubePopupEvent*>(e)->Y);
        } else {
            return QWidget::event(e);
        }
        return true;
    }
};

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        View = testsupport::StartView(Window, Side, [](tCubeSettings& s) { s.BackgroundColor = Background; });
        ASSERT_NE(View, nullptr);
        View->SetEnabled(true);
    }

    QPoint Centre(int id) const {
        const std::optional<QPoint> p = testsupport::VisibleStickerPixel(*View, id, Side, Side);
        EXPECT_TRUE(p.has_value()) << "sticker " << id << " is not in sight";
        return p.value_or(QPoint(0, 0));
    }

    // A drag in steps of at most three pixels from one point by (dx, dy), released at its end.
    void Drag(QPoint from, int dx, int dy, TMouseButton button = TMouseButton::Left) {
        View->MouseDown(button, from.x(), from.y());
        const int steps = (std::max(std::abs(dx), std::abs(dy)) + 2) / 3;
        for (int s = 1; s <= steps; ++s) {
            View->MouseMove(from.x() + dx * s / steps, from.y() + dy * s / steps);
        }
        View->MouseUp(button, from.x() + dx, from.y() + dy);
    }

    QPoint Project(TVector3 p) const { return testsupport::ProjectToWindow(*View, p, Side, Side); }
    TPixel At(const TFrame& f, TVector3 p) const {
        const QPoint q = Project(p);
        return f.At(q.x(), q.y());
    }

    // The face colour (code 0..6) a lit pixel shows: nearest in hue and saturation, brightness aside;
    // -1 where it is too dark to be a sticker.
    int ColorAt(const TFrame& f, TVector3 point) const {
        const TPixel p = At(f, point);
        const double m = std::max({p.r, p.g, p.b, 1});
        int best = -1;
        double bestDistance = 1e9;
        for (int code = 0; code < 7; ++code) {
            const TRGB c = TCube3D::ColorToGL(View->GetSettings().FaceColors[code]);
            const double cm = std::max({c.Red, c.Green, c.Blue});
            const double d = std::hypot(p.r / m - c.Red / cm, p.g / m - c.Green / cm, p.b / m - c.Blue / cm);
            if (d < bestDistance) {
                bestDistance = d;
                best = code;
            }
        }
        return m < 40 ? -1 : best;
    }

    TRecordingOwner Window;
    std::unique_ptr<TCube3D> View;
};
class PickingTest : public DrawingTest {};

// That each sticker in sight shows its face's colour is the picking test's, and the background around
// the cube the tall window's.
TEST_F(DrawingTest, StandardViewShowsBlackBetweenStickers) {
    const TFrame f = testsupport::Capture(*View);
    // Between stickers lies the black cubie body; where cubies meet, their bevelled edges and corners
    // close the gaps, so the background never shows through the cube.
    const std::pair<const char*, TVector3> gaps[] = {
        {"between two of F's stickers", {0.99f, 0, Out - 0.005f}},
        {"where four of F's stickers meet", {0.99f, 0.99f, Out - 0.005f}},
        {"on the rim where U meets F, between two cubies", {0.99f, 2.925f, 2.925f}}};
    for (const auto& [where, point] : gaps) {
        const TPixel p = At(f, point);
        EXPECT_LT(std::max({p.r, p.g, p.b}), 40) << where;
    }
}

TEST_F(DrawingTest, ModelChangesShowInTheNextFrame) {
    View->ChangeCube([](TRubikCube& Cube) {
        Cube.TurnFace(0);                             // U: F's top row now shows R's colour (yellow)
        Cube.GetState().Cubies[1][4].Color = 5;       // F centre painted green
        Cube.GetState().Cubies[4][4].Color = NoColor; // L centre unpainted: grey
    });
    TFrame f = testsupport::Capture(*View);
    EXPECT_EQ(ColorAt(f, {0, 1.98f, Out}), 2);
    EXPECT_EQ(ColorAt(f, FCentre), 5);
    EXPECT_EQ(ColorAt(f, {0, -1.98f, Out}), 1) << "F's bottom row is unchanged";
    for (const bool lit : {false, true}) { // the lights cast no colour
        testsupport::Apply(*View, [lit](tCubeSettings& s) { s.Lighting = lit; });
        const TPixel p = At(testsupport::Capture(*View), LCentre);
        EXPECT_LT(std::abs(p.r - p.g) + std::abs(p.g - p.b), 12)
            << "an unpainted sticker is grey, lit " << lit;
    }

    // A colour change shows without rebuilding anything.
    testsupport::Apply(*View, [](tCubeSettings& s) { s.FaceColors[0] = 0xFF00FF; }); // U magenta
    EXPECT_EQ(ColorAt(testsupport::Capture(*View), UCentre), 0);
}

TEST_F(DrawingTest, TurnedLayerOpensAGapToTheRest) {
    // Look straight down on U: a quarter turn about x brings +y to the viewer.
    View->GetArcBall().SetRotation({1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1});
    // Unlit: the spotlight's highlight on the black faces would read as a sticker's colour.
    testsupport::Apply(*View, [](tCubeSettings& s) { s.Lighting = false; });
    const TVector3 corner{2.4f, Out, 2.4f}; // on U's corner sticker, outside the U layer turned by 45
    TFrame f = testsupport::Capture(*View);
    EXPECT_EQ(ColorAt(f, corner), 0);
    EXPECT_EQ(ColorAt(f, UCentre), 0);

    // The U layer turned by 45 degrees no longer covers the corner: there the middle layer's top,
    // black cubie faces without stickers, shows through. The layer's own centre stays where it was.
    f = testsupport::Capture(*View, 2, 45);
    EXPECT_EQ(ColorAt(f, corner), -1) << "black between the turned layer and the rest";
    EXPECT_EQ(ColorAt(f, UCentre), 0);
    // The layer really turned: a corner sticker now lies over the middle of the R edge.
    EXPECT_EQ(ColorAt(f, {1.98f * 1.41421f, Out, 0}), 0);
}

// A hint's arrow runs round the turning layer, outside the cube, with its head where the turn goes; a
// half turn has a head at both ends.
TEST_F(DrawingTest, AHintsArrowPointsTheTurnsWay) {
    constexpr float Radius = Out * 1.55f, Start = 3.14159265f / 4, Span = 300 * 3.14159265f / 180;
    // The move, the sense of its turn about +x, and whether it has a head at both ends.
    for (const auto& [move, sense, bothEnds] :
         {std::tuple("R", -1.0f, false), std::tuple("Ri", 1.0f, false), std::tuple("R2", -1.0f, true)}) {
        SCOPED_TRACE(move);
        View->SetHint(move);
        const TFrame f = testsupport::Capture(*View);
        // On the band's middle line, beyond its ends, where only a head reaches.
        const auto magentaAt = [&](float angle) {
            const TPixel p = At(f, {1.98f, Radius * std::cos(angle), Radius * std::sin(angle)});
            return p.r > 150 && p.b > 150 && p.g < 100;
        };
        EXPECT_TRUE(magentaAt(Start + sense * (Span + 0.15f))) << "a head at the end";
        EXPECT_EQ(magentaAt(Start - sense * 0.15f), bothEnds) << "a head at the start";
    }
}

TEST_F(DrawingTest, SurfaceFollowsTheWindowAndRefreshComesBackFromAnyThread) {
    // In a tall window the whole cube stays in sight, in the middle: its sides are not cut off by the
    // frame's edges.
    Window.resize(120, 260);
    testsupport::TFrame f;
    static_cast<void>(QTest::qWaitFor(
        [&] { return (f = testsupport::Capture(*View)).Width == 120 && f.Height == 260; }, 10000));
    ASSERT_EQ(std::pair(f.Width, f.Height), std::pair(120, 260));
    EXPECT_FALSE(IsBackground(f.At(60, 130)));
    for (int y = 0; y < f.Height; ++y) {
        ASSERT_TRUE(IsBackground(f.At(0, y)) && IsBackground(f.At(f.Width - 1, y))) << "row " << y;
    }

    // Refresh from a worker: the redraw runs on the UI thread while the worker waits for it.
    testsupport::Apply(*View, [](tCubeSettings& s) { s.Lighting = false; }); // something for Redraw to apply
    std::future<void> refreshed = std::async(std::launch::async, [&] { View->Refresh(); });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return refreshed.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 2000))
        << "Refresh came back";
}

// On both sizes, from the standard view and three turns that between them show every face: every sticker in
// sight shows its face's colour at its centre and is picked there; nothing is picked around the cube.
TEST_F(PickingTest, EverySticker_InSightIsPickedAtItsCentre_AndNothingAroundTheCube) {
    for (const std::uint8_t size : {1, 0}) {
        SCOPED_TRACE("size index " + std::to_string(size));
        View.reset();
        View = testsupport::StartView(
            Window, Side, [](tCubeSettings& s) { s.BackgroundColor = Background; }, size);
        ASSERT_NE(View, nullptr);
        std::vector<int> seen(6, 0);
        for (const auto& [turnA, turnB] :
             {std::pair{0.0f, 0.0f}, {-150.0f, 20.0f}, {30.0f, -140.0f}, {0.0f, 160.0f}}) {
            SCOPED_TRACE(turnA);
            View->ResetCubeView();
            View->GetArcBall().TurnBy(turnA, turnB);
            const TFrame frame = testsupport::Capture(*View);
            for (int id = 0; id < 6 * View->CubeFaceArea(); ++id) {
                if (const std::optional<QPoint> p = testsupport::VisibleStickerPixel(*View, id, Side, Side)) {
                    const int face = id / View->CubeFaceArea();
                    ++seen[face];
                    EXPECT_EQ(View->PickSticker(p->x(), p->y()), id) << "at " << p->x() << "," << p->y();
                    EXPECT_EQ(ColorAt(frame, testsupport::StickerPoint(*View, id)), face) << "sticker " << id;
                }
            }
            for (const QPoint p : {QPoint(1, 1), QPoint(Side - 2, Side - 2), QPoint(-50, Side / 2)}) {
                EXPECT_EQ(View->PickSticker(p.x(), p.y()), -1) << "around the cube and outside the window";
            }
        }
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 0), 0)
            << "every face was seen: " << seen[0] << seen[1] << seen[2] << seen[3] << seen[4] << seen[5];
    }
}

// A user's drag from one sticker towards a neighbour, stopping short of it: the probes find it.
TEST_F(PickingTest, ADragTowardsANeighbourTurnsTheirLayerOnceInThePointersSense) {
    // U 0-8, F 9-17 and L 36-44 are in sight in the standard view.
    const std::pair<int, int> cases[] = {
        {13, 14}, {13, 10}, {9, 12}, {17, 16}, // on F
        {4, 5},   {40, 37},                    // on U and L
        {10, 7},  {38, 9},                     // across edges
    };
    for (const auto& [from, to] : cases) {
        SCOPED_TRACE("from " + std::to_string(from) + " towards " + std::to_string(to));
        View->ChangeCube([](TRubikCube& Cube) { Cube.Clean(); });
        Window.Moves.clear();
        const QPoint a = Centre(from), b = Centre(to);
        const QPoint drag = (b - a) * 0.6;
        Drag(a, drag.x(), drag.y());
        ASSERT_EQ(Window.Moves.size(), 1u) << "one press makes one turn";
        const std::string move = Window.Moves[0];
        const TRubikCube turned = testsupport::CleanCube(move);
        ASSERT_NE(turned.GetState(), View->CubeState()) << "the view only asks; the window plays";
        const auto whereIs = [&](const TCubie& sticker) {
            for (int id = 0; id < 54; ++id) {
                if (turned.GetState().Cubies[id / 9][id % 9] == sticker) {
                    return id;
                }
            }
            return -1;
        };
        const CubeState0 clean = View->CubeState();
        const int now = whereIs(clean.Cubies[from / 9][from % 9]);
        EXPECT_NE(now, from) << move << " does not turn the pressed sticker";
        EXPECT_NE(whereIs(clean.Cubies[to / 9][to % 9]), to) << move << " does not turn the neighbour";
        // The sense: where the turn starts to carry the pressed sticker, seen in the window. For a
        // quarter turn that is the new position less its part along the axis.
        const TVector3 p = testsupport::StickerPoint(*View, from);
        TVector3 t = testsupport::StickerPoint(*View, now);
        // Its axis: x for R, L and V, y for U, D and H, z for F, B and M.
        const std::size_t axis = std::min<std::size_t>(std::string("RLVUDH").find(move[0]) / 3, 2);
        (axis == 0 ? t.x : axis == 1 ? t.y : t.z) = 0;
        const QPoint heading = Project({p.x + 0.3f * t.x, p.y + 0.3f * t.y, p.z + 0.3f * t.z}) - a;
        EXPECT_GT(QPoint::dotProduct(heading, drag), 0) << move << " turns against the pointer";
    }
}

TEST_F(PickingTest, DragsThatTurnNothing) {
    const QPoint outside(10, Side / 2), sticker = Centre(13);
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"a click on a sticker", [&] { Drag(sticker, 0, 0); }},
        {"a drag from outside across the cube",
         [&] {
             const TMatrix4 before = View->GetArcBall().GetRotation();
             Drag(outside, sticker.x() - outside.x(), 0);
             EXPECT_NE(View->GetArcBall().GetRotation(), before) << "it turns the whole cube";
         }},

        {"a drag in paint mode (painting is the game window's test)",
         [&] {
             View->SetMode(0);
             Drag(sticker, 30, 0);
             View->SetMode(1);
         }},
        {"drags while the cube spins by itself, and while disabled",
         [&] {
             for (const bool spinning : {true, false}) {
                 View->SetAutoRotate(spinning);
                 View->SetEnabled(spinning);
                 Drag(sticker, 30, 0);
                 Drag({100, 100}, 0, 0, TMouseButton::Right);
             }
             View->SetEnabled(true);
         }},
    };
    for (const auto& [name, mouse] : cases) {
        SCOPED_TRACE(name);
        mouse();
        EXPECT_TRUE(Window.Moves.empty());
        EXPECT_TRUE(Window.Popups.empty());
        EXPECT_EQ(View->CubeState(), testsupport::After(""));
    }
}

// The menu a right click asks for is the game window's test.
TEST_F(PickingTest, RightDragsTurnTheEnvironment) {
    const float azimuth = View->GetEnvAzimuth(), elevation = View->GetEnvElevation();
    Drag({100, 100}, 30, -20, TMouseButton::Right);
    EXPECT_FLOAT_EQ(View->GetEnvAzimuth(), azimuth - 30);
    EXPECT_FLOAT_EQ(View->GetEnvElevation(), elevation + 20);
    EXPECT_TRUE(Window.Popups.empty()) << "a right release elsewhere is no click";
}

} // namespace
