#pragma once
// A file in memory with a name that any reader can open, for the targets whose readers take a file
// name: nothing touches the disk, and the file goes with the object.

#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace fuzz {

class TMemoryFile {
public:
    explicit TMemoryFile(std::string_view contents) : Fd(memfd_create("fuzz", MFD_CLOEXEC)) {
        if (Fd < 0 || write(Fd, contents.data(), contents.size()) != static_cast<ssize_t>(contents.size())) {
            __builtin_trap(); // the machine, not the code under test, failed
        }
    }
    ~TMemoryFile() { close(Fd); }
    TMemoryFile(const TMemoryFile&) = delete;
    TMemoryFile& operator=(const TMemoryFile&) = delete;

    std::string Name() const { return "/proc/self/fd/" + std::to_string(Fd); }

private:
    int Fd;
};

} // namespace fuzz
