#pragma once
// An INI file, read and written: the settings file and the environment files.
//
//   ; a comment (also "#")
//   [Section]
//   Key=Value
//
// Reading: sections and keys match without regard to case (ASCII). A UTF-8 byte-order mark at the
// start is skipped, lines end in LF or CR LF, blanks around names and values are dropped, and one pair
// of matching quotes ("..." or '...') is taken off a value. A line starting with "[" opens a section,
// named up to "]" (or the line's end). Sections of one name count as one, and the first line of a key
// is the one read and written. Lines before the first section, and lines that are neither comments,
// sections nor keys, are kept but mean nothing.
//
// Writing changes only the lines of the keys written: every other section, key, comment, blank line,
// line ending and the byte-order mark stay as they were, in order. No locks: an object is used by one
// thread at a time.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TIniFile {
public:
    // Larger files are no INI files of ours and are not read.
    static constexpr std::uintmax_t MaxFileBytes = 1 << 20;

    // Reads the file. A missing file (or a folder in its place) gives an empty one, which the first save
    // creates. A file that cannot be read, or is larger than MaxFileBytes, reads as empty too, but is
    // never replaced: UpdateFile refuses, so that what it holds is not lost.
    explicit TIniFile(std::string FileName);
    // The text as a file of that name would give it, without reading that file (which need not exist):
    // for texts that come from elsewhere, and for files that are written afresh whatever they held.
    static TIniFile FromText(std::string FileName, std::string_view Text);

    const std::string& FileName() const { return Name; }

    bool SectionExists(const std::string& Section) const;
    std::string ReadString(const std::string& Section, const std::string& Key,
                           const std::string& Default) const;
    // The value's leading number (decimal, or hexadecimal after "0x" or "$"); Default when the value
    // does not start with a number or the number does not fit 32 bits.
    std::int32_t ReadInteger(const std::string& Section, const std::string& Key, std::int32_t Default) const;
    // Any integer other than 0 is true.
    bool ReadBool(const std::string& Section, const std::string& Key, bool Default) const;

    // Changes the key's line, or adds one at the end of its section, or the section at the file's end.
    // A value that would not read back as written (blanks at its ends, quotes around it) is written in
    // double quotes; line breaks, which the format cannot hold, are written as blanks.
    void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Key, std::int32_t Value);
    void WriteBool(const std::string& Section, const std::string& Key, bool Value);

    // Takes every key of Over into this file's text, as WriteString would: Over's values win.
    void Overlay(const TIniFile& Over);

    // Writes the whole file to a temporary file beside it and renames that over the old one, so the
    // old file stays whole when anything fails. False, with the reason in Error, when nothing was
    // written.
    bool UpdateFile(std::string* Error = nullptr) const;
    // The file's text as UpdateFile writes it.
    std::string Text() const;

private:
    TIniFile() = default;

    enum class TKind { Other, Section, Key };
    struct TLine {
        std::string Text; // without its line ending
        std::string End;  // "\n", "\r\n", or empty on a last line without one
        TKind Kind = TKind::Other;
        std::string Name;  // of the section or the key
        std::string Value; // of a key, as read
    };
    static TLine Parse(std::string Text, std::string End);
    void Load(std::string_view Text);

    // Index of the first "[Section]" line, or -1.
    int FindSection(const std::string& Section) const;
    // Index of the key's first line in any section of that name, or -1.
    int FindKey(const std::string& Section, const std::string& Key) const;
    // Index just after the last key line of the section starting at SectionLine.
    int SectionEnd(int SectionLine) const;
    std::string NewLineEnd() const;

    std::string Name;
    std::vector<TLine> Lines;
    bool ByteOrderMark = false;
    std::string Unreadable; // why the file was not read, when it exists
};
