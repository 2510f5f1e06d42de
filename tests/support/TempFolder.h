#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end. A
// current one is made the working folder for its lifetime (the sound players open their files
// relative to it). And the bytes of a file.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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
    // Writes bytes or text over any file of that name, making the folders on the way; gives the file's
    // full name. A write that fails throws: a test must not go on with a file that is not there.
    template <typename TData>
    std::string Write(const std::string& File, const TData& Data) const {
        std::filesystem::create_directories(std::filesystem::path(Name(File)).parent_path());
        if (!std::ofstream(Name(File), std::ios::binary)
                 .write(reinterpret_cast<const char*>(Data.data()),
                        static_cast<std::streamsize>(Data.size()))) {
            throw std::runtime_error("cannot write " + Name(File));
        }
        return Name(File);
    }

private:
    std::filesystem::path Folder, Previous;
};

// A file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::string& Name) {
    std::ifstream in(Name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace testsupport
