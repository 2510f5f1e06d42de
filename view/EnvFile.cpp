#include "view/EnvFile.h"

#include "ini/IniFile.h"

#include <algorithm>

TEnvironmentDescription ReadEnvironmentFile(const std::string& EnvironFile) {
    const TIniFile ini(EnvironFile);
    TEnvironmentDescription description;
    description.Path = ini.ReadString("ENVIRON", "Path", description.Path);
    std::replace(description.Path.begin(), description.Path.end(), '\\', '/');
    description.Extension = ini.ReadString("ENVIRON", "Extension", description.Extension);
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
