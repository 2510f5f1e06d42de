// One player on an open device: loading, the settings it hands to its source, start and stop, and
// the failures it reports. Runs on whatever device OpenAL opens (the null device under scripts/test).
#include "SoundTestSupport.h"
#include "sound/Sound.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>

using namespace soundtest;
using namespace std::chrono_literals;

namespace {

class SoundObject : public ::testing::Test {
protected:
    void SetUp() override {
        PutProgramSounds(Folder.Path());
        InitSound();
        ASSERT_EQ(SoundFailure(), "");
    }
    void TearDown() override { CloseSound(); }

    // Writes a WAV file into the test folder and gives its name.
    std::string Wave(const std::string& Name, const TWaveFormat& Format) const {
        WriteBytes(Folder.Path() / Name, WaveFile(Format));
        return (Folder.Path() / Name).string();
    }
    std::string Tone(const std::string& Name, int Frames, unsigned Channels = 1, unsigned Bits = 16,
                     std::uint32_t Rate = 22050) const {
        return Wave(Name, {.Channels = Channels,
                           .Rate = Rate,
                           .Bits = Bits,
                           .Samples = ToneSamples(Frames, Channels, Bits, Rate)});
    }

    TTempFolder Folder;
    TCurrentFolder Here{Folder.Path()};
};

TEST_F(SoundObject, NeedsAnOpenDevice) {
    CloseSound();
    EXPECT_EQ(SoundErrorOf([] { TSoundObject player; }), "Cannot generate sound buffer");
}

TEST_F(SoundObject, LoadsPlainPcmFiles) {
    struct Case {
        unsigned channels, bits;
        std::uint32_t rate;
        int frames;
    };
    const Case cases[] = {
        {1, 8, 8000, 800},
        {2, 16, 44100, 4410},
        {1, 16, 48000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.channels) + " channel(s), " + std::to_string(c.bits) + " bits, " +
                     std::to_string(c.rate) + " Hz");
        TSoundObject player;
        player.Looping = true;
        ASSERT_EQ(SoundErrorOf(
                      [&] { player.LoadFromFile(Tone("tone.wav", c.frames, c.channels, c.bits, c.rate)); }),
                  "(nothing raised)");
        const TSourceInfo info = player.Inspect();
        EXPECT_TRUE(info.BufferAttached);
        EXPECT_EQ(info.Channels, static_cast<int>(c.channels));
        EXPECT_EQ(info.Bits, static_cast<int>(c.bits));
        EXPECT_EQ(info.Frequency, static_cast<int>(c.rate));
        EXPECT_EQ(info.Bytes, c.frames * static_cast<int>(c.channels * c.bits / 8));
        EXPECT_FALSE(player.Looping) << "loading takes the file's loop flag, and WAV files carry none";
    }
}

// Files that must not load, each with what it would do to a careless loader.
struct BadFile {
    const char* what;
    std::string bytes;
};

std::vector<BadFile> BadFiles() {
    const std::string tone = ToneSamples(100, 1, 16, 22050);
    const std::string good = WaveFile({.Samples = tone});
    return {
        {"empty file", ""},
        {"cut inside the header", good.substr(0, 20)},
        {"data chunk longer than the file", good.substr(0, good.size() - 50)},
        {"three channels", WaveFile({.Channels = 3, .Samples = ToneSamples(100, 3, 16, 22050)})},
        {"no channels", WaveFile({.Channels = 0, .Samples = tone})},
        {"float samples", WaveFile({.FormatTag = 3, .Bits = 32, .Samples = std::string(400, '\0')})},
        {"compressed samples", WaveFile({.FormatTag = 2, .Bits = 4, .Samples = std::string(100, '\0')})},
        {"sample rate 0", WaveFile({.Rate = 0, .Samples = tone})},
        {"half a 16-bit frame at the end", WaveFile({.Samples = tone + "x"})},
        {"no data chunk", good.substr(0, 36)},
    };
}

TEST_F(SoundObject, RefusesFilesThatAreNotPlainPcmAndKeepsTheSoundBefore) {
    TSoundObject player;
    player.LoadFromFile(Tone("before.wav", 1000));
    for (const BadFile& bad : BadFiles()) {
        SCOPED_TRACE(bad.what);
        WriteBytes(Folder.Path() / "bad.wav", bad.bytes);
        EXPECT_EQ(SoundErrorOf([&] { player.LoadFromFile("bad.wav"); }), "Cannot assign wave data to buffer");
        const TSourceInfo info = player.Inspect();
        EXPECT_TRUE(info.BufferAttached);
        EXPECT_EQ(info.Bytes, 2000);
    }
}

TEST_F(SoundObject, RefusesWhatIsNotAPlainFile) {
    std::filesystem::create_directories(Folder.Path() / "folder.wav");
    const std::filesystem::path pipe = Folder.Path() / "pipe.wav";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // A named pipe would block a reader until someone writes: the test would hang, not fail.
    for (const char* name : {"missing.wav", "folder.wav", "pipe.wav", "/dev/zero", ""}) {
        SCOPED_TRACE(name);
        TSoundObject player;
        EXPECT_EQ(SoundErrorOf([&] { player.LoadFromFile(name); }), "Cannot assign wave data to buffer");
        EXPECT_FALSE(player.Inspect().BufferAttached);
    }
}

