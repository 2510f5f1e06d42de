#include "sound/Sound.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alut.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

namespace {

constexpr const char* GenerateFailure = "Cannot generate sound buffer";
constexpr const char* AssignFailure = "Cannot assign wave data to buffer";
constexpr const char* DeleteSourceFailure = "Cannot delete sound source";
constexpr const char* DeleteBufferFailure = "Cannot delete sound buffer";
constexpr const char* DeviceFailure = "Cannot open the audio device";

// The highest sample rate we take from a file; anything above is a broken header, not a sound.
constexpr float MaxFrequency = 768000.0f;
// A game sound is a few seconds long. Anything far bigger in a sound's place is not ours, and ALUT
// would read all of it into memory.
constexpr std::uintmax_t MaxFileBytes = 64u << 20;

struct TSoundService {
    std::mutex Lock;
    bool Open = false;
    std::string Failure;
    // Every live player, so that CloseSound can delete their sources and buffers while the context
    // still exists. Otherwise a player that outlives the device would later delete, by name, objects
    // of the next device.
    std::vector<TSoundObject*> Players;
    // The program folder, while the device waits for the first Play (DeferSound).
    std::optional<std::string> Deferred;
};

TSoundService& Service() {
    static TSoundService service;
    return service;
}

// OpenAL keeps the first error until it is read: read it before a checked call, so that the check is
// about that call and not about an unchecked one before it.
void ClearALError() {
    alGetError();
}

// Owns one OpenAL object name: a buffer or a source.
template <auto GenerateNames, auto DeleteNames>
class TALObject {
public:
    TALObject() = default;
    ~TALObject() { Release(); }
    TALObject(const TALObject&) = delete;
    TALObject& operator=(const TALObject&) = delete;

    bool Generate() {
        ClearALError();
        GenerateNames(1, &Name);
        if (alGetError() != AL_NO_ERROR) {
            Name = 0;
            return false;
        }
        return true;
    }

    // False when OpenAL reports an error. The name is forgotten either way: we could not use it again.
    bool Release() {
        if (Name == 0) {
            return true;
        }
        ClearALError();
        DeleteNames(1, &Name);
        Name = 0;
        return alGetError() == AL_NO_ERROR;
    }

    ALuint Get() const { return Name; }

private:
    ALuint Name = 0;
};

using TALBuffer = TALObject<alGenBuffers, alDeleteBuffers>;
using TALSource = TALObject<alGenSources, alDeleteSources>;

// ALUT hands out the samples in memory of the C heap.
struct TFreeSamples {
    void operator()(void* Samples) const { std::free(Samples); }
};

bool IsPlainPcm(ALenum Format) {
    return Format == AL_FORMAT_MONO8 || Format == AL_FORMAT_MONO16 || Format == AL_FORMAT_STEREO8 ||
           Format == AL_FORMAT_STEREO16;
}

void AddFailure(std::string& Failure, const std::string& Line) {
    if (!Failure.empty()) {
        Failure += '\n';
    }
    Failure += Line;
}

} // namespace

struct TSoundObject::TVoice {
    // Declared first, so that the source, which plays it, is deleted before it.
    TALBuffer Buffer;
    TALSource Source;
};

std::unique_ptr<TSoundObject::TVoice> TSoundObject::GenerateVoice() {
    if (!Service().Open) {
        throw ESoundError(GenerateFailure);
    }
    auto voice = std::make_unique<TVoice>();
    // A buffer made before a source fails is deleted with the voice.
    if (!voice->Buffer.Generate() || !voice->Source.Generate()) {
        throw ESoundError(GenerateFailure);
    }
    return voice;
}

TSoundObject::TSoundObject() {
    TSoundService& service = Service();
    std::lock_guard lock(service.Lock);
    Voice = GenerateVoice();
    service.Players.push_back(this);
}

TSoundObject::TSoundObject(TSilent) {
    TSoundService& service = Service();
    std::lock_guard lock(service.Lock);
    service.Players.push_back(this);
}

TSoundObject::~TSoundObject() {
    TSoundService& service = Service();
    std::lock_guard lock(service.Lock);
    ReleaseVoiceLocked();
    std::erase(service.Players, this);
}

