// The settings file's reader and writer on real files: what is read, what a write changes (and what it
// leaves byte for byte), and saves that cannot be made.
#include "ini/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& text, const char* name = "test.ini") {
        const QString path = Folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
        return path.toStdString();
    }
    static std::string Read(const std::string& path) {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<missing>");
    }

    QTemporaryDir Folder;
};

TEST_F(IniFileTest, ValuesAreReadAsWritten) {
    const TIniFile ini(Write("; comment=1\n"
                             "[Cube]\n"
                             "  Speed = 2  \n"
                             "Negative=-7\n"
                             "Hex=0x00FF00\n"
                             "Pascal=$FF\n"
                             "HighHex=0xFF000010\n"
                             "Leading=12abc\n"
                             "Letters=abc\n"
                             "Empty=\n"
                             "Huge=99999999999\n"
                             "Quoted=\"/a b/c.env\"\n"
                             "Spaced = a = b\n"
                             "[Other]\r\n"
                             "Speed=5\r\n"));
    struct Case {
        const char* Section;
        const char* Key;
        std::int32_t Integer;
        const char* Text;
    };
    const Case cases[] = {
        {"CUBE", "speed", 2, "2"}, // names match without regard to case
        {"Cube", "Negative", -7, "-7"},
        {"Cube", "Hex", 0x00FF00, "0x00FF00"},
        {"Cube", "Pascal", 255, "$FF"},
        {"Cube", "HighHex", static_cast<std::int32_t>(0xFF000010u), "0xFF000010"},
        {"Cube", "Leading", 12, "12abc"}, // the leading number counts
        {"Cube", "Letters", -1, "abc"},
        {"Cube", "Empty", -1, ""},
        {"Cube", "Huge", -1, "99999999999"}, // does not fit 32 bits
        {"Cube", "Quoted", -1, "/a b/c.env"},
        {"Cube", "Spaced", -1, "a = b"},
        {"Cube", "Missing", -1, "default"},
        {"Other", "Speed", 5, "5"},
        {"None", "Speed", -1, "default"},
        {"", "comment", -1, "default"}, // a comment is no key
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Section) + "/" + c.Key);
        EXPECT_EQ(ini.ReadInteger(c.Section, c.Key, -1), c.Integer);
        const bool exists = std::string(c.Text) != "default";
        EXPECT_EQ(ini.ReadString(c.Section, c.Key, "default"), c.Text);
        EXPECT_EQ(ini.ValueExists(c.Section, c.Key), exists);
    }
    EXPECT_TRUE(ini.SectionExists("other"));
    EXPECT_FALSE(ini.SectionExists("Comment"));
    EXPECT_TRUE(ini.ReadBool("Cube", "Speed", false));
    EXPECT_FALSE(ini.ReadBool("Cube", "Missing", false));
}

TEST_F(IniFileTest, WritesChangeOnlyTheirOwnLines) {
    struct Case {
        const char* What;
        std::string Before;
        const char* Section;
        const char* Key;
        const char* Value;
        std::string After;
    };
    const Case cases[] = {
        {"a key changes in place, keeping its spelling and the line ending",
         "; mine\r\n[CUBE]\r\nspeed = 1\r\nOther=x\r\n\r\n[ENGINES]\r\nEngine1=a.so\r\n", "Cube", "Speed",
         "2", "; mine\r\n[CUBE]\r\nspeed=2\r\nOther=x\r\n\r\n[ENGINES]\r\nEngine1=a.so\r\n"},
        {"a new key goes after the section's last key", "[CUBE]\nA=1\n; note\n\n[FACES]\nUp=1\n", "CUBE", "B",
         "2", "[CUBE]\nA=1\nB=2\n; note\n\n[FACES]\nUp=1\n"},
        {"a new section goes at the end, after a blank line", "[CUBE]\nA=1", "FACES", "Up", "255",
         "[CUBE]\nA=1\n\n[FACES]\nUp=255\n"},
        {"an empty file gets its first section", "", "CUBE", "A", "1", "[CUBE]\nA=1\n"},
        {"a section without keys gets its first", "[CUBE]\n[FACES]\n", "CUBE", "A", "1",
         "[CUBE]\nA=1\n[FACES]\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        const std::string path = Write(c.Before);
        TIniFile ini(path);
        ini.WriteString(c.Section, c.Key, c.Value);
        EXPECT_EQ(ini.Text(), c.After);
        EXPECT_EQ(ini.ReadString(c.Section, c.Key, ""), c.Value);
        ASSERT_TRUE(ini.UpdateFile());
        EXPECT_EQ(Read(path), c.After);
    }
}

TEST_F(IniFileTest, AFailedSaveSaysSoAndLeavesTheOldFile) {
    const std::string path = Write("[CUBE]\nA=1\n");
    TIniFile ini(path);
    ini.WriteInteger("CUBE", "A", 2);

    // A folder in the file's place cannot be replaced; a missing folder cannot be written into.
    ASSERT_TRUE(QDir(Folder.path()).mkpath("taken.ini/inside"));
    TIniFile blocked(Folder.filePath("taken.ini").toStdString());
    blocked.WriteInteger("CUBE", "A", 2);
    std::string error;
    EXPECT_FALSE(blocked.UpdateFile(&error));
    EXPECT_NE(error.find("taken.ini"), std::string::npos) << error;
    TIniFile nowhere(Folder.filePath("no/such/folder.ini").toStdString());
    nowhere.WriteInteger("CUBE", "A", 2);
    EXPECT_FALSE(nowhere.UpdateFile(&error));
    EXPECT_NE(error.find("folder.ini"), std::string::npos) << error;

    EXPECT_EQ(Read(path), "[CUBE]\nA=1\n");
    EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList({"test.ini"}))
        << "no temporary file left";
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(Read(path), "[CUBE]\nA=2\n");
    EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList({"test.ini"}));
}

} // namespace
