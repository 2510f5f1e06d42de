#pragma once
// A settings file in INI form: "[Section]" lines, then "Key=Value" lines. Sections and keys match
// without regard to case; values are trimmed, and one pair of surrounding double quotes is taken off.
// Writing changes only the lines of the keys written: every other section, key, comment, blank line
// and line ending stays as it was, in order. UI thread only, like the settings themselves.

#include <cstdint>
#include <string>
#include <vector>

class TIniFile {
public:
    // Reads the file; a file that is missing or cannot be read gives an empty one (the first save
    // creates it).
    explicit TIniFile(std::string FileName);

    const std::string& FileName() const { return Name; }

    bool SectionExists(const std::string& Section) const;
    bool ValueExists(const std::string& Section, const std::string& Key) const;
    std::string ReadString(const std::string& Section, const std::string& Key,
                           const std::string& Default) const;
    // The value's leading number (decimal, or hexadecimal after "0x" or "$"); Default when the value
    // does not start with a number or the number does not fit 32 bits.
    std::int32_t ReadInteger(const std::string& Section, const std::string& Key, std::int32_t Default) const;
    // Any integer other than 0 is true.
    bool ReadBool(const std::string& Section, const std::string& Key, bool Default) const;

    // Changes the key's line, or adds one at the end of its section, or the section at the file's end.
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
    struct TLine {
        std::string Text; // without its line ending
        std::string End;  // "\n", "\r\n", or empty on a last line without one
    };
    // Index of the "[Section]" line, or -1.
    int FindSection(const std::string& Section) const;
    // Index of the key's line in the section starting at SectionLine, or -1.
    int FindKey(int SectionLine, const std::string& Key) const;
    // Index just after the section's last key line.
    int SectionEnd(int SectionLine) const;
    std::string NewLineEnd() const;

    std::string Name;
    std::vector<TLine> Lines;
};
