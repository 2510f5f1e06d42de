#include "SoundTestSupport.h"

#include "sound/Sound.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace soundtest {

TTempFolder::TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "torvane-sound-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder from " + pattern);
    }
    Folder = pattern;
}

TTempFolder::~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
}

TCurrentFolder::TCurrentFolder(const std::filesystem::path& Folder)
    : Previous(std::filesystem::current_path()) {
    std::filesystem::current_path(Folder);
}

TCurrentFolder::~TCurrentFolder() {
    std::error_code ignored;
    std::filesystem::current_path(Previous, ignored);
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
    std::filesystem::create_directories(File.parent_path());
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

std::uint32_t ReadU32(std::string_view Bytes, std::size_t At) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(Bytes[At + static_cast<std::size_t>(i)]);
    }
    return value;
}

unsigned ReadU16(std::string_view Bytes, std::size_t At) {
    return static_cast<unsigned char>(Bytes[At]) |
           (static_cast<unsigned>(static_cast<unsigned char>(Bytes[At + 1])) << 8);
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

float TWave::Peak(std::size_t First, std::size_t Last) const {
    float peak = 0.0f;
    Last = std::min(Last, Frames());
    for (std::size_t i = First * Channels; i < Last * Channels; ++i) {
        peak = std::max(peak, std::fabs(Samples[i]));
    }
    return peak;
}

std::optional<TWave> ReadWave(const std::filesystem::path& File) {
    std::ifstream in(File, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string_view all(bytes);
    TWave wave;
    unsigned bits = 0;
    for (std::size_t at = 12; at + 8 <= all.size();) {
        const std::string_view id = all.substr(at, 4);
        // A writer that did not finish may leave a size that runs past the end: take what is there.
        const std::size_t size = std::min<std::size_t>(ReadU32(all, at + 4), all.size() - at - 8);
        const std::string_view body = all.substr(at + 8, size);
        if (id == "fmt " && size >= 16) {
            wave.Channels = ReadU16(body, 2);
            wave.Rate = ReadU32(body, 4);
            bits = ReadU16(body, 14);
        } else if (id == "data" && bits == 16 && wave.Channels > 0) {
            for (std::size_t i = 0; i + 2 <= body.size(); i += 2) {
                wave.Samples.push_back(static_cast<std::int16_t>(ReadU16(body, i)) / 32768.0f);
            }
            return wave;
        }
        at += 8 + size + (size % 2);
    }
    return std::nullopt;
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

bool WaitFor(const std::function<bool()>& Condition, std::chrono::milliseconds Limit) {
    const auto end = std::chrono::steady_clock::now() + Limit;
    while (!Condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace soundtest
