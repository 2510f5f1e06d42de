#include "ini/IniFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The name of a "[Section]" line, or nothing.
bool SectionName(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[') {
        return false;
    }
    const auto close = line.find(']');
    if (close == std::string_view::npos) {
        return false;
    }
    name = Trim(line.substr(1, close - 1));
    return true;
}

bool IsComment(std::string_view line) {
    line = Trim(line);
    return !line.empty() && (line.front() == ';' || line.front() == '#');
}

// Splits a "Key=Value" line.
bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
    if (IsComment(line)) {
        return false;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return false;
    }
    key = Trim(line.substr(0, equals));
    value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return !key.empty();
}

} // namespace

TIniFile::TIniFile(std::string FileName) : Name(std::move(FileName)) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(Name, error)) {
        return;
    }
    std::string text;
    try {
        std::ifstream in(Name, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        return; // unreadable: as if missing
    }
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        if (end == std::string::npos) {
            Lines.push_back({text.substr(start), ""});
            break;
        }
        const bool crlf = end > start && text[end - 1] == '\r';
        Lines.push_back({text.substr(start, end - start - (crlf ? 1 : 0)), crlf ? "\r\n" : "\n"});
        start = end + 1;
    }
}

int TIniFile::FindSection(const std::string& Section) const {
    std::string_view name;
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        if (SectionName(Lines[i].Text, name) && SameText(name, Section)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int TIniFile::FindKey(int SectionLine, const std::string& Key) const {
    std::string_view name, key, value;
    for (std::size_t i = static_cast<std::size_t>(SectionLine) + 1; i < Lines.size(); ++i) {
        if (SectionName(Lines[i].Text, name)) {
            break;
        }
        if (KeyValue(Lines[i].Text, key, value) && SameText(key, Key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int TIniFile::SectionEnd(int SectionLine) const {
    std::string_view name, key, value;
    int end = SectionLine + 1;
    for (std::size_t i = static_cast<std::size_t>(SectionLine) + 1; i < Lines.size(); ++i) {
        if (SectionName(Lines[i].Text, name)) {
            break;
        }
        if (KeyValue(Lines[i].Text, key, value)) {
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

bool TIniFile::ValueExists(const std::string& Section, const std::string& Key) const {
    const int section = FindSection(Section);
    return section >= 0 && FindKey(section, Key) >= 0;
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Key,
                                 const std::string& Default) const {
    const int section = FindSection(Section);
    const int line = section >= 0 ? FindKey(section, Key) : -1;
    std::string_view key, value;
    if (line < 0 || !KeyValue(Lines[static_cast<std::size_t>(line)].Text, key, value)) {
        return Default;
    }
    return std::string(value);
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
    int section = FindSection(Section);
    if (section < 0) {
        if (!Lines.empty() && Lines.back().End.empty()) {
            Lines.back().End = NewLineEnd();
        }
        if (!Lines.empty() && !Trim(Lines.back().Text).empty()) {
            Lines.push_back({"", NewLineEnd()});
        }
        Lines.push_back({"[" + Section + "]", NewLineEnd()});
        section = static_cast<int>(Lines.size()) - 1;
    }
    const int line = FindKey(section, Key);
    if (line >= 0) {
        TLine& old = Lines[static_cast<std::size_t>(line)];
        std::string_view key, value;
        KeyValue(old.Text, key, value);
        old.Text = std::string(key) + "=" + Value;
        return;
    }
    const int at = SectionEnd(section);
    if (at > 0 && Lines[static_cast<std::size_t>(at - 1)].End.empty()) {
        Lines[static_cast<std::size_t>(at - 1)].End = NewLineEnd();
    }
    Lines.insert(Lines.begin() + at, TLine{Key + "=" + Value, NewLineEnd()});
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Key, std::int32_t Value) {
    WriteString(Section, Key, std::to_string(Value));
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Key, bool Value) {
    WriteString(Section, Key, Value ? "1" : "0");
}

void TIniFile::Overlay(const TIniFile& Over) {
    std::string_view section, key, value;
    bool inSection = false;
    for (const TLine& line : Over.Lines) {
        if (SectionName(line.Text, section)) {
            inSection = true;
            continue;
        }
        if (inSection && KeyValue(line.Text, key, value)) {
            WriteString(std::string(section), std::string(key), std::string(value));
        }
    }
}

std::string TIniFile::Text() const {
    std::string text;
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
