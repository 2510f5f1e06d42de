#include "ini/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view ByteOrderMarkBytes = "\xEF\xBB\xBF";

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && Blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && Blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool Quoted(std::string_view value) {
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
           value.back() == value.front();
}

// Value as it goes into the file so that it reads back as Value.
std::string Stored(std::string Value) {
    std::replace_if(
        Value.begin(), Value.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    if (!Value.empty() && (Blank(Value.front()) || Blank(Value.back()) || Quoted(Value))) {
        return '"' + Value + '"';
    }
    return Value;
}

} // namespace

TIniFile::TLine TIniFile::Parse(std::string Text, std::string End) {
    TLine line;
    line.Text = std::move(Text);
    line.End = std::move(End);
    const std::string_view text = Trim(line.Text);
    if (text.empty() || text.front() == ';' || text.front() == '#') {
        return line;
    }
    if (text.front() == '[') {
        line.Kind = TKind::Section;
        line.Name = Trim(text.substr(1, text.find(']') - 1));
        return line;
    }
    const auto equals = text.find('=');
    const std::string_view key = Trim(text.substr(0, equals));
    if (equals == std::string_view::npos || key.empty()) {
        return line;
    }
    std::string_view value = Trim(text.substr(equals + 1));
    if (Quoted(value)) {
        value = value.substr(1, value.size() - 2);
    }
    line.Kind = TKind::Key;
    line.Name = key;
    line.Value = value;
    return line;
}

TIniFile::TIniFile(std::string FileName) : Name(std::move(FileName)) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(Name, error)) {
        return;
    }
    const std::uintmax_t size = std::filesystem::file_size(Name, error);
    if (error || size > MaxFileBytes) {
        Unreadable = error ? error.message() : "more than 1 MB, too large for an INI file";
        return;
    }
    std::ifstream in(Name, std::ios::binary);
    if (!in.is_open()) {
        Unreadable = std::strerror(errno);
        return;
    }
    const std::string text(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) {
        Unreadable = "read error";
        return;
    }
    Load(text);
}

TIniFile TIniFile::FromText(std::string FileName, std::string_view Text) {
    TIniFile ini;
    ini.Name = std::move(FileName);
    ini.Load(Text);
    return ini;
}

void TIniFile::Load(std::string_view Text) {
    ByteOrderMark = Text.starts_with(ByteOrderMarkBytes);
    std::size_t start = ByteOrderMark ? ByteOrderMarkBytes.size() : 0;
    while (start < Text.size()) {
        const auto end = Text.find('\n', start);
        if (end == std::string_view::npos) {
            Lines.push_back(Parse(std::string(Text.substr(start)), ""));
            break;
        }
        const bool crlf = end > start && Text[end - 1] == '\r';
        Lines.push_back(
            Parse(std::string(Text.substr(start, end - start - (crlf ? 1 : 0))), crlf ? "\r\n" : "\n"));
        start = end + 1;
    }
}

