// The INI reader on any file. Read as it is, the text comes back byte for byte; after one key is
// written, the file reread from its new text gives the written value for that key and the old value
// for every other probed key.
// Input: a byte naming the section and key written, a byte giving the value's length, the value, then
// the file.
#include "fuzz/MemoryFile.h"
#include "ini/IniFile.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// Names that differ only in letter case are one name.
constexpr std::array<const char*, 4> Sections = {"s", "S", "t", "s t"};
constexpr std::array<const char*, 4> Keys = {"k", "K", "j", "k j"};

bool SameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const char* section = Sections[data[0] % 4];
    const char* key = Keys[data[0] / 4 % 4];
    const std::size_t length = std::min<std::size_t>(data[1] % 32, size - 2);
    const std::string value(reinterpret_cast<const char*>(data + 2), length);
    const std::string_view text(reinterpret_cast<const char*>(data + 2 + length), size - 2 - length);

    fuzz::TMemoryFile file(text);
    TIniFile ini(file.Name());
    if (ini.Text() != text) {
        __builtin_trap();
    }
    std::array<std::string, Sections.size() * Keys.size()> before;
    for (std::size_t i = 0; i < before.size(); ++i) {
        before[i] = ini.ReadString(Sections[i / 4], Keys[i % 4], "-");
    }

    ini.WriteString(section, key, value);
    fuzz::TMemoryFile written(ini.Text());
    const TIniFile reread(written.Name());
    // Line breaks cannot be stored; they come back as blanks.
    std::string expected = value;
    std::replace_if(
        expected.begin(), expected.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    for (std::size_t i = 0; i < before.size(); ++i) {
        const bool same = SameName(Sections[i / 4], section) && SameName(Keys[i % 4], key);
        if (reread.ReadString(Sections[i / 4], Keys[i % 4], "-") != (same ? expected : before[i])) {
            __builtin_trap();
        }
    }
    return 0;
}
