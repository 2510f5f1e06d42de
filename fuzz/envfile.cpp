// The environment file reader on any file: the picture names it forms are the file's folder, the
// Path value (with "/" for "\"), the face word and the Extension value, in that order, and the folder
// of any name is the part up to its last "/".
#include "view/EnvFile.h"

#include "fuzz/MemoryFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::TMemoryFile file(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string name = file.Name();
    const TEnvironmentDescription description = ReadEnvironmentFile(name);
    if (description.Path.find('\\') != std::string::npos) {
        __builtin_trap();
    }
    const auto pictures = EnvironmentPictureFiles(name);
    for (std::size_t face = 0; face < pictures.size(); ++face) {
        if (pictures[face] != "/proc/self/fd/" + description.Path + std::string(EnvironmentFaceWords[face]) +
                                  description.Extension) {
            __builtin_trap();
        }
    }
    const std::string folder = FolderOf(description.Path);
    if (!description.Path.starts_with(folder) || (!folder.empty() && !folder.ends_with('/')) ||
        description.Path.find('/', folder.size()) != std::string::npos) {
        __builtin_trap();
    }
    return 0;
}
