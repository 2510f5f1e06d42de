// What a listener hears: OpenAL Soft's wave-file backend records the mix, and the record shows the
// rotation sound while a turn is animated and silence once it has ended.
#include "SoundTestSupport.h"
#include "animation/Thread.h"
#include "sound/Sound.h"
#include "view/Cube3D.h"

#include <QTest>
#include <QWidget>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

using namespace soundtest;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Rate = 22050; // of the shipped sounds, and the record's as alsoft.conf below asks

// The samples of a mono 16-bit WAV file, full scale 1. A writer that did not finish may leave a
// "data" size past the end of the file: the samples that are there count.
std::vector<float> Samples(const std::filesystem::path& File) {
    std::ifstream in(File, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<float> samples;
    const std::size_t data = bytes.find("data", 12);
    for (std::size_t i = data + 8; data != std::string::npos && i + 2 <= bytes.size(); i += 2) {
        std::int16_t sample;
        std::memcpy(&sample, bytes.data() + i, 2); // WAV files are little-endian, as we are
        samples.push_back(sample / 32768.0f);
    }
    return samples;
}

// The largest absolute sample in [First, Last).
float Peak(const std::vector<float>& Samples, std::size_t First, std::size_t Last) {
    float peak = 0.0f;
    for (std::size_t i = First; i < std::min(Last, Samples.size()); ++i) {
        peak = std::max(peak, std::fabs(Samples[i]));
    }
    return peak;
}

TEST(WaveOutput, TheRotationSoundIsHeardDuringATurnAndNotAfterIt) {
    TTempFolder folder(true);
    PutProgramSounds(folder.Path());
    const auto record = folder.Path() / "heard.wav";
    WriteBytes(folder.Path() / "alsoft.conf", "[general]\ndrivers = wave\nfrequency = 22050\nsample-type = "
                                              "int16\nchannels = mono\n[wave]\nfile = " +
                                                  record.string() + "\n");
    // Before the first OpenAL call of this process, which reads them.
    setenv("ALSOFT_CONF", (folder.Path() / "alsoft.conf").c_str(), 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);

    const Clock::time_point opening = Clock::now();
    InitSound();
    const Clock::time_point opened = Clock::now();
    ASSERT_EQ(SoundFailure(), "");

    ASSERT_TRUE(LoadGLLibraries());
    auto window = std::make_unique<QWidget>();
    window->resize(48, 48);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto view = std::make_unique<TCube3D>(window.get(), window.get(), 1);
    view->Cube->Clean();
    view->Mode = 1;
    view->Settings.SoundsON = true;
    view->Settings.CubeFaceRotationSpeed = 0; // the slowest turn: the most frames to listen to
    std::mutex lock;
    std::optional<Clock::time_point> firstFrame, lastFrame;
    view->FrameObserver = [&](std::int32_t x, std::int32_t y, float, std::int32_t z) {
        if (x == NoLayer && y == NoLayer && z == NoLayer) {
            return; // a redraw, not a turn
        }
        // A quick machine draws a small view's turn in a fraction of a second: each frame is held a
        // little, so the turn lasts long enough to be heard apart from the silence around it.
        std::this_thread::sleep_for(4ms);
        std::lock_guard guard(lock);
        firstFrame = firstFrame.value_or(Clock::now());
        lastFrame = Clock::now();
    };
    view->Init();

    QTest::qWait(400); // a stretch of silence before the turn
    ASSERT_TRUE(view->ExecuteMoves("U", true, false, nullptr));
    for (const auto end = Clock::now() + 30s; !view->MovesFinished() && Clock::now() < end;) {
        QTest::qWait(10);
    }
    ASSERT_TRUE(view->MovesFinished() && lastFrame.has_value());
    QTest::qWait(800); // and after it
    view.reset();
    CloseSound(); // the backend completes the file when the device closes

    const std::vector<float> heard = Samples(record);
    ASSERT_FALSE(heard.empty()) << "no sound recorded in " << record;
    const float loud = Peak(Samples(ProgramSound("rotation.wav")), 0, SIZE_MAX);
    ASSERT_GT(loud, 0.05f);

    // The backend writes each sample once its time has come, so a moment maps to a frame index; the
    // device started somewhere in [opening, opened], and mixing runs up to a period late.
    const auto frameAt = [&](Clock::time_point t, Clock::time_point origin) {
        const double seconds = std::chrono::duration<double>(t - origin).count();
        return static_cast<std::size_t>(std::max(0.0, seconds * Rate));
    };
    const Clock::time_point first = *firstFrame, last = *lastFrame;
    ASSERT_GT(last - first, 200ms) << "the turn was too quick to listen to";
    const auto quarter = (last - first) / 4;
    const float during = Peak(heard, frameAt(first + quarter, opening), frameAt(last - quarter, opened));
    const float before = Peak(heard, frameAt(opened + 100ms, opening), frameAt(first - 150ms, opened));
    const float after = Peak(heard, frameAt(last + 250ms, opening), frameAt(last + 700ms, opened));
    EXPECT_GT(during, loud * 0.25f) << "the turn was silent";
    EXPECT_LT(before, 0.01f) << "a sound played before the turn";
    EXPECT_LT(after, 0.01f) << "the rotation sound went on after the turn";
}

} // namespace
