// Environment files: the INI look-up, the keys and their defaults, and the six picture names.
#include "view/EnvFile.h"

#include "tests/view/ImageTestFiles.h"
#include "view/ImageDecoders.h"

#include <array>
#include <gtest/gtest.h>
#include <string>

using namespace imagetest;

namespace {

TEST(FindIniValue, SectionsAndKeysInAnyLetterCase) {
    const std::string text = "[Other]\nPath=wrong\n[environ]\nPATH=Sky/\nextension = tga \n";
    EXPECT_EQ(FindIniValue(text, "ENVIRON", "Path"), "Sky/");
    EXPECT_EQ(FindIniValue(text, "ENVIRON", "Extension"), "tga");
    EXPECT_EQ(FindIniValue(text, "Other", "path"), "wrong");
    EXPECT_EQ(FindIniValue(text, "ENVIRON", "Missing"), std::nullopt);
    EXPECT_EQ(FindIniValue(text, "Missing", "Path"), std::nullopt);
}

TEST(FindIniValue, LayoutDetails) {
    const std::string text = "\xEF\xBB\xBF; a comment\r\n"
                             "Path=before any section\r\n"
                             "  [ ENVIRON ]  \r\n"
                             "; Path=commented\r\n"
                             "no equals sign\r\n"
                             "\tPath\t=\t\"My Sky/\"\t\r\n"
                             "Path=second\r\n"
                             "Extension=\r\n"
                             "Empty = ''\r\n"
                             "Eq=a=b";
    EXPECT_EQ(FindIniValue(text, "ENVIRON", "Path"), "My Sky/");
    EXPECT_EQ(FindIniValue(text, "ENVIRON", "Extension"), "");
    EXPECT_EQ(FindIniValue(text, "ENVIRON", "Empty"), "");
    EXPECT_EQ(FindIniValue(text, "ENVIRON", "Eq"), "a=b");
    EXPECT_EQ(FindIniValue(text, "ENVIRON", "no equals sign"), std::nullopt);
    EXPECT_EQ(FindIniValue("", "ENVIRON", "Path"), std::nullopt);
    EXPECT_EQ(FindIniValue("[ENVIRON", "ENVIRON", "Path"), std::nullopt);
    EXPECT_EQ(FindIniValue("[ENVIRON\nPath=x", "ENVIRON", "Path"), "x");
}

TEST(FindIniValue, ALaterSectionOfTheSameName) {
    const std::string text =
        "[ENVIRON]\nExtension=bmp\n[CUBE]\nPath=no\n[ENVIRON]\nPath=yes/\nExtension=tga\n";
    EXPECT_EQ(FindIniValue(text, "ENVIRON", "Path"), "yes/");
    EXPECT_EQ(FindIniValue(text, "ENVIRON", "Extension"), "bmp");
}

TEST(EnvironmentFile, DefaultsForMissingFilesAndKeys) {
    TTempFolder folder;
    const TEnvironmentDescription defaults{"", "jpg"};
    EXPECT_EQ(ReadEnvironmentFile(folder.Name("missing.env")), defaults);
    EXPECT_EQ(ReadEnvironmentFile(""), defaults);
    EXPECT_EQ(ReadEnvironmentFile(folder.Path.string()), defaults);
    EXPECT_EQ(ReadEnvironmentFile(folder.Write("empty.env", std::string())), defaults);
    EXPECT_EQ(ReadEnvironmentFile(folder.Write("other.env", std::string("[CUBE]\nPath=x/\n"))), defaults);
    EXPECT_EQ(ReadEnvironmentFile(folder.Write("path.env", std::string("[ENVIRON]\nPath=x/\n"))),
              (TEnvironmentDescription{"x/", "jpg"}));
    EXPECT_EQ(ReadEnvironmentFile(folder.Write("ext.env", std::string("[ENVIRON]\nExtension=BMP\n"))),
              (TEnvironmentDescription{"", "BMP"}));
}

TEST(EnvironmentFile, BackslashesInPathAreSeparators) {
    TTempFolder folder;
    const std::string env =
        folder.Write("w.env", std::string("[ENVIRON]\r\nPath=Skies\\Blue\\\r\nExtension=bmp\r\n"));
    EXPECT_EQ(ReadEnvironmentFile(env), (TEnvironmentDescription{"Skies/Blue/", "bmp"}));
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

TEST(EnvironmentFile, LoadOrderIsBackRightFrontLeftUpDown) {
    std::string words;
    for (int face : EnvironmentLoadOrder) {
        words += EnvironmentFaceWords[static_cast<std::size_t>(face)];
    }
    EXPECT_EQ(words, "Back.Right.Front.Left.Up.Down.");
}

TEST(EnvironmentFile, UpperCaseExtensionLoadsTgaPictures) {
    // From the file to six pictures, as loading an environment does.
    TTempFolder folder;
    const std::string env = folder.Write("Space.env", std::string("[ENVIRON]\nPath=Space/\nExtension=TGA\n"));
    for (std::size_t face = 0; face < 6; ++face) {
        const std::string name = "Space/" + std::string(EnvironmentFaceWords[face]) + "TGA";
        TPicture p{2, 1, {TRGBA{static_cast<std::uint8_t>(face), 0, 0, 255}, Red}};
        folder.Write(name, MakeTGA(p, {.Type = 10}));
    }
    const std::array<std::string, 6> files = EnvironmentPictureFiles(env);
    for (std::size_t face = 0; face < 6; ++face) {
        EXPECT_EQ(files[face], folder.Name("Space/" + std::string(EnvironmentFaceWords[face]) + "TGA"));
        const TImageResult r = DecodeImageFile(files[face]);
        ASSERT_TRUE(r.Image) << files[face];
        EXPECT_EQ(r.Image->Pixels[0], face);
    }
}

TEST(EnvironmentFile, MissingPicturesAreSilent) {
    TTempFolder folder;
    const std::string env = folder.Write("Gone.env", std::string("[ENVIRON]\nPath=Gone/\nExtension=bmp\n"));
    for (const std::string& file : EnvironmentPictureFiles(env)) {
        const TImageResult r = DecodeImageFile(file);
        EXPECT_FALSE(r.Image);
        EXPECT_FALSE(r.Message);
    }
}

} // namespace
