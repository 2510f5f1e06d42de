#pragma once
// The sound player: the audio device and the game's two sounds. Every OpenAL and ALUT call of the
// program lives behind this header.
//
// Missing sound is never fatal. Without an audio device, or with a sound file that does not load, the
// program plays on in silence: InitSound does not raise, the players it could not set up are silent
// (Play and Stop keep Playing() right and make no sound), and SoundFailure() gives one text for the
// program to show.
//
// Threads: everything here may be called from any thread. One process-wide lock serialises the calls
// into OpenAL, because OpenAL keeps one error state per context and a check must see its own call's
// error, not another thread's.

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

// Failures of the player; the message is the text the user sees.
class ESoundError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The sound files, relative to the current folder of the process.
inline constexpr const char* RestartSoundFile = "sounds/restart.wav";
inline constexpr const char* RotationSoundFile = "sounds/rotation.wav";

// What OpenAL reports about a player's source and buffer.
struct TSourceInfo {
    bool Audible = false;        // the player has a buffer and a source on the open device
    bool Sounding = false;       // the source is playing now (a sound that ran to its end is not)
    bool BufferAttached = false; // the source plays the player's buffer
    bool Looping = false;
    int Offset = 0; // sample frames played since the sound last started
    float Pitch = 0.0f;
    float Gain = 0.0f;
    std::array<float, 3> Position{};
    std::array<float, 3> Velocity{};
    int Frequency = 0; // of the samples in the buffer
    int Channels = 0;
    int Bits = 0;
    int Bytes = 0;
};

// One sound: one OpenAL buffer that holds its samples and one source that plays it.
class TSoundObject {
public:
    // Generates the buffer and the source on the open device. Raises "Cannot generate sound buffer"
    // when OpenAL cannot, or when no device is open.
    TSoundObject();
    // Stops the sound and deletes source and buffer. A destructor cannot raise: call Destroy first to
    // hear of failures.
    ~TSoundObject();
    TSoundObject(const TSoundObject&) = delete;
    TSoundObject& operator=(const TSoundObject&) = delete;

    // Handed to the source by Update. Set them before the player is shared between threads: the
    // process-wide players are set up by InitSound, before any view exists.
    std::array<float, 3> Position{};
    std::array<float, 3> Velocity{};
    float Pitch = 1.0f;
    float Gain = 1.0f;
    bool Looping = false;

    // Reads a plain PCM WAV file (one or two channels of 8 or 16 bits) into the buffer and attaches
    // it to the source; Looping becomes false, as WAV files carry no loop flag that we follow. Raises
    // "Cannot assign wave data to buffer" when the file is missing, unreadable or not such a file, or
    // OpenAL refuses the data; the sound loaded before, if any, then stays.
    void LoadFromFile(const std::string& FileName);
    // Hands Pitch, Gain, Position, Velocity and Looping to the source.
    void Update();
    // Starts the sound from its beginning, also when it is already playing.
    void Play();
    // Stops the sound; harmless when it is not playing.
    void Stop();
    // Play was called and Stop not yet. A sound that is not looping stays Playing after its end.
    bool Playing() const;

    // Stops the sound and deletes source and buffer; the player is silent afterwards. Raises "Cannot
    // delete sound source" or "Cannot delete sound buffer" when OpenAL reports an error.
    void Destroy();

    TSourceInfo Inspect() const;

private:
    struct TVoice;
    struct TSilent {};
    explicit TSoundObject(TSilent);

    // Under the lock, with both process-wide players constructed: what InitSound does.
    static void OpenDeviceLocked(const std::string& ProgramFolder);
    // Under the lock. Raises "Cannot generate sound buffer".
    static std::unique_ptr<TVoice> GenerateVoice();
    void LoadLocked(const std::string& FileName);
    void UpdateLocked();
    // The text of the failure, or null.
    const char* ReleaseVoiceLocked();

    std::unique_ptr<TVoice> Voice; // null: the player is silent
    bool IsPlaying = false;

    friend void InitSound(const std::string&);
    friend void DeferSound(const std::string&);
    friend void CloseSound();
    friend TSoundObject& RestartSound();
    friend TSoundObject& RotationSound();
};

// Opens the default audio device and sets up the two players from the sound files: RestartSound not
// looping, RotationSound looping, whatever the files say. The files are looked for in the current
// folder first, then in ProgramFolder when one is given, so that the program finds its sounds wherever
// it is started from. Never raises; what went wrong is kept for SoundFailure. Does nothing while the
// device is open.
void InitSound(const std::string& ProgramFolder = {});

// InitSound at the first Play of either player, on the thread that plays, instead of now: a run that
// never plays a sound never opens the device (whose mixer holds some megabytes and two threads).
// Until then the players are silent and SoundFailure() is empty. Does nothing while the device is
// open; InitSound and CloseSound cancel it.
void DeferSound(const std::string& ProgramFolder = {});

// Silences every player (their sources and buffers are deleted while the device is still there), then
// releases the context and closes the device. The players themselves live on, silent, so a worker
// thread that still stops the rotation sound is safe. Harmless when no device is open.
void CloseSound();

// Why sounds are missing after the last InitSound (or the device's deferred opening), one line per failure
// ("Cannot open the audio device", or a player's failure text followed by ": " and the file name); empty when
// both sounds are ready.
std::string SoundFailure();

// The two players of the process. They exist from the first call to the end of the process and are
// silent until InitSound has set them up and again after CloseSound.
TSoundObject& RestartSound();
TSoundObject& RotationSound();
