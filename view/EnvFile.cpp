#include "view/EnvFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

// An environment file is a few lines; anything past this is not ours to read.
constexpr std::size_t MaxEnvironmentFileBytes = 1 << 20;

std::string_view TrimBlanks(std::string_view Text) {
    const std::size_t first = Text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = Text.find_last_not_of(" \t");
    return Text.substr(first, last - first + 1);
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::string_view Unquoted(std::string_view Value) {
    if (Value.size() >= 2 && (Value.front() == '"' || Value.front() == '\'') &&
        Value.back() == Value.front()) {
        return Value.substr(1, Value.size() - 2);
    }
    return Value;
}

std::string ReadText(const std::string& FileName) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(FileName, error)) {
        return {};
    }
    std::ifstream in(FileName, std::ios::binary);
    std::string text;
    text.resize(MaxEnvironmentFileBytes);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(in.bad() ? 0 : static_cast<std::size_t>(in.gcount()));
    return text;
}

} // namespace

std::optional<std::string> FindIniValue(std::string_view Text, std::string_view Section,
                                        std::string_view Key) {
    if (Text.starts_with("\xEF\xBB\xBF")) {
        Text.remove_prefix(3);
    }
    bool inSection = false;
    while (!Text.empty()) {
        const std::size_t end = Text.find('\n');
        std::string_view line = Text.substr(0, end);
        Text = end == std::string_view::npos ? std::string_view{} : Text.substr(end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        line = TrimBlanks(line);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            inSection = SameName(
                TrimBlanks(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)), Section);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inSection && equals != std::string_view::npos &&
            SameName(TrimBlanks(line.substr(0, equals)), Key)) {
            return std::string(Unquoted(TrimBlanks(line.substr(equals + 1))));
        }
    }
    return std::nullopt;
}

TEnvironmentDescription ReadEnvironmentFile(const std::string& EnvironFile) {
    TEnvironmentDescription description;
    const std::string text = ReadText(EnvironFile);
    if (auto path = FindIniValue(text, "ENVIRON", "Path")) {
        description.Path = std::move(*path);
        std::replace(description.Path.begin(), description.Path.end(), '\\', '/');
    }
    if (auto extension = FindIniValue(text, "ENVIRON", "Extension")) {
        description.Extension = std::move(*extension);
    }
    return description;
}

std::string FolderOf(std::string_view FileName) {
    const std::size_t slash = FileName.find_last_of('/');
    return slash == std::string_view::npos ? std::string{} : std::string(FileName.substr(0, slash + 1));
}

std::array<std::string, 6> EnvironmentPictureFiles(const std::string& EnvironFile,
                                                   const TEnvironmentDescription& Description) {
    const std::string stem = FolderOf(EnvironFile) + Description.Path;
    std::array<std::string, 6> files;
    for (std::size_t face = 0; face < files.size(); ++face) {
        files[face] = stem + std::string(EnvironmentFaceWords[face]) + Description.Extension;
    }
    return files;
}

std::array<std::string, 6> EnvironmentPictureFiles(const std::string& EnvironFile) {
    return EnvironmentPictureFiles(EnvironFile, ReadEnvironmentFile(EnvironFile));
}
