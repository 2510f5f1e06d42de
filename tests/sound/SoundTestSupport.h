#pragma once
// Helpers of the sound tests: a temporary folder and WAV files made to measure.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace soundtest {

// A fresh folder under the system's temporary folder, removed with everything in it at the end. A
// current one is made the working folder for its lifetime: the players open their files relative to it.
class TTempFolder {
public:
    explicit TTempFolder(bool Current = false);
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return Folder; }

private:
    std::filesystem::path Folder, Previous;
};

// The shipped sounds as the build laid them out in the program folder.
std::filesystem::path ProgramSound(std::string_view Name);
// Copies both shipped sounds into Folder/sounds.
void PutProgramSounds(const std::filesystem::path& Folder);

void WriteBytes(const std::filesystem::path& File, std::string_view Bytes);

// A WAV file with a "fmt " chunk of the given fields and a "data" chunk.
struct TWaveFormat {
    unsigned FormatTag = 1; // PCM
    unsigned Channels = 1;
    std::uint32_t Rate = 22050;
    unsigned Bits = 16;
    std::string Samples; // the body of the "data" chunk
};
std::string WaveFile(const TWaveFormat& Format);

// Frames of 8- or 16-bit samples (a quiet ramp) in the given number of channels.
std::string ToneSamples(int Frames, unsigned Channels, unsigned Bits);

// The message of the ESoundError that Action raises, "(nothing raised)" or "(other exception)".
std::string SoundErrorOf(const std::function<void()>& Action);

} // namespace soundtest
