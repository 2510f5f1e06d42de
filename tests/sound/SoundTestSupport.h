#pragma once
// Helpers of the sound tests: the program's sounds and WAV files made to measure.

#include "sound/Sound.h"
#include "support/TempFolder.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace soundtest {

using testsupport::TTempFolder;

// Copies both shipped sounds, as the build laid them out in the program folder, into Folder/sounds.
inline void PutProgramSounds(const std::filesystem::path& Folder) {
    std::filesystem::create_directories(Folder / "sounds");
    for (const char* name : {"restart.wav", "rotation.wav"}) {
        std::filesystem::copy_file(std::filesystem::path(TORVANE_PROGRAM_SOUNDS) / name,
                                   Folder / "sounds" / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

// Little-endian fields of Bytes bytes.
inline std::string LittleEndian(std::uint32_t Value, int Bytes) {
    std::string out;
    for (int i = 0; i < Bytes; ++i) {
        out += static_cast<char>((Value >> (8 * i)) & 0xFF);
    }
    return out;
}

// A PCM WAV file with a "fmt " chunk of the given fields and a "data" chunk.
struct TWaveFormat {
    unsigned Channels = 1;
    std::uint32_t Rate = 22050;
    unsigned Bits = 16;
    std::string Samples; // the body of the "data" chunk
};

inline std::string WaveFile(const TWaveFormat& Format) {
    const unsigned blockAlign = Format.Channels * ((Format.Bits + 7) / 8);
    const std::string format = LittleEndian(1, 2) + LittleEndian(Format.Channels, 2) +
                               LittleEndian(Format.Rate, 4) + LittleEndian(Format.Rate * blockAlign, 4) +
                               LittleEndian(blockAlign, 2) + LittleEndian(Format.Bits, 2);
    const std::string body = "WAVEfmt " + LittleEndian(16, 4) + format + "data" +
                             LittleEndian(static_cast<std::uint32_t>(Format.Samples.size()), 4) +
                             Format.Samples;
    return "RIFF" + LittleEndian(static_cast<std::uint32_t>(body.size()), 4) + body;
}

// The message of the ESoundError that Action raises, "(nothing raised)" or "(other exception)".
inline std::string SoundErrorOf(const std::function<void()>& Action) {
    try {
        Action();
    } catch (const ESoundError& e) {
        return e.what();
    } catch (...) {
        return "(other exception)";
    }
    return "(nothing raised)";
}

} // namespace soundtest
