// The process-wide players: set up from the program's sound files, silent and reported once when a
// file or the device is missing, silent again after the device is closed, and set up at their first
// play when the device's opening was deferred.
#include "SoundTestSupport.h"
#include "sound/Sound.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using namespace soundtest;

namespace {

enum class TSounds { None, Both, BrokenRestart };

void Put(const TTempFolder& Folder, TSounds Sounds) {
    std::filesystem::remove_all(Folder.Path() / "sounds");
    if (Sounds != TSounds::None) {
        PutProgramSounds(Folder.Path());
    }
    if (Sounds == TSounds::BrokenRestart) {
        Folder.Write(RestartSoundFile, std::string("RIFF no sound"));
    }
}

TEST(SoundService, MissingOrBrokenFilesLeaveSilentPlayersAndOneReport) {
    const std::string restartLost = "Cannot assign wave data to buffer: " + std::string(RestartSoundFile);
    const std::string rotationLost = "Cannot assign wave data to buffer: " + std::string(RotationSoundFile);
    TTempFolder here(true), program;
    const std::tuple<const char*, TSounds, TSounds, bool, bool, std::string> cases[] = {
        {"no sounds folder", TSounds::None, TSounds::None, false, false, restartLost + "\n" + rotationLost},
        {"both here: once the files are back, the old report is forgotten", TSounds::Both, TSounds::None,
         true, true, ""},
        {"none here, both in the program folder", TSounds::None, TSounds::Both, true, true, ""},
        {"the current folder's come first, even broken", TSounds::BrokenRestart, TSounds::Both, false, true,
         restartLost},
    };
    for (const auto& [name, inHere, inProgram, restartOk, rotationOk, failure] : cases) {
        SCOPED_TRACE(name);
        Put(here, inHere);
        Put(program, inProgram);
        InitSound(program.Path().string());
        InitSound(program.Path().string()); // while open: nothing changes, nothing more is reported
        EXPECT_EQ(SoundFailure(), failure);
        EXPECT_EQ(RestartSound().Inspect().BufferAttached, restartOk);
        EXPECT_EQ(RotationSound().Inspect().Looping, rotationOk) << "a rotation sounds as long as a turn";
        // A silent player still keeps its state, so the threads that start and stop it need not care.
        RotationSound().Play();
        EXPECT_TRUE(RotationSound().Playing());
        EXPECT_EQ(RotationSound().Inspect().Sounding, rotationOk);
        CloseSound();
        EXPECT_FALSE(RotationSound().Inspect().Audible);
        RotationSound().Stop(); // a worker thread may still stop it after the device has gone
        RestartSound().Play();
    }
}

// A deferred device stays closed until a player plays; that play then sounds, with the program
// folder's files. Closing before any play leaves nothing to open later.
TEST(SoundService, ADeferredDeviceOpensAtTheFirstPlay) {
    TTempFolder here(true), program;
    Put(program, TSounds::Both);
    DeferSound(program.Path().string());
    CloseSound();
    RotationSound().Play();
    EXPECT_FALSE(RotationSound().Inspect().Audible) << "closed before any play";
    RotationSound().Stop();

    DeferSound(program.Path().string());
    EXPECT_FALSE(RestartSound().Inspect().Audible);
    EXPECT_FALSE(RotationSound().Inspect().Audible);
    RotationSound().Play();
    EXPECT_TRUE(RotationSound().Inspect().Sounding);
    EXPECT_TRUE(RotationSound().Inspect().Looping);
    EXPECT_TRUE(RestartSound().Inspect().BufferAttached);
    EXPECT_EQ(SoundFailure(), "");
    CloseSound();
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
