// One player on an open device: loading, the settings it hands to its source, and the failures it
// reports. Runs on whatever device OpenAL opens (the null device under scripts/test).
#include "SoundTestSupport.h"
#include "sound/Sound.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <tuple>

using namespace soundtest;

namespace {

const std::string Refused = "Cannot assign wave data to buffer", Fine = "(nothing raised)";

class SoundObject : public ::testing::Test {
protected:
    void SetUp() override {
        PutProgramSounds(Folder.Path());
        InitSound();
        ASSERT_EQ(SoundFailure(), "");
    }
    void TearDown() override { CloseSound(); }

    // Writes tone.wav of Frames (silent) frames into the test folder and gives its name.
    std::string Tone(int Frames, unsigned Channels = 1, unsigned Bits = 16, std::uint32_t Rate = 22050) {
        const auto bytes = static_cast<std::size_t>(Frames) * Channels * Bits / 8;
        return Folder.Write("tone.wav",
                            WaveFile({Channels, Rate, Bits, std::string(bytes, Bits == 8 ? '\x80' : '\0')}));
    }

    TTempFolder Folder{true};
};

// Also while playing: OpenAL will not take new data for a buffer that a source holds.
TEST_F(SoundObject, LoadsPlainPcmFilesAgainIntoTheSameBufferWhilePlaying) {
    const struct { int channels, bits, rate, frames; } cases[] = {{1, 8, 8000, 800}, {2, 16, 44100, 4410}};
    TSoundObject player;
    for (const auto& c : cases) {
        player.Looping = true;
        ASSERT_EQ(SoundErrorOf([&] { player.LoadFromFile(Tone(c.frames, c.channels, c.bits, c.rate)); }),
                  Fine);
        const TSourceInfo i = player.Inspect();
        EXPECT_EQ(std::tuple(i.BufferAttached, i.Channels, i.Bits, i.Frequency, i.Bytes),
                  std::tuple(true, c.channels, c.bits, c.rate, c.frames * c.channels * c.bits / 8));
        EXPECT_FALSE(player.Looping) << "loading takes the file's loop flag, and WAV files carry none";
        player.Looping = true;
        player.Play();
        ASSERT_TRUE(player.Inspect().Sounding);
    }
}

TEST_F(SoundObject, RefusesWhatIsNotAPlainPcmFileAndKeepsTheSoundBefore) {
    const std::string good = WaveFile({.Samples = std::string(200, '\0')});
    const std::pair<const char*, std::string> bad[] = {
        // file name, and the bytes written to bad.wav
        {"cut inside the header", good.substr(0, 20)},
        {"data chunk longer than the file", good.substr(0, good.size() - 50)},
        {"three channels", WaveFile({.Channels = 3, .Samples = std::string(600, '\0')})},
        {"missing.wav", ""},
        {"pipe.wav", ""}, // would block a reader until someone writes: the test would hang, not fail
    };
    ASSERT_EQ(mkfifo("pipe.wav", 0600), 0);
    TSoundObject player;
    player.LoadFromFile(Tone(1000));
    for (const auto& [what, bytes] : bad) {
        SCOPED_TRACE(what);
        const std::string file = bytes.empty() ? what : Folder.Write("bad.wav", bytes);
        EXPECT_EQ(SoundErrorOf([&] { player.LoadFromFile(file); }), Refused);
        EXPECT_EQ(std::pair(player.Inspect().BufferAttached, player.Inspect().Bytes), std::pair(true, 2000));
    }
}

TEST_F(SoundObject, UpdateAndPlayHandTheSettingsToTheSource) {
    TSoundObject player;
    player.LoadFromFile(Tone(2205));
    player.Pitch = 1.5f;
    player.Gain = 0.25f;
    player.Position = {1.0f, -2.0f, 3.5f};
    player.Velocity = {-0.5f, 0.0f, 4.0f};
    player.Looping = true;
    player.Update();
    const TSourceInfo i = player.Inspect();
    EXPECT_EQ(std::tuple(i.Pitch, i.Gain, i.Position, i.Velocity, i.Looping),
              std::tuple(1.5f, 0.25f, player.Position, player.Velocity, true));
    player.Gain = 0.5f;
    player.Looping = false;
    player.Play();
    EXPECT_EQ(std::pair(player.Inspect().Gain, player.Inspect().Looping), std::pair(0.5f, false));
    // An unchecked failure does not fail the next checked call.
    player.Pitch = -1.0f; // OpenAL refuses a negative pitch; Update does not check
    player.Update();
    EXPECT_EQ(SoundErrorOf([&] { player.LoadFromFile(Tone(100)); }), Fine);
}

} // namespace
