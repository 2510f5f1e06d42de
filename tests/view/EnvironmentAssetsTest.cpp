// The environments we ship: every ".env" file names six pictures that decode, all square and of one
// size, and neighbouring pictures agree where the box's faces meet, seen from the centre.
#include "view/EnvFile.h"
#include "view/ImageDecoders.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

struct TVec {
    double x, y, z;
};

TVec operator*(double k, const TVec& v) {
    return {k * v.x, k * v.y, k * v.z};
}
TVec operator+(const TVec& a, const TVec& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
double Dot(const TVec& a, const TVec& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Where each picture lies, faces U F R B L D: the inward plane normal's opposite (the direction from
// the centre to the face) and the directions in which texture s and t grow. A picture's square has
// half side 1 and lies at distance 0.99, so squares overlap a little at the box's edges.
struct TFacePlacement {
    TVec Out, S, T;
};
constexpr std::array<TFacePlacement, 6> Placement = {{
    {{0, 1, 0}, {0, 0, 1}, {-1, 0, 0}},  // Up
    {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},  // Front
    {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},   // Right
    {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}},  // Back
    {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, // Left
    {{0, -1, 0}, {0, 0, 1}, {1, 0, 0}},  // Down
}};
constexpr double PlaneDistance = 0.99;

int FaceFacing(const TVec& out) {
    for (int f = 0; f < 6; ++f) {
        if (Dot(Placement[static_cast<std::size_t>(f)].Out, out) > 0.5) {
            return f;
        }
    }
    return -1;
}

std::array<int, 3> PixelAt(const TImage& image, double s, double t) {
    const int x = std::clamp(static_cast<int>(s * image.Width), 0, image.Width - 1);
    const int row = std::clamp(static_cast<int>(t * image.Height), 0, image.Height - 1);
    const std::uint8_t* p = image.Pixels.data() + (static_cast<std::size_t>(row) * image.Width + x) *
                                                      static_cast<std::size_t>(image.BytesPerPixel());
    return {p[0], p[1], p[2]};
}

std::vector<std::filesystem::path> EnvironmentFiles() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(TORVANE_ENVIRONMENT_DIR)) {
        if (entry.path().extension() == ".env") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(EnvironmentAssets, OneOfEachPictureFormat) {
    std::set<std::string> kinds;
    for (const auto& env : EnvironmentFiles()) {
        std::string extension = ReadEnvironmentFile(env.string()).Extension;
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        kinds.insert(extension);
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"bmp", "jpg", "tga"}));
}

TEST(EnvironmentAssets, PicturesDecodeAndMeetAtTheEdges) {
    const auto envs = EnvironmentFiles();
    ASSERT_GE(envs.size(), 3u);
    for (const auto& env : envs) {
        SCOPED_TRACE(env.filename().string());
        std::array<TImage, 6> faces;
        const std::array<std::string, 6> files = EnvironmentPictureFiles(env.string());
        for (std::size_t f = 0; f < 6; ++f) {
            TImageResult r = DecodeImageFile(files[f]);
            ASSERT_TRUE(r.Image) << files[f] << (r.Message ? ": " + r.Message->Text : "");
            faces[f] = std::move(*r.Image);
            EXPECT_EQ(faces[f].Width, faces[f].Height) << files[f];
            EXPECT_EQ(faces[f].Width, faces[0].Width) << files[f];
            EXPECT_GE(faces[f].Width, 128) << files[f];
            const auto distinct =
                std::set<std::uint8_t>(faces[f].Pixels.begin(), faces[f].Pixels.end()).size();
            EXPECT_GT(distinct, 8u) << files[f] << " is nearly one colour";
        }
        // Along each edge of each picture, where its neighbour covers it from the centre on.
        constexpr int Samples = 200;
        for (int a = 0; a < 6; ++a) {
            const TFacePlacement& A = Placement[static_cast<std::size_t>(a)];
            for (int edge = 0; edge < 4; ++edge) {
                const double sign = edge % 2 ? 1.0 : -1.0;
                const bool alongT = edge < 2; // the edge at s = 0 or 1, running along t
                const TVec across = alongT ? A.S : A.T;
                const TVec along = alongT ? A.T : A.S;
                const int b = FaceFacing(sign * across);
                ASSERT_GE(b, 0);
                const TFacePlacement& B = Placement[static_cast<std::size_t>(b)];
                double total = 0;
                double worst = 0;
                for (int i = 0; i < Samples; ++i) {
                    const double u = PlaneDistance * (2.0 * (i + 0.5) / Samples - 1.0);
                    const TVec p = PlaneDistance * A.Out + (sign * PlaneDistance) * across + u * along;
                    ASSERT_NEAR(Dot(p, B.Out), PlaneDistance, 1e-9);
                    const auto pa = PixelAt(faces[static_cast<std::size_t>(a)], (Dot(p, A.S) + 1) / 2,
                                            (Dot(p, A.T) + 1) / 2);
                    const auto pb = PixelAt(faces[static_cast<std::size_t>(b)], (Dot(p, B.S) + 1) / 2,
                                            (Dot(p, B.T) + 1) / 2);
                    double d = 0;
                    for (int c = 0; c < 3; ++c) {
                        d += std::abs(pa[static_cast<std::size_t>(c)] - pb[static_cast<std::size_t>(c)]);
                    }
                    total += d / 3;
                    worst = std::max(worst, d / 3);
                }
                EXPECT_LT(total / Samples, 6.0)
                    << "faces " << a << " and " << b << ", edge " << edge << ", worst " << worst;
            }
        }
    }
}

} // namespace
