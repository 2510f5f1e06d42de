#pragma once
// The settings file's appearance sections: "CUBE", "ENVIRON" and "FACES". Other sections (the engine
// list among them) are not touched and survive every save.
//
// The "FACES" keys are bound to the colour codes by their position in FaceKeys, not by their names:
// "Right" holds the F colour, "Front" the R colour, "Down" the B colour and "Back" the D colour.
// Files written by earlier versions use the same binding, so it stays.

#include "ini/IniFile.h"
#include "view/CubeSettings.h"

#include <array>
#include <string>

// Where the settings are: the program folder's file holds the defaults (an installed program cannot
// write it), and the user's own file, where saves go, is read on top of it. Both have one format.
struct TSettingsFiles {
    std::string Program;
    std::string User;

    // Both files as one: the user's values over the program folder's.
    TIniFile Read() const;
};

inline constexpr std::array<const char*, 7> FaceKeys = {"Up", "Right", "Front", "Down", "Left", "Back", "No"};

// Reads every key into Settings; a missing key gives its default (SurfaceDetail 0, face colours from
// BuiltInSettings), a value that is no number gives the default, a speed outside 0..2 is taken to the
// nearest speed and a colour that is neither a plain colour nor a system colour gives the default.
// A relative EnvironFile lies in ProgramFolder, and Settings gets its full name. StickerTextureFile is
// not stored and stays as it was.
void LoadSettings(const TIniFile& Ini, tCubeSettings& Settings, const std::string& ProgramFolder);
// Writes every stored key except SurfaceDetail, which only the user puts into the file. An EnvironFile
// inside ProgramFolder is written relative to it ("Environment/Meadow.env"), so that the settings still
// hold when the program folder moves (a build folder, an installed package); any other as it is.
void SaveSettings(TIniFile& Ini, const tCubeSettings& Settings, const std::string& ProgramFolder);
