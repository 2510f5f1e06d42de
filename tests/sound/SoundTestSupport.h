#pragma once
// Helpers of the sound tests: temporary folders, WAV files made to measure, and a WAV reader to
// measure what was played.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace soundtest {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TTempFolder {
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return Folder; }

private:
    std::filesystem::path Folder;
};

// Makes a folder current for its lifetime: the players open their files relative to it.
class TCurrentFolder {
public:
    explicit TCurrentFolder(const std::filesystem::path& Folder);
    ~TCurrentFolder();
    TCurrentFolder(const TCurrentFolder&) = delete;
    TCurrentFolder& operator=(const TCurrentFolder&) = delete;

private:
    std::filesystem::path Previous;
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

// A 16-bit PCM WAV file read back (plain or extensible layout).
struct TWave {
    unsigned Channels = 0;
    std::uint32_t Rate = 0;
    std::vector<float> Samples; // interleaved, full scale is 1
    std::size_t Frames() const { return Channels == 0 ? 0 : Samples.size() / Channels; }
    // The largest absolute sample of any channel in frames [First, Last).
    float Peak(std::size_t First, std::size_t Last) const;
};
std::optional<TWave> ReadWave(const std::filesystem::path& File);

// The message of the ESoundError that Action raises, "(nothing raised)" or "(other exception)".
std::string SoundErrorOf(const std::function<void()>& Action);

// Polls Condition every 10 ms until it holds or Limit has passed; true if it held.
bool WaitFor(const std::function<bool()>& Condition, std::chrono::milliseconds Limit);

} // namespace soundtest
