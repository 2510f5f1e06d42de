// The process-wide players: set up from the program's sound files, silent and reported once when a
// file or the device is missing, and silent again after the device is closed.
#include "SoundTestSupport.h"
#include "sound/Sound.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using namespace soundtest;

namespace {

class SoundService : public ::testing::Test {
protected:
    void TearDown() override { CloseSound(); }

    TTempFolder Folder{true}, Program;
};

TEST_F(SoundService, MissingOrBrokenFilesLeaveSilentPlayersAndOneReport) {
    const std::string restartLost = "Cannot assign wave data to buffer: " + std::string(RestartSoundFile);
    const std::string rotationLost = "Cannot assign wave data to buffer: " + std::string(RotationSoundFile);
    const auto put = [](const TTempFolder& f) { PutProgramSounds(f.Path()); };
    const auto noRotation = [](const TTempFolder& f) {
        std::filesystem::remove(f.Path() / RotationSoundFile);
    };
    const auto badRestart = [](const TTempFolder& f) {
        WriteBytes(f.Path() / RestartSoundFile, "RIFF no sound");
    };
    const struct {
        const char* Name;
        std::vector<std::function<void(const TTempFolder&)>> Here, InProgram;
        bool RestartOk, RotationOk;
        std::string Failure;
    } cases[] = {
        {"no sounds folder", {}, {}, false, false, restartLost + "\n" + rotationLost},
        {"rotation missing", {put, noRotation}, {}, true, false, rotationLost},
        {"restart is not a WAV file", {put, badRestart}, {}, false, true, restartLost},
        {"both here: once the files are back, the old report is forgotten", {put}, {}, true, true, ""},
        {"none here, both in the program folder", {}, {put}, true, true, ""},
        {"the current folder's come first, even broken", {put, badRestart}, {put}, false, true, restartLost},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        for (const TTempFolder* f : {&Folder, &Program}) {
            std::filesystem::remove_all(f->Path() / "sounds");
            for (const auto& prepare : f == &Folder ? c.Here : c.InProgram) {
                prepare(*f);
            }
        }
        InitSound(Program.Path().string());
        InitSound(Program.Path().string()); // while open: nothing changes, nothing more is reported
        EXPECT_EQ(SoundFailure(), c.Failure);
        const TSourceInfo restart = RestartSound().Inspect(), rotation = RotationSound().Inspect();
        EXPECT_EQ(restart.BufferAttached, c.RestartOk);
        EXPECT_EQ(restart.Bytes > 0, c.RestartOk);
        EXPECT_FALSE(restart.Looping);
        EXPECT_EQ(rotation.BufferAttached, c.RotationOk);
        EXPECT_EQ(rotation.Looping, c.RotationOk) << "the rotation sound runs for as long as a turn does";
        // A silent player still keeps its state, so the threads that start and stop it need not care.
        RotationSound().Play();
        EXPECT_TRUE(RotationSound().Playing());
        EXPECT_EQ(RotationSound().Inspect().Sounding, c.RotationOk);
        RotationSound().Stop();
        EXPECT_FALSE(RotationSound().Playing());
        EXPECT_FALSE(RotationSound().Inspect().Sounding);
        RotationSound().Play();
        CloseSound();
        EXPECT_FALSE(RotationSound().Inspect().Audible);
        EXPECT_FALSE(RestartSound().Inspect().Audible);
        RotationSound().Stop(); // a worker thread may still stop it after the device has gone
        RestartSound().Play();
    }
}

// In a fresh process of its own (the death-test machinery re-runs this program), because OpenAL
// Soft reads its driver list once.
TEST(SoundServiceDeathTest, WithoutAnAudioDeviceThePlayersAreSilent) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
            InitSound();
            const bool silent = !RestartSound().Inspect().Audible && !RotationSound().Inspect().Audible;
            RotationSound().Play();
            RotationSound().Stop();
            CloseSound();
            std::exit(SoundFailure() == "Cannot open the audio device" && silent ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
