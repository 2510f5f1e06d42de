#include "engines/Probe.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// posix_spawn's two option records, released however the spawn ends.
struct TSpawnOptions {
    posix_spawn_file_actions_t Actions{};
    posix_spawnattr_t Attributes{};

    TSpawnOptions() {
        posix_spawn_file_actions_init(&Actions);
        // Only the three standard descriptors reach the helper; it reads nothing.
        posix_spawn_file_actions_addopen(&Actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addclosefrom_np(&Actions, STDERR_FILENO + 1);
        posix_spawnattr_init(&Attributes);
        // The calling thread may block signals (a UI toolkit's threads do); the helper must not.
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&Attributes, &none);
        posix_spawnattr_setflags(&Attributes, POSIX_SPAWN_SETSIGMASK);
    }
    ~TSpawnOptions() {
        posix_spawnattr_destroy(&Attributes);
        posix_spawn_file_actions_destroy(&Actions);
    }
    TSpawnOptions(const TSpawnOptions&) = delete;
    TSpawnOptions& operator=(const TSpawnOptions&) = delete;
};

} // namespace

TProbeVerdict RunEngineProbe(const std::string& Probe, const std::string& Library,
                             std::chrono::milliseconds TimeLimit) {
    std::string program = Probe;
    std::string library = Library;
    char* arguments[] = {program.data(), library.data(), nullptr};
    pid_t child = 0;
    {
        TSpawnOptions options;
        if (posix_spawn(&child, program.c_str(), &options.Actions, &options.Attributes, arguments, environ) !=
            0) {
            return TProbeVerdict::NotRun; // no helper, or not runnable
        }
    }
    // Polled, not waited for with a signal: the program's other threads and libraries own SIGCHLD.
    // A millisecond between looks is nothing beside the helper's own start.
    const auto deadline = std::chrono::steady_clock::now() + TimeLimit;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            break;
        }
        if (done == -1 && errno != EINTR) {
            // Reaped by someone else (SIGCHLD ignored): its exit status is lost.
            kill(child, SIGKILL);
            return TProbeVerdict::NotRun;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGKILL); // still ours to kill: it is not reaped yet
            while (waitpid(child, &status, 0) == -1 && errno == EINTR) {
            }
            return TProbeVerdict::Failed;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? TProbeVerdict::Passed : TProbeVerdict::Failed;
}
