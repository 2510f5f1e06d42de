// The skybox as the view draws it, read back from the frame: which picture lies where and which way up,
// no gaps between the faces, the background kinds, what rebuilding and replacing leave in the context,
// environments with pictures missing, the textured sticker, and our own skyboxes. And the texture
// loaders in a view's context: pictures come back texel for texel from the texture, and every failure
// shows its message and leaves the texture variable alone.
#include "support/ViewFixture.h"
#include "view/Cube3D.h"
#include "view/ImageTestFiles.h"
#include "view/Messages.h"
#include "view/Textures.h"

#include <GL/gl.h>
#include <QWidget>
#include <cmath>

namespace {

using namespace imagetest;
using testsupport::Capture;
using testsupport::TFrame;
using testsupport::TPixel;

constexpr int Side = 320;
const char* const FaceWords[] = {"Up", "Front", "Right", "Back", "Left", "Down"};
enum { U, F, R, B, L, D, Faces };

// The colour of one quarter of a face's picture: red tells the face, green the left or right half,
// blue the bottom or top half, far enough apart to survive JPEG.
TRGBA QuarterColor(int face, bool right, bool top) {
    return {static_cast<std::uint8_t>(30 + 40 * face), static_cast<std::uint8_t>(right ? 200 : 60),
            static_cast<std::uint8_t>(top ? 200 : 60), 255};
}

// Four quarters of 128 x 128 pixels: large enough to be minified where a face is seen from aside.
TPicture QuarteredPicture(int face) {
    return Painted(256, 256, [face](int x, int row) { return QuarterColor(face, x >= 128, row < 128); });
}

// Whether a pixel shows some face's picture, whatever the quarter: filtering between quarters keeps
// the red of the face, and green and blue between the quarters' values.
bool ShowsAFace(TPixel p) {
    return p.r >= 27 && (p.r + 13) % 40 <= 6 && p.g >= 58 && p.b >= 58;
}

int Brightness(TPixel p) {
    return p.r + p.g + p.b;
}

// The face whose quartered picture shows at a pixel, with the quarter; face -1 if none does.
struct TQuarter {
    int Face = -1;
    bool Right = false, Top = false;
    bool operator==(const TQuarter&) const = default;
};
TQuarter Identify(TPixel p, int tolerance) {
    for (int q = 0; q < Faces * 4; ++q) {
        const TRGBA c = QuarterColor(q / 4, q & 2, q & 1);
        if (std::abs(p.r - c[0]) <= tolerance && std::abs(p.g - c[1]) <= tolerance &&
            std::abs(p.b - c[2]) <= tolerance) {
            return {q / 4, (q & 2) != 0, (q & 1) != 0};
        }
    }
    return {};
}

class EnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        Previous = SetMessageHandler([this](const std::string& Caption, const std::string& Text) {
            Messages.push_back({Text, Caption});
        });
    }
    void TearDown() override {
        View.reset();
        SetMessageHandler(Previous);
    }

    // A view on the window with the skybox of EnvironFile (type 1 unless told otherwise).
    void StartView(const std::string& environFile, std::uint8_t type = 1) {
        View = testsupport::StartView(Window, Side, [&](tCubeSettings& s) {
            s.BackgroundColor = 0x402010;
            s.EnvironFile = environFile;
            s.EnvironmentType = type;
        });
        ASSERT_NE(View, nullptr);
    }

    // An environment file and its six quartered pictures, but the one of face Without, under Folder/Name.
    std::string WriteEnvironment(const std::string& Name, int Without = -1) {
        for (int face = 0; face < Faces; ++face) {
            if (face != Without) {
                Folder.Write(Name + "/" + FaceWords[face] + ".bmp", MakeBMP(QuarteredPicture(face)));
            }
        }
        return Folder.Write(Name + ".env", "[ENVIRON]\r\nPath=" + Name + "/\r\nExtension=bmp\r\n");
    }

    // Live display lists and textures of the view's context, counted by name.
    std::pair<int, int> CountListsAndTextures() {
        std::pair<int, int> count;
        View->WithContext([&] {
            for (unsigned name = 1; name < 500; ++name) {
                count.first += glIsList(name) ? 1 : 0;
                count.second += glIsTexture(name) ? 1 : 0;
            }
        });
        return count;
    }

    // The settings changed by Change, with the pictures loaded and the lists made again.
    void Rebuild(const std::function<void(tCubeSettings&)>& Change = [](tCubeSettings&) {}) {
        testsupport::Apply(*View, Change, true);
    }

    QWidget Window;
    std::unique_ptr<TCube3D> View;
    TMessageHandler Previous;
    std::vector<TImageMessage> Messages;
    TTempFolder Folder;
};

