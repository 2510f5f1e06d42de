#include "SoundTestSupport.h"

#include "sound/Sound.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace soundtest {

TTempFolder::TTempFolder(bool Current) {
    std::string pattern = (std::filesystem::temp_directory_path() / "torvane-sound-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder from " + pattern);
    }
    Folder = pattern;
    if (Current) {
        Previous = std::filesystem::current_path();
        std::filesystem::current_path(Folder);
    }
}

TTempFolder::~TTempFolder() {
    std::error_code ignored;
    if (!Previous.empty()) {
        std::filesystem::current_path(Previous, ignored);
    }
    std::filesystem::remove_all(Folder, ignored);
}

std::filesystem::path ProgramSound(std::string_view Name) {
    return std::filesystem::path(TORVANE_PROGRAM_SOUNDS) / Name;
}

void PutProgramSounds(const std::filesystem::path& Folder) {
    std::filesystem::create_directories(Folder / "sounds");
    for (const char* name : {"restart.wav", "rotation.wav"}) {
        std::filesystem::copy_file(ProgramSound(name), Folder / "sounds" / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

void WriteBytes(const std::filesystem::path& File, std::string_view Bytes) {
    if (File.has_parent_path()) {
        std::filesystem::create_directories(File.parent_path());
    }
    std::ofstream out(File, std::ios::binary | std::ios::trunc);
    out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + File.string());
    }
}

namespace {

std::string U16(unsigned Value) {
    return {static_cast<char>(Value & 0xFF), static_cast<char>((Value >> 8) & 0xFF)};
}

std::string U32(std::uint32_t Value) {
    return U16(Value & 0xFFFF) + U16(Value >> 16);
}

std::string Chunk(std::string_view Id, std::string_view Body) {
    return std::string(Id) + U32(static_cast<std::uint32_t>(Body.size())) + std::string(Body);
}

} // namespace

std::string WaveFile(const TWaveFormat& Format) {
    const unsigned blockAlign = Format.Channels * ((Format.Bits + 7) / 8);
    const std::string format = U16(Format.FormatTag) + U16(Format.Channels) + U32(Format.Rate) +
                               U32(Format.Rate * blockAlign) + U16(blockAlign) + U16(Format.Bits);
    const std::string body = "WAVE" + Chunk("fmt ", format) + Chunk("data", Format.Samples);
    return "RIFF" + U32(static_cast<std::uint32_t>(body.size())) + body;
}

std::string ToneSamples(int Frames, unsigned Channels, unsigned Bits) {
    std::string bytes;
    for (int i = 0; i < Frames * static_cast<int>(Channels); ++i) {
        const int value = (i % 64) - 32;
        bytes += Bits == 8 ? std::string(1, static_cast<char>(128 + value))
                           : U16(static_cast<std::uint16_t>(value * 256));
    }
    return bytes;
}

std::string SoundErrorOf(const std::function<void()>& Action) {
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