void TSoundObject::LoadFromFile(const std::string& FileName) {
    std::lock_guard lock(Service().Lock);
    LoadLocked(FileName);
}

void TSoundObject::LoadLocked(const std::string& FileName) {
    if (!Voice) {
        throw ESoundError(AssignFailure);
    }
    // Only plain files: ALUT would wait forever on a named pipe and never finish a device file.
    std::error_code error;
    const std::filesystem::path path(FileName);
    if (!std::filesystem::is_regular_file(path, error) ||
        std::filesystem::file_size(path, error) > MaxFileBytes || error) {
        throw ESoundError(AssignFailure);
    }
    ALenum format = AL_NONE;
    ALsizei size = 0;
    ALfloat frequency = 0.0f;
    // ALUT refuses to work while OpenAL holds an unread error from an earlier, unchecked call.
    ClearALError();
    const std::unique_ptr<void, TFreeSamples> samples(
        alutLoadMemoryFromFile(FileName.c_str(), &format, &size, &frequency));
    if (!samples) {
        alutGetError(); // read, so that ALUT's next error is its own
        throw ESoundError(AssignFailure);
    }
    if (!IsPlainPcm(format) || size < 0 || !(frequency >= 1.0f && frequency <= MaxFrequency)) {
        throw ESoundError(AssignFailure);
    }
    const ALuint source = Voice->Source.Get();
    const ALuint buffer = Voice->Buffer.Get();
    // OpenAL refuses new data for a buffer that a source holds: let go of it for the moment.
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, AL_NONE);
    ClearALError();
    alBufferData(buffer, format, samples.get(), size, static_cast<ALsizei>(std::lround(frequency)));
    const bool assigned = alGetError() == AL_NO_ERROR;
    // A refused file leaves the buffer as it was, so the sound loaded before plays on.
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    if (!assigned) {
        throw ESoundError(AssignFailure);
    }
    Looping = false;
}

void TSoundObject::Update() {
    std::lock_guard lock(Service().Lock);
    UpdateLocked();
}

void TSoundObject::UpdateLocked() {
    if (!Voice) {
        return;
    }
    const ALuint source = Voice->Source.Get();
    alSourcef(source, AL_PITCH, Pitch);
    alSourcef(source, AL_GAIN, Gain);
    alSourcefv(source, AL_POSITION, Position.data());
    alSourcefv(source, AL_VELOCITY, Velocity.data());
    alSourcei(source, AL_LOOPING, Looping ? AL_TRUE : AL_FALSE);
}

void TSoundObject::Play() {
    TSoundService& service = Service();
    std::lock_guard lock(service.Lock);
    if (!service.Open && service.Deferred) {
        const std::string folder = *service.Deferred; // the opening forgets it
        OpenDeviceLocked(folder);
    }
    if (Voice) {
        alSourcePlay(Voice->Source.Get());
        UpdateLocked();
    }
    IsPlaying = true;
}

void TSoundObject::Stop() {
    std::lock_guard lock(Service().Lock);
    IsPlaying = false;
    if (Voice) {
        alSourceStop(Voice->Source.Get());
    }
}

bool TSoundObject::Playing() const {
    std::lock_guard lock(Service().Lock);
    return IsPlaying;
}

void TSoundObject::Destroy() {
    std::lock_guard lock(Service().Lock);
    if (const char* failure = ReleaseVoiceLocked()) {
        throw ESoundError(failure);
    }
}

const char* TSoundObject::ReleaseVoiceLocked() {
    IsPlaying = false;
    if (!Voice) {
        return nullptr;
    }
    // The player is silent from here on, whatever OpenAL answers.
    const std::unique_ptr<TVoice> voice = std::move(Voice);
    alSourceStop(voice->Source.Get());
    if (!voice->Source.Release()) {
        return DeleteSourceFailure;
    }
    if (!voice->Buffer.Release()) {
        return DeleteBufferFailure;
    }
    return nullptr;
}

