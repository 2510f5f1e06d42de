#include "app/Settings.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Stored as the 32-bit pattern in decimal, so system colours come back negative.
TColor ReadColor(const TIniFile& Ini, const char* Section, const char* Key, TColor Default) {
    const auto value = static_cast<TColor>(Ini.ReadInteger(Section, Key, static_cast<std::int32_t>(Default)));
    const TColor top = value & 0xFF000000u;
    return top == 0 || top == SystemColorFlag ? value : Default;
}

// File relative to Folder when it lies inside it, else empty.
fs::path Inside(const fs::path& File, const fs::path& Folder) {
    const fs::path relative = File.lexically_normal().lexically_relative(Folder.lexically_normal());
    return relative.empty() || *relative.begin() == ".." || relative == "." ? fs::path() : relative;
}

std::string StoredFileName(const std::string& File, const std::string& ProgramFolder) {
    if (File.empty() || ProgramFolder.empty() || fs::path(File).is_relative()) {
        return File;
    }
    fs::path relative = Inside(File, ProgramFolder);
    if (relative.empty()) { // perhaps the folder reached through a symbolic link
        std::error_code fileError, folderError;
        const fs::path file = fs::weakly_canonical(File, fileError);
        const fs::path folder = fs::weakly_canonical(ProgramFolder, folderError);
        relative = fileError || folderError ? fs::path() : Inside(file, folder);
    }
    return relative.empty() ? File : relative.string();
}

std::string FullFileName(const std::string& Stored, const std::string& ProgramFolder) {
    if (Stored.empty() || ProgramFolder.empty() || fs::path(Stored).is_absolute()) {
        return Stored;
    }
    return (fs::path(ProgramFolder) / Stored).lexically_normal().string();
}

} // namespace

TIniFile TSettingsFiles::Read() const {
    TIniFile settings(Program);
    settings.Overlay(TIniFile(User));
    return settings;
}

void LoadSettings(const TIniFile& Ini, tCubeSettings& Settings, const std::string& ProgramFolder) {
    Settings.AnimateFaceRotations = Ini.ReadBool("CUBE", "AnimateFaceRotations", true);
    Settings.CubeFaceRotationSpeed = std::clamp(Ini.ReadInteger("CUBE", "CubeFaceRotationSpeed", 1), 0, 2);
    Settings.StickerType = static_cast<std::uint8_t>(Ini.ReadInteger("CUBE", "StickerType", 0));
    Settings.SurfaceDetail = Ini.ReadInteger("CUBE", "SurfaceDetail", 0);
    Settings.Lighting = Ini.ReadBool("ENVIRON", "Lighting", true);
    Settings.BackgroundColor = ReadColor(Ini, "ENVIRON", "BackgroundColor", 0);
    Settings.EnvironFile = FullFileName(Ini.ReadString("ENVIRON", "EnvironFile", ""), ProgramFolder);
    Settings.EnvironmentType = static_cast<std::uint8_t>(Ini.ReadInteger("ENVIRON", "EnvironmentType", 0));
    Settings.SoundsON = Ini.ReadBool("ENVIRON", "SoundsON", false);
    for (std::size_t code = 0; code < FaceKeys.size(); ++code) {
        const TColor builtIn = BuiltInSettings.FaceColors[code];
        Settings.FaceColors[code] =
            Ini.SectionExists("FACES") ? ReadColor(Ini, "FACES", FaceKeys[code], builtIn) : builtIn;
    }
}

void SaveSettings(TIniFile& Ini, const tCubeSettings& Settings, const std::string& ProgramFolder) {
    Ini.WriteBool("CUBE", "AnimateFaceRotations", Settings.AnimateFaceRotations);
    Ini.WriteInteger("CUBE", "CubeFaceRotationSpeed", Settings.CubeFaceRotationSpeed);
    Ini.WriteInteger("CUBE", "StickerType", Settings.StickerType);
    for (std::size_t code = 0; code < FaceKeys.size(); ++code) {
        Ini.WriteInteger("FACES", FaceKeys[code], static_cast<std::int32_t>(Settings.FaceColors[code]));
    }
    Ini.WriteBool("ENVIRON", "Lighting", Settings.Lighting);
    Ini.WriteInteger("ENVIRON", "BackgroundColor", static_cast<std::int32_t>(Settings.BackgroundColor));
    Ini.WriteString("ENVIRON", "EnvironFile", StoredFileName(Settings.EnvironFile, ProgramFolder));
    Ini.WriteInteger("ENVIRON", "EnvironmentType", Settings.EnvironmentType);
    Ini.WriteBool("ENVIRON", "SoundsON", Settings.SoundsON);
}