TEST_F(SoundObject, LoadsAgainIntoTheSameBufferWhilePlaying) {
    TSoundObject player;
    player.LoadFromFile(Tone("first.wav", 22050));
    player.Looping = true;
    player.Play();
    ASSERT_TRUE(player.Inspect().Sounding);
    // OpenAL will not take new data for a buffer that a source holds; the player must let go first.
    ASSERT_EQ(SoundErrorOf([&] { player.LoadFromFile(Tone("second.wav", 500, 2, 8, 11025)); }),
              "(nothing raised)");
    const TSourceInfo info = player.Inspect();
    EXPECT_TRUE(info.BufferAttached);
    EXPECT_EQ(info.Channels, 2);
    EXPECT_EQ(info.Bits, 8);
    EXPECT_EQ(info.Frequency, 11025);
    EXPECT_EQ(info.Bytes, 1000);
}

TEST_F(SoundObject, UpdateHandsTheSettingsToTheSource) {
    TSoundObject player;
    player.LoadFromFile(Tone("tone.wav", 2205));
    player.Pitch = 1.5f;
    player.Gain = 0.25f;
    player.Position = {1.0f, -2.0f, 3.5f};
    player.Velocity = {-0.5f, 0.0f, 4.0f};
    player.Looping = true;
    player.Update();
    TSourceInfo info = player.Inspect();
    EXPECT_EQ(info.Pitch, 1.5f);
    EXPECT_EQ(info.Gain, 0.25f);
    EXPECT_EQ(info.Position, player.Position);
    EXPECT_EQ(info.Velocity, player.Velocity);
    EXPECT_TRUE(info.Looping);

    // Play hands them over too.
    player.Gain = 0.5f;
    player.Looping = false;
    player.Play();
    info = player.Inspect();
    EXPECT_EQ(info.Gain, 0.5f);
    EXPECT_FALSE(info.Looping);
}

TEST_F(SoundObject, ALoopingSoundSoundsUntilStopped) {
    TSoundObject player;
    player.LoadFromFile(Tone("short.wav", 2205)); // 0.1 s
    player.Looping = true;
    player.Play();
    std::this_thread::sleep_for(400ms);
    EXPECT_TRUE(player.Inspect().Sounding);
    player.Stop();
    EXPECT_FALSE(player.Inspect().Sounding);
}

TEST_F(SoundObject, PlayStartsAgainFromTheBeginning) {
    TSoundObject player;
    player.LoadFromFile(Tone("long.wav", 5 * 22050));
    player.Play();
    ASSERT_TRUE(WaitFor([&] { return player.Inspect().Offset > 22050 / 4; }, 3s))
        << "the device does not play";
    const int before = player.Inspect().Offset;
    player.Play();
    EXPECT_LT(player.Inspect().Offset, before / 2);
    EXPECT_TRUE(player.Inspect().Sounding);
}

TEST_F(SoundObject, ASoundThatDoesNotLoopPlaysOnceToItsEnd) {
    TSoundObject player;
    player.LoadFromFile(Tone("chime.wav", 22050 / 4));
    const auto start = std::chrono::steady_clock::now();
    player.Play();
    EXPECT_TRUE(player.Inspect().Sounding);
    ASSERT_TRUE(WaitFor([&] { return !player.Inspect().Sounding; }, 5s));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms) << "ended long before its samples did";
    EXPECT_TRUE(player.Playing()) << "Playing means Play was called and Stop not yet";
}

TEST_F(SoundObject, AnUncheckedFailureDoesNotFailTheNextCheckedCall) {
    TSoundObject player;
    player.LoadFromFile(Tone("tone.wav", 100));
    player.Pitch = -1.0f; // OpenAL refuses a negative pitch; Update does not check
    player.Update();
    EXPECT_EQ(SoundErrorOf([&] { player.LoadFromFile(Tone("tone.wav", 100)); }), "(nothing raised)");
    player.Update();
    EXPECT_EQ(SoundErrorOf([] { TSoundObject another; }), "(nothing raised)");
    player.Update();
    EXPECT_EQ(SoundErrorOf([&] { player.Destroy(); }), "(nothing raised)");
}

TEST_F(SoundObject, DestroyLeavesASilentPlayer) {
    TSoundObject player;
    player.LoadFromFile(Tone("tone.wav", 22050));
    player.Looping = true;
    player.Play();
    EXPECT_EQ(SoundErrorOf([&] { player.Destroy(); }), "(nothing raised)");
    EXPECT_FALSE(player.Playing());
    EXPECT_FALSE(player.Inspect().Audible);
    EXPECT_EQ(SoundErrorOf([&] { player.Destroy(); }), "(nothing raised)");
    player.Play();
    EXPECT_TRUE(player.Playing());
    player.Stop();
    EXPECT_FALSE(player.Playing());
    EXPECT_EQ(SoundErrorOf([&] { player.LoadFromFile(Tone("tone.wav", 100)); }),
              "Cannot assign wave data to buffer");
}

TEST_F(SoundObject, ManyPlayersLiveSideBySide) {
    std::vector<std::unique_ptr<TSoundObject>> players;
    const std::string file = Tone("tone.wav", 2205);
    for (int i = 0; i < 32; ++i) {
        players.push_back(std::make_unique<TSoundObject>());
        players.back()->LoadFromFile(file);
        players.back()->Play();
    }
    for (const auto& player : players) {
        EXPECT_TRUE(player->Inspect().BufferAttached);
    }
    players.erase(players.begin(), players.begin() + 16);
    for (const auto& player : players) {
        EXPECT_TRUE(player->Inspect().BufferAttached)
            << "deleting one player took another's source or buffer";
    }
}

} // namespace
