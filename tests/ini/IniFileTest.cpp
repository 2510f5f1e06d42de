// The INI reader and writer on real files: what is read, what a write changes (and what it leaves byte
// for byte), and saves that cannot be made.
#include "ini/IniFile.h"

#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

using testsupport::ReadFile;

class IniFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& text, const char* name = "test.ini") const {
        return Folder.Write(name, text);
    }
    testsupport::TTempFolder Folder;
};

TEST_F(IniFileTest, ValuesAreReadAsWritten) {
    const TIniFile ini(Write("[Cube]\n"
                             "  Speed = 2  \n"
                             "Hex=0x00FF00\nPascal=$FF\nLeading=12abc\nHuge=99999999999\n"
                             "\tSingle\t=\t' x '\t\n"
                             "; Semi=1\n"
                             "Speed=3\n"
                             "  [ Other ]  \r\n"
                             "Speed=5\r\n"
                             "[CUBE]\n"
                             "Late=4\n"
                             "[Open\n"
                             "Key=x"));
    const std::tuple<const char*, const char*, std::int32_t, const char*> cases[] = {
        {"CUBE", "speed", 2, "2"}, // names match without regard to case; the first line of a key counts
        {"Cube", "Hex", 0x00FF00, "0x00FF00"},
        {"Cube", "Pascal", 255, "$FF"},
        {"Cube", "Leading", 12, "12abc"},    // the leading number counts
        {"Cube", "Huge", -1, "99999999999"}, // does not fit 32 bits
        {"Cube", "Single", -1, " x "},
        {"Cube", "; Semi", -1, "default"}, // comments are no keys
        {"Other", "Speed", 5, "5"},
        {"Cube", "Late", 4, "4"}, // a section of the same name again
        {"Open", "Key", -1, "x"}, // a section without its "]", a last line without its end
    };
    for (const auto& [section, key, integer, text] : cases) {
        SCOPED_TRACE(std::string(section) + "/" + key);
        EXPECT_EQ(ini.ReadInteger(section, key, -1), integer);
        EXPECT_EQ(ini.ReadString(section, key, "default"), text);
    }
    EXPECT_TRUE(ini.SectionExists("other"));
}

TEST_F(IniFileTest, ATextIsReadAsItsFileWouldBeAndWrittenOverTheNamedFile) {
    const std::string text = "\xEF\xBB\xBF; mine\r\n[CUBE]\r\n A = ' 1 ' \r\n[X]\r\nB=2";
    const std::string path = Write("[CUBE]\nA=old\nOld=1\n");
    TIniFile ini = TIniFile::FromText(path, text);
    EXPECT_EQ(ini.Text(), text);
    EXPECT_EQ(ini.ReadString("cube", "a", "-"), " 1 ");
    EXPECT_EQ(ini.ReadString("CUBE", "Old", "-"), "-") << "the named file is not read";
    EXPECT_EQ(ini.FileName(), path);
    ini.WriteInteger("X", "C", 3);
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadFile(path), "\xEF\xBB\xBF; mine\r\n[CUBE]\r\n A = ' 1 ' \r\n[X]\r\nB=2\r\nC=3\r\n");
}

TEST_F(IniFileTest, WritesChangeOnlyTheirOwnLines) {
    const std::tuple<const char*, std::string, const char*, const char*, const char*, std::string> cases[] = {
        {"a key changes in place, keeping its spelling and the line ending",
         "; mine\r\n[CUBE]\r\nspeed = 1\r\nOther=x\r\n\r\n[ENGINES]\r\nEngine1=a.so\r\n", "Cube", "Speed",
         "2", "; mine\r\n[CUBE]\r\nspeed=2\r\nOther=x\r\n\r\n[ENGINES]\r\nEngine1=a.so\r\n"},
        {"a new key goes after the section's last key", "[CUBE]\nA=1\n; note\n\n[FACES]\nUp=1\n", "CUBE", "B",
         "2", "[CUBE]\nA=1\nB=2\n; note\n\n[FACES]\nUp=1\n"},
        {"a new section goes at the end, after a blank line", "[CUBE]\nA=1", "FACES", "Up", "255",
         "[CUBE]\nA=1\n\n[FACES]\nUp=255\n"},
        {"a section without keys gets its first", "[CUBE]\n[FACES]\n", "CUBE", "A", "1",
         "[CUBE]\nA=1\n[FACES]\n"},
        {"a byte-order mark is passed over and kept", "\xEF\xBB\xBF[CUBE]\r\nA=1\r\n", "CUBE", "A", "2",
         "\xEF\xBB\xBF[CUBE]\r\nA=2\r\n"},
        {"a key of a repeated section changes where it is read", "[CUBE]\nA=1\n[X]\n[cube]\nB=1\n", "CUBE",
         "B", "2", "[CUBE]\nA=1\n[X]\n[cube]\nB=2\n"},
        {"so are blanks at their ends", "[CUBE]\n", "CUBE", "A", " x ", "[CUBE]\nA=\" x \"\n"},
        {"a line break cannot start a line of its own", "[CUBE]\n", "CUBE", "A", "a\n[X]\r\nB=1",
         "[CUBE]\nA=a [X]  B=1\n"},
    };
    for (const auto& [what, before, section, key, value, after] : cases) {
        SCOPED_TRACE(what);
        const std::string path = Write(before);
        TIniFile ini(path);
        ini.WriteString(section, key, value);
        ASSERT_TRUE(ini.UpdateFile());
        EXPECT_EQ(ReadFile(path), after);
    }
}

TEST_F(IniFileTest, AFailedSaveSaysSoAndLeavesTheOldFile) {
    const std::string path = Write("[CUBE]\nA=1\n");
    TIniFile ini(path);
    ini.WriteInteger("CUBE", "A", 2);

    // A folder in the file's place cannot be replaced; a missing folder cannot be written into; a file
    // too large to be read is not replaced by what little was read of it.
    fs::create_directories(Folder.Name("taken.ini/inside"));
    const std::string large = Write("[CUBE]\nA=1\n" + std::string(TIniFile::MaxFileBytes, ';'), "large.ini");
    for (const std::string& name : {Folder.Name("taken.ini"), Folder.Name("no/such/folder.ini"), large}) {
        SCOPED_TRACE(name);
        TIniFile blocked(name);
        EXPECT_EQ(blocked.ReadInteger("CUBE", "A", -1), -1);
        blocked.WriteInteger("CUBE", "A", 2);
        std::string error;
        EXPECT_FALSE(blocked.UpdateFile(&error));
        EXPECT_NE(error.find(fs::path(name).filename().string()), std::string::npos) << error;
    }
    EXPECT_EQ(ReadFile(large).size(), TIniFile::MaxFileBytes + 11);
    EXPECT_EQ(ReadFile(path), "[CUBE]\nA=1\n");
    const auto entries = [this] { return std::distance(fs::directory_iterator(Folder.Path()), {}); };
    EXPECT_EQ(entries(), 3) << "test.ini, large.ini, taken.ini: no temporary file left";
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadFile(path), "[CUBE]\nA=2\n");
    EXPECT_EQ(entries(), 3);
}

} // namespace