TSourceInfo TSoundObject::Inspect() const {
    std::lock_guard lock(Service().Lock);
    TSourceInfo info;
    if (!Voice) {
        return info;
    }
    const ALuint source = Voice->Source.Get();
    const ALuint buffer = Voice->Buffer.Get();
    info.Audible = true;
    ALint value = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &value);
    info.Sounding = value == AL_PLAYING;
    alGetSourcei(source, AL_BUFFER, &value);
    info.BufferAttached = static_cast<ALuint>(value) == buffer;
    alGetSourcei(source, AL_LOOPING, &value);
    info.Looping = value == AL_TRUE;
    alGetSourcei(source, AL_SAMPLE_OFFSET, &info.Offset);
    alGetSourcef(source, AL_PITCH, &info.Pitch);
    alGetSourcef(source, AL_GAIN, &info.Gain);
    alGetSourcefv(source, AL_POSITION, info.Position.data());
    alGetSourcefv(source, AL_VELOCITY, info.Velocity.data());
    alGetBufferi(buffer, AL_FREQUENCY, &info.Frequency);
    alGetBufferi(buffer, AL_CHANNELS, &info.Channels);
    alGetBufferi(buffer, AL_BITS, &info.Bits);
    alGetBufferi(buffer, AL_SIZE, &info.Bytes);
    return info;
}

// The current folder's file if there is one, else the program folder's; else the name as given, so
// that the failure names it.
static std::string SoundPath(const char* FileName, const std::string& ProgramFolder) {
    std::error_code error;
    if (std::filesystem::is_regular_file(FileName, error) || ProgramFolder.empty()) {
        return FileName;
    }
    const std::filesystem::path beside = std::filesystem::path(ProgramFolder) / FileName;
    return std::filesystem::is_regular_file(beside, error) ? beside.string() : std::string(FileName);
}

// Opens the device and sets up the two players. Under the lock, with both players constructed.
void TSoundObject::OpenDeviceLocked(const std::string& ProgramFolder) {
    TSoundService& service = Service();
    TSoundObject& restart = RestartSound();
    TSoundObject& rotation = RotationSound();
    service.Deferred.reset();
    service.Failure.clear();
    // The default device; ALUT creates a context on it and makes it current.
    if (alutInit(nullptr, nullptr) != AL_TRUE) {
        alutGetError();
        service.Failure = DeviceFailure;
        return;
    }
    service.Open = true;

    struct TSetUp {
        TSoundObject& Player;
        const char* FileName;
        bool Looping;
    };
    const TSetUp setUps[] = {{restart, RestartSoundFile, false}, {rotation, RotationSoundFile, true}};
    for (const TSetUp& setUp : setUps) {
        TSoundObject& player = setUp.Player;
        try {
            player.Voice = TSoundObject::GenerateVoice();
            player.LoadLocked(SoundPath(setUp.FileName, ProgramFolder));
            player.Looping = setUp.Looping;
            player.UpdateLocked();
        } catch (const ESoundError& e) {
            player.ReleaseVoiceLocked();
            player.Looping = setUp.Looping;
            AddFailure(service.Failure, std::string(e.what()) + ": " + setUp.FileName);
        }
    }
}

void InitSound(const std::string& ProgramFolder) {
    // Before the lock: the first call constructs the player, which registers itself under the lock.
    RestartSound();
    RotationSound();
    TSoundService& service = Service();
    std::lock_guard lock(service.Lock);
    if (!service.Open) {
        TSoundObject::OpenDeviceLocked(ProgramFolder);
    }
}

void DeferSound(const std::string& ProgramFolder) {
    RestartSound();
    RotationSound();
    TSoundService& service = Service();
    std::lock_guard lock(service.Lock);
    if (!service.Open) {
        service.Failure.clear();
        service.Deferred = ProgramFolder;
    }
}

void CloseSound() {
    TSoundService& service = Service();
    std::lock_guard lock(service.Lock);
    service.Deferred.reset();
    if (!service.Open) {
        return;
    }
    for (TSoundObject* player : service.Players) {
        player->ReleaseVoiceLocked();
    }
    // Makes no context current, destroys the context and closes the device.
    alutExit();
    service.Open = false;
}

std::string SoundFailure() {
    TSoundService& service = Service();
    std::lock_guard lock(service.Lock);
    return service.Failure;
}

TSoundObject& RestartSound() {
    static TSoundObject player{TSoundObject::TSilent{}};
    return player;
}

TSoundObject& RotationSound() {
    static TSoundObject player{TSoundObject::TSilent{}};
    return player;
}