int TIniFile::FindSection(const std::string& Section) const {
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        if (Lines[i].Kind == TKind::Section && SameText(Lines[i].Name, Section)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int TIniFile::FindKey(const std::string& Section, const std::string& Key) const {
    bool inSection = false;
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        if (Lines[i].Kind == TKind::Section) {
            inSection = SameText(Lines[i].Name, Section);
        } else if (inSection && Lines[i].Kind == TKind::Key && SameText(Lines[i].Name, Key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int TIniFile::SectionEnd(int SectionLine) const {
    int end = SectionLine + 1;
    for (std::size_t i = static_cast<std::size_t>(SectionLine) + 1;
         i < Lines.size() && Lines[i].Kind != TKind::Section; ++i) {
        if (Lines[i].Kind == TKind::Key) {
            end = static_cast<int>(i) + 1;
        }
    }
    return end;
}

std::string TIniFile::NewLineEnd() const {
    return !Lines.empty() && Lines.front().End == "\r\n" ? "\r\n" : "\n";
}

bool TIniFile::SectionExists(const std::string& Section) const {
    return FindSection(Section) >= 0;
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Key,
                                 const std::string& Default) const {
    const int line = FindKey(Section, Key);
    return line < 0 ? Default : Lines[static_cast<std::size_t>(line)].Value;
}

std::int32_t TIniFile::ReadInteger(const std::string& Section, const std::string& Key,
                                   std::int32_t Default) const {
    const std::string text = ReadString(Section, Key, "");
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        base = 16;
        digits.remove_prefix(2);
    } else if (digits.starts_with("$")) {
        base = 16;
        digits.remove_prefix(1);
    }
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number, base);
    if (error != std::errc{} || end == digits.data()) {
        return Default;
    }
    if (negative) {
        number = -number;
    }
    // Colours written as unsigned hexadecimal (0xFFxxxxxx) still fit as their 32-bit pattern.
    if (base == 16 && !negative && number > INT32_MAX && number <= UINT32_MAX) {
        number -= std::int64_t{1} << 32;
    }
    if (number < INT32_MIN || number > INT32_MAX) {
        return Default;
    }
    return static_cast<std::int32_t>(number);
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Key, bool Default) const {
    return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Key, const std::string& Value) {
    if (const int line = FindKey(Section, Key); line >= 0) {
        TLine& old = Lines[static_cast<std::size_t>(line)];
        old = Parse(old.Name + "=" + Stored(Value), old.End); // the key keeps its spelling
        return;
    }
    int section = FindSection(Section);
    if (section < 0) {
        if (!Lines.empty() && Lines.back().End.empty()) {
            Lines.back().End = NewLineEnd();
        }
        if (!Lines.empty() && !Trim(Lines.back().Text).empty()) {
            Lines.push_back(Parse("", NewLineEnd()));
        }
        Lines.push_back(Parse("[" + Section + "]", NewLineEnd()));
        section = static_cast<int>(Lines.size()) - 1;
    }
    const int at = SectionEnd(section);
    if (Lines[static_cast<std::size_t>(at - 1)].End.empty()) {
        Lines[static_cast<std::size_t>(at - 1)].End = NewLineEnd();
    }
    Lines.insert(Lines.begin() + at, Parse(Key + "=" + Stored(Value), NewLineEnd()));
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Key, std::int32_t Value) {
    WriteString(Section, Key, std::to_string(Value));
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Key, bool Value) {
    WriteString(Section, Key, Value ? "1" : "0");
}

void TIniFile::Overlay(const TIniFile& Over) {
    const std::string* section = nullptr;
    for (std::size_t i = 0; i < Over.Lines.size(); ++i) {
        const TLine& line = Over.Lines[i];
        if (line.Kind == TKind::Section) {
            section = &line.Name;
        } else if (section != nullptr && line.Kind == TKind::Key &&
                   Over.FindKey(*section, line.Name) == static_cast<int>(i)) { // what reading Over gives
            WriteString(*section, line.Name, line.Value);
        }
    }
}

std::string TIniFile::Text() const {
    std::string text = ByteOrderMark ? std::string(ByteOrderMarkBytes) : std::string();
    for (const TLine& line : Lines) {
        text += line.Text;
        text += line.End;
    }
    return text;
}

bool TIniFile::UpdateFile(std::string* Error) const {
    const auto fail = [Error](const std::string& what) {
        if (Error != nullptr) {
            *Error = what + ": " + std::strerror(errno);
        }
        return false;
    };
    if (!Unreadable.empty()) {
        if (Error != nullptr) {
            *Error = "Cannot read " + Name + ", so it is not replaced: " + Unreadable;
        }
        return false;
    }
    std::string temporary = Name + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return fail("Cannot create a file beside " + Name);
    }
    struct stat old {};
    fchmod(fd, stat(Name.c_str(), &old) == 0 ? old.st_mode & 07777 : 0644);
    const std::string text = Text();
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int saved = errno;
            close(fd);
            unlink(temporary.c_str());
            errno = saved;
            return fail("Cannot write " + Name);
        }
        written += static_cast<std::size_t>(n);
    }
    const bool synced = fsync(fd) == 0;
    const int syncError = errno;
    if (close(fd) != 0 || !synced) {
        const int saved = synced ? errno : syncError;
        unlink(temporary.c_str());
        errno = saved;
        return fail("Cannot write " + Name);
    }
    if (std::rename(temporary.c_str(), Name.c_str()) != 0) {
        const int saved = errno;
        unlink(temporary.c_str());
        errno = saved;
        return fail("Cannot replace " + Name);
    }
    return true;
}
