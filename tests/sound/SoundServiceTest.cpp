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

    TTempFolder Folder;
    TCurrentFolder Here{Folder.Path()};
};

TEST_F(SoundService, SetsUpBothPlayersFromTheShippedFilesAndCloseSilencesThem) {
    PutProgramSounds(Folder.Path());
    InitSound();
    EXPECT_EQ(SoundFailure(), "");
    const TSourceInfo restart = RestartSound().Inspect();
    const TSourceInfo rotation = RotationSound().Inspect();
    ASSERT_TRUE(restart.BufferAttached);
    ASSERT_TRUE(rotation.BufferAttached);
    EXPECT_FALSE(restart.Looping);
    EXPECT_TRUE(rotation.Looping) << "the rotation sound runs for as long as a turn does";
    EXPECT_GT(restart.Bytes, 0);
    EXPECT_GT(rotation.Bytes, 0);

    InitSound(); // while open: nothing changes, nothing is reported
    EXPECT_EQ(SoundFailure(), "");
    EXPECT_TRUE(RotationSound().Inspect().BufferAttached);

    RotationSound().Play();
    ASSERT_TRUE(RotationSound().Inspect().Sounding);
    CloseSound();
    EXPECT_FALSE(RotationSound().Inspect().Audible);
    EXPECT_FALSE(RestartSound().Inspect().Audible);
    RotationSound().Stop(); // a worker thread may still stop it after the device has gone
    RestartSound().Play();
    CloseSound();
}

TEST_F(SoundService, MissingOrBrokenFilesLeaveSilentPlayersAndOneReport) {
    struct TCase {
        const char* Name;
        bool RestartOk, RotationOk;
        std::string Failure;
    };
    const std::string assign = "Cannot assign wave data to buffer: ";
    const TCase cases[] = {
        {"no sounds folder", false, false, assign + RestartSoundFile + "\n" + assign + RotationSoundFile},
        {"rotation missing", true, false, assign + RotationSoundFile},
        {"restart is not a WAV file", false, true, assign + RestartSoundFile},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::filesystem::remove_all(Folder.Path() / "sounds");
        const std::string name = c.Name;
        if (name != "no sounds folder") {
            PutProgramSounds(Folder.Path());
        }
        if (name == "rotation missing") {
            std::filesystem::remove(Folder.Path() / RotationSoundFile);
        } else if (name == "restart is not a WAV file") {
            WriteBytes(Folder.Path() / RestartSoundFile, "RIFF this is no sound at all");
        }

        InitSound();
        EXPECT_EQ(SoundFailure(), c.Failure);
        EXPECT_EQ(RestartSound().Inspect().BufferAttached, c.RestartOk);
        EXPECT_EQ(RotationSound().Inspect().BufferAttached, c.RotationOk);
        // A silent player still keeps its state, so the threads that start and stop it need not care.
        RotationSound().Play();
        EXPECT_TRUE(RotationSound().Playing());
        RotationSound().Stop();
        EXPECT_FALSE(RotationSound().Playing());
        EXPECT_FALSE(RotationSound().Inspect().Sounding);
        CloseSound();
    }
    // Once the files are back, the next start finds them and forgets the old report.
    std::filesystem::remove_all(Folder.Path() / "sounds");
    PutProgramSounds(Folder.Path());
    InitSound();
    EXPECT_EQ(SoundFailure(), "");
    EXPECT_TRUE(RotationSound().Inspect().BufferAttached);
}

TEST_F(SoundService, TheProgramFolderIsAskedWhenTheCurrentFolderHasNoSounds) {
    TTempFolder program;
    PutProgramSounds(program.Path());
    InitSound(program.Path().string());
    EXPECT_EQ(SoundFailure(), "");
    EXPECT_TRUE(RestartSound().Inspect().BufferAttached);
    EXPECT_TRUE(RotationSound().Inspect().BufferAttached);
    CloseSound();

    // The current folder's sounds come first: a broken one there is not passed over.
    PutProgramSounds(Folder.Path());
    WriteBytes(Folder.Path() / RestartSoundFile, "RIFF this is no sound at all");
    InitSound(program.Path().string());
    EXPECT_FALSE(RestartSound().Inspect().BufferAttached);
    EXPECT_TRUE(RotationSound().Inspect().BufferAttached);
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
