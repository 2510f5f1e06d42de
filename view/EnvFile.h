#pragma once
// Environment files (".env"): a small INI text that names the six pictures of a skybox.
//
//   [ENVIRON]
//   Path=Sky/        put between the environment file's folder and each picture's base name: nothing,
//                    a subfolder followed by "/", or a file-name prefix
//   Extension=jpg    of all six pictures, without the dot; bmp, jpg or tga in any letter case
//
// A picture's name is the folder of the environment file (with its trailing "/"), Path, the face word
// ("Up.", "Front.", "Right.", "Back.", "Left.", "Down.") and Extension, joined as they are. No GL, no
// toolkit; safe on any thread.

#include <array>
#include <string>
#include <string_view>

// Indexed by face U F R B L D.
inline constexpr std::array<std::string_view, 6> EnvironmentFaceWords = {"Up.",   "Front.", "Right.",
                                                                         "Back.", "Left.",  "Down."};

// The faces in the order their pictures are loaded and the box is drawn: Back, Right, Front, Left,
// Up, Down.
inline constexpr std::array<int, 6> EnvironmentLoadOrder = {3, 2, 1, 4, 0, 5};

// The keys of an environment file, with their defaults.
struct TEnvironmentDescription {
    std::string Path;
    std::string Extension = "jpg";

    bool operator==(const TEnvironmentDescription&) const = default;
};

// Section "ENVIRON" of an environment file, read as any INI file of ours (ini/IniFile.h). A file that
// is missing or cannot be read, or a missing key, gives the defaults; there is no message. A backslash in
// Path (a file made on another system) is taken as "/".
TEnvironmentDescription ReadEnvironmentFile(const std::string& EnvironFile);

// The part of a file name up to and including its last "/"; empty if it has none.
std::string FolderOf(std::string_view FileName);

// The six picture names of an environment, indexed by face U F R B L D.
std::array<std::string, 6> EnvironmentPictureFiles(const std::string& EnvironFile,
                                                   const TEnvironmentDescription& Description);

// Reads the file and forms the six names: the whole of what loading an environment needs from it.
std::array<std::string, 6> EnvironmentPictureFiles(const std::string& EnvironFile);