// Beyond this distance from the middle (in normalised coordinates) no part of the cube shows: its
// corners reach 5.14 from its centre, seen from 18 away, so 16.6 degrees off the axis.
constexpr double CubeRadius = 0.32;

TEST_F(EnvironmentTest, EveryPictureLiesWhereItBelongsUnmirroredAndUprightWithNoGaps) {
    // Points of the frame (normalised, x right, y up), off both axes of their face, with the face and
    // the quarter of its picture seen there from the reset environment camera with a 90 degree view.
    const std::tuple<double, double, TQuarter> points[] = {
        {-0.4, 0.4, {B, false, true}},    {0.4, -0.4, {B, true, false}},   {0.75, 0.25, {R, false, true}},
        {-0.75, -0.25, {L, true, false}}, {0.25, 0.75, {U, false, false}}, {-0.25, -0.75, {D, false, false}},
    };
    StartView(WriteEnvironment("Box"));
    ASSERT_TRUE(Messages.empty());
    View->ResetEnvironmentView();
    View->SetFieldOfView(90);
    TFrame f = Capture(*View);
    for (const auto& [x, y, seen] : points) {
        EXPECT_EQ(Identify(f.AtNdc(x, y), 0), seen) << x << ", " << y;
    }
    View->SetEnvironmentAngles(270, 0); // half round: the front, behind the camera until now
    EXPECT_EQ(Identify(Capture(*View).AtNdc(-0.4, 0.4), 0).Face, F);
    // Turned so that three faces meet in sight: a sampler that reaches past the edge (GL's border
    // colour) or a gap between the squares leaves pixels of no face's colour.
    for (const float elevation : {30.0f, -30.0f}) {
        View->SetEnvironmentAngles(60, elevation);
        f = Capture(*View);
        int odd = 0;
        for (int y = 0; y < Side; ++y) {
            for (int x = 0; x < Side; ++x) {
                const double r = std::hypot((x + 0.5) / Side * 2 - 1, 1 - (y + 0.5) / Side * 2);
                odd += r >= CubeRadius && !ShowsAFace(f.At(x, y)) ? 1 : 0;
            }
        }
        EXPECT_EQ(odd, 0) << "at elevation " << elevation;
    }
}

TEST_F(EnvironmentTest, BackgroundKindsRebuildingAndReplacing) {
    const std::string env = WriteEnvironment("Box");
    // Type 2: black, and nothing is loaded, not even when the environment is marked for a reload.
    StartView(env, 2);
    Rebuild();
    const TFrame f = Capture(*View);
    EXPECT_EQ(Brightness(f.AtNdc(-0.95, 0.95)) + Brightness(f.AtNdc(0.95, -0.95)), 0);
    EXPECT_EQ(View->EnvironmentTexture(B), 0u);

    // Type 0: the background colour; a reload request is dropped.
    Rebuild([](tCubeSettings& s) { s.EnvironmentType = 0; });
    EXPECT_EQ(View->EnvironmentTexture(B), 0u);
    const TPixel background = Capture(*View).AtNdc(-0.95, 0.95);
    EXPECT_EQ(background.r | background.g << 8 | background.b << 16, 0x402010);

    // Back to 1 with the reload request: the box, and rebuilding leaves one list and six textures.
    Rebuild([](tCubeSettings& s) { s.EnvironmentType = 1; });
    EXPECT_EQ(Identify(Capture(*View).AtNdc(-0.95, 0.95), 0).Face, B);
    Rebuild();
    Rebuild();
    EXPECT_EQ(CountListsAndTextures(), std::make_pair(3, 6)) << "cubie face, sticker and skybox";

    // A replacement keeps only the pictures the new environment lacks.
    const unsigned oldRight = View->EnvironmentTexture(R), oldBack = View->EnvironmentTexture(B);
    const std::string second = WriteEnvironment("Second", R);
    Rebuild([&](tCubeSettings& s) { s.EnvironFile = second; });
    EXPECT_EQ(View->EnvironmentTexture(R), oldRight);
    EXPECT_NE(View->EnvironmentTexture(B), oldBack);
    EXPECT_EQ(CountListsAndTextures().second, 6);
    EXPECT_TRUE(Messages.empty());
}

