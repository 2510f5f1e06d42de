// Environment files: the keys and their defaults, and where the six pictures are looked for.
#include "view/EnvFile.h"

#include "tests/view/ImageTestFiles.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

using namespace imagetest;

namespace {

TEST(EnvironmentFile, KeysAndTheirDefaults) {
    TTempFolder folder;
    EXPECT_EQ(ReadEnvironmentFile(folder.Name("missing.env")), (TEnvironmentDescription{"", "jpg"}));
    const std::pair<std::string, TEnvironmentDescription> cases[] = {
        {"[CUBE]\nPath=x/\n", {"", "jpg"}},
        {"[ENVIRON]\nPath=x/\n", {"x/", "jpg"}},
        {"[ENVIRON]\nExtension=BMP\n", {"", "BMP"}},
        // Made on another system.
        {"[ENVIRON]\r\nPath=Skies\\Blue\\\r\nExtension=bmp\r\n", {"Skies/Blue/", "bmp"}},
    };
    for (const auto& [text, description] : cases) {
        EXPECT_EQ(ReadEnvironmentFile(folder.Write("sky.env", text)), description) << text;
    }
}

TEST(EnvironmentFile, PicturesLieBesideTheFileUnderItsPath) {
    const struct {
        const char* File;
        TEnvironmentDescription Description;
        int Face;
        const char* Picture;
    } cases[] = {
        {"/F/sky.env", {"S/", "jpg"}, 0, "/F/S/Up.jpg"},
        {"/F/sky.env", {"", "TGA"}, 3, "/F/Back.TGA"},
        {"/F/sky.env", {"Sky_", "bmp"}, 1, "/F/Sky_Front.bmp"},
        {"sky.env", {"", "jpg"}, 5, "Down.jpg"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EnvironmentPictureFiles(c.File, c.Description)[static_cast<std::size_t>(c.Face)],
                  c.Picture);
    }
}

} // namespace
