// Environment files: the keys and their defaults, and the six picture names. Loading them into a view
// (every picture format, missing pictures silent) is tested with the view.
#include "view/EnvFile.h"

#include "tests/view/ImageTestFiles.h"

#include <array>
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

TEST(EnvironmentFile, PictureNames) {
    // A subfolder and no extension: F/S/Back.jpg.
    const std::array<std::string, 6> sub = EnvironmentPictureFiles("/F/sky.env", {"S/", "jpg"});
    EXPECT_EQ(sub, (std::array<std::string, 6>{"/F/S/Up.jpg", "/F/S/Front.jpg", "/F/S/Right.jpg",
                                               "/F/S/Back.jpg", "/F/S/Left.jpg", "/F/S/Down.jpg"}));
    // Path empty: the environment file's own folder.
    EXPECT_EQ(EnvironmentPictureFiles("/F/sky.env", {"", "TGA"})[3], "/F/Back.TGA");
    // A file-name prefix.
    EXPECT_EQ(EnvironmentPictureFiles("/F/sky.env", {"Sky_", "bmp"})[0], "/F/Sky_Up.bmp");
    // A name without a folder, or none at all: relative names.
    EXPECT_EQ(EnvironmentPictureFiles("sky.env", {"", "jpg"})[5], "Down.jpg");
    EXPECT_EQ(EnvironmentPictureFiles(""), (std::array<std::string, 6>{"Up.jpg", "Front.jpg", "Right.jpg",
                                                                       "Back.jpg", "Left.jpg", "Down.jpg"}));
    EXPECT_EQ(FolderOf("/a/b/c.env"), "/a/b/");
    EXPECT_EQ(FolderOf("c.env"), "");
    EXPECT_EQ(FolderOf("/c.env"), "/");
}

} // namespace