TEST_F(EnvironmentTest, MissingPicturesLeaveTheirFacesBlackAndTheRestShows) {
    // No ENVIRON section: the defaults, "jpg" pictures beside the file. Two are there, one is broken.
    Folder.Write("Back.jpg", MakeJPEG(QuarteredPicture(B)));
    Folder.Write("Up.jpg", MakeJPEG(QuarteredPicture(U)));
    const std::string broken = Folder.Write("Down.jpg", std::string("not a picture"));
    StartView(Folder.Write("NoSection.env", std::string("[OTHER]\nPath=elsewhere/\nExtension=bmp\n")));
    EXPECT_EQ(View->EnvironmentFile(R), Folder.Name("Right.jpg"));
    EXPECT_EQ(Messages, (std::vector<TImageMessage>{{"Couldn't load JPG - \"" + broken + "\"", "BMP Unit"}}));
    View->SetFieldOfView(90);
    const TFrame f = Capture(*View);
    EXPECT_EQ(Identify(f.AtNdc(0.45, 0.1), 10).Face, B);
    EXPECT_EQ(Identify(f.AtNdc(0.1, 0.8), 10).Face, U);
    EXPECT_EQ(Brightness(f.AtNdc(0.8, 0.1)) + Brightness(f.AtNdc(0.1, -0.8)), 0)
        << "a face without its picture, or with a broken one, shows the black background";
}

TEST_F(EnvironmentTest, TexturedStickersShowTheirPictureTintedByTheStickerColour) {
    View = testsupport::StartView(Window, Side, [](tCubeSettings& s) { s.StickerType = 1; });
    ASSERT_NE(View, nullptr);
    View->GetArcBall().SetRotation(IdentityMatrix()); // F, red, faces the camera
    const TPixel plain = Capture(*View).At(Side / 2, Side / 2);
    EXPECT_GT(plain.r, 100) << "no sticker picture: the plain colour";

    const auto useSticker = [&](const std::string& file) {
        Rebuild([&](tCubeSettings& s) { s.StickerTextureFile = file; });
        return Capture(*View).At(Side / 2, Side / 2);
    };
    EXPECT_LT(Brightness(useSticker(Folder.Write("black.bmp", MakeBMP(TPicture{1, 1, {Black}})))), 30)
        << "a black picture darkens the sticker";
    EXPECT_NEAR(useSticker(Folder.Write("white.tga", MakeTGA(TPicture{1, 1, {White}}))).r, plain.r, 3);
    EXPECT_EQ(CountListsAndTextures().second, 1) << "the black picture's texture is gone";
}

TEST_F(EnvironmentTest, OurEnvironmentsLoad) {
    const std::filesystem::path folder = std::filesystem::path(TORVANE_PROGRAM_DIR) / "Environment";
    for (const char* name : {"Meadow", "TiledRoom", "Starfield"}) {
        SCOPED_TRACE(name);
        StartView((folder / (std::string(name) + ".env")).string());
        for (int face = 0; face < Faces; ++face) {
            EXPECT_NE(View->EnvironmentTexture(face), 0u) << View->EnvironmentFile(face);
        }
    }
    EXPECT_TRUE(Messages.empty());
}

} // namespace
