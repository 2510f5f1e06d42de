#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end. A
// current one is made the working folder for its lifetime (the sound players open their files
// relative to it).

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace testsupport {

class TTempFolder {
public:
    explicit TTempFolder(bool Current = false) {
        std::string pattern = (std::filesystem::temp_directory_path() / "torvane-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder from " + pattern);
        }
        Folder = pattern;
        if (Current) {
            Previous = std::filesystem::current_path();
            std::filesystem::current_path(Folder);
        }
    }
    ~TTempFolder() {
        std::error_code ignored;
        if (!Previous.empty()) {
            std::filesystem::current_path(Previous, ignored);
        }
        std::filesystem::remove_all(Folder, ignored);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return Folder; }
    // The full name of a file in the folder.
    std::string Name(const std::string& File) const { return (Folder / File).string(); }
    // Writes bytes or text, making the folders on the way; gives the file's full name.
    template <typename TData>
    std::string Write(const std::string& File, const TData& Data) const {
        std::filesystem::create_directories(std::filesystem::path(Name(File)).parent_path());
        std::ofstream(Name(File), std::ios::binary)
            .write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
        return Name(File);
    }

private:
    std::filesystem::path Folder, Previous;
};

} // namespace testsupport
