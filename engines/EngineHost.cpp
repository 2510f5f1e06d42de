#include "engines/EngineHost.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// The host's end of the socket pair is this descriptor in the host.
constexpr int HostChannel = 3;

// posix_spawn's two option records, released however the spawn ends.
struct TSpawnOptions {
    posix_spawn_file_actions_t Actions{};
    posix_spawnattr_t Attributes{};

    explicit TSpawnOptions(int ChildEnd) {
        posix_spawn_file_actions_init(&Actions);
        posix_spawn_file_actions_adddup2(&Actions, ChildEnd, HostChannel);
        // An engine that prints must not write into the replies: its standard output goes where the
        // program's errors go, and it reads nothing.
        posix_spawn_file_actions_addopen(&Actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&Actions, STDERR_FILENO, STDOUT_FILENO);
        posix_spawn_file_actions_addclosefrom_np(&Actions, HostChannel + 1);
        posix_spawnattr_init(&Attributes);
        // The calling thread may block or ignore signals (a UI toolkit's threads do); the host must not.
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&Attributes, &signals);
        sigfillset(&signals);
        posix_spawnattr_setsigdefault(&Attributes, &signals);
        posix_spawnattr_setflags(&Attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~TSpawnOptions() {
        posix_spawnattr_destroy(&Attributes);
        posix_spawn_file_actions_destroy(&Actions);
    }
    TSpawnOptions(const TSpawnOptions&) = delete;
    TSpawnOptions& operator=(const TSpawnOptions&) = delete;
};

// A descriptor that becomes readable when a stop is requested, so that poll wakes for it.
class TStopWake {
public:
    explicit TStopWake(const std::stop_token& Stop)
        : Fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), Callback(Stop, [this] {
              const std::uint64_t one = 1;
              [[maybe_unused]] const ssize_t ignored = write(Fd, &one, sizeof one);
          }) {}
    ~TStopWake() {
        if (Fd >= 0) {
            close(Fd);
        }
    }
    TStopWake(const TStopWake&) = delete;
    TStopWake& operator=(const TStopWake&) = delete;
    int Fd;

private:
    std::stop_callback<std::function<void()>> Callback;
};

} // namespace

TEngineHost::TEngineHost(std::string program, std::string library, std::vector<std::string> environment)
    : Program(std::move(program)), Library(std::move(library)), Environment(std::move(environment)) {}

TEngineHost::~TEngineHost() {
    Kill();
}

void TEngineHost::Kill() {
    if (Channel >= 0) {
        close(Channel);
        Channel = -1;
    }
    if (Child > 0) {
        kill(Child, SIGKILL); // still ours to kill: only we reap it
        while (waitpid(Child, nullptr, 0) == -1 && errno == EINTR) {
        }
        Child = -1;
    }
}

TEngineHost::TAnswer TEngineHost::Fail(std::string Failure) {
    Kill();
    TAnswer answer;
    answer.Failure = std::move(Failure);
    return answer;
}

// Why the host closed its end: it normally dies with it. A host that closed the channel but lives on
// is killed after a second.
std::string TEngineHost::EndReason() {
    int status = 0;
    for (int waited = 0; waited < 1000; ++waited) {
        const pid_t done = waitpid(Child, &status, WNOHANG);
        if (done == Child) {
            Child = -1;
            if (WIFSIGNALED(status)) {
                return "it crashed (signal " + std::to_string(WTERMSIG(status)) + ")";
            }
            return "it ended (status " + std::to_string(WEXITSTATUS(status)) + ")";
        }
        if (done == -1 && errno != EINTR) {
            break; // reaped by someone else: the reason is lost
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return "it stopped answering";
}

TEngineHost::TAnswer TEngineHost::Start(TDeadline Deadline, std::stop_token Stop) {
    if (Running()) {
        TAnswer answer;
        answer.Ok = true;
        return answer;
    }
    int ends[2] = {-1, -1};
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        TAnswer answer = Fail(std::string("the host cannot be started: ") + std::strerror(errno));
        answer.OurFault = true;
        return answer;
    }
    std::string program = Program;
    std::string library = Library;
    char* arguments[] = {program.data(), library.data(), nullptr};
    std::vector<std::string> variables = Environment;
    std::vector<char*> environment;
    for (std::string& variable : variables) {
        environment.push_back(variable.data());
    }
    environment.push_back(nullptr);
    int error = 0;
    {
        TSpawnOptions options(ends[1]);
        error = posix_spawn(&Child, program.c_str(), &options.Actions, &options.Attributes, arguments,
                            environment.data());
    }
    close(ends[1]);
    Channel = ends[0];
    if (error != 0) {
        Child = -1;
        TAnswer answer = Fail("the host program " + Program + " cannot be started: " + std::strerror(error));
        answer.OurFault = true;
        return answer;
    }
    TAnswer hello = Read(hostprotocol::TReplyKind::Hello, Deadline, Stop);
    if (hello.Ok && hello.Reply.Refused) {
        Kill(); // it ends by itself; nothing more is asked of it
    }
    return hello;
}

TEngineHost::TAnswer TEngineHost::Call(hostprotocol::TReplyKind Kind, const std::string& Request,
                                       TDeadline Deadline, std::stop_token Stop) {
    TAnswer sent = Send(Request, Deadline, Stop);
    return sent.Ok ? Read(Kind, Deadline, Stop) : sent;
}

TEngineHost::TAnswer TEngineHost::Improve(const std::string& Request, TDeadline Deadline,
                                          std::stop_token Stop, const TBetter& Better) {
    TAnswer sent = Send(Request, Deadline, Stop);
    return sent.Ok ? Read(hostprotocol::TReplyKind::Improve, Deadline, Stop, &Better) : sent;
}

TEngineHost::TAnswer TEngineHost::Send(const std::string& Request, TDeadline Deadline,
                                       const std::stop_token& Stop) {
    // A host that died while idle (a thread of the engine's own, say) is not this request's failure.
    if (Running() && waitpid(Child, nullptr, WNOHANG) == Child) {
        Child = -1;
        Kill();
    }
    if (!Running()) {
        TAnswer hello = Start(Deadline, Stop);
        if (!hello.Ok) {
            return hello;
        }
        if (hello.Reply.Refused) {
            return Fail("it is no engine any more: " + hello.Reply.Texts.front());
        }
    }
    // A socket, not a pipe: a send to a host that died fails with EPIPE instead of raising SIGPIPE.
    std::size_t sent = 0;
    while (sent < Request.size()) {
        const ssize_t n = send(Channel, Request.data() + sent, Request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Fail(EndReason());
        }
        sent += static_cast<std::size_t>(n);
    }
    TAnswer answer;
    answer.Ok = true;
    return answer;
}

TEngineHost::TAnswer TEngineHost::Read(hostprotocol::TReplyKind Kind, TDeadline Deadline,
                                       const std::stop_token& Stop, const TBetter* Better) {
    const TStopWake wake(Stop);
    std::string bytes;
    TAnswer answer;
    std::string error;
    bool stopping = false; // an improve asked to stop, awaiting its final reply
    for (;;) {
        std::size_t used = 0;
        switch (hostprotocol::ParseFirstReply(Kind, bytes, answer.Reply, error, used)) {
        case hostprotocol::TParse::Done:
            if (answer.Reply.Better) {
                bytes.erase(0, used);
                (*Better)(answer.Reply);
                continue;
            }
            if (used != bytes.size()) {
                return Fail("its reply was not understood (bytes after the reply)");
            }
            answer.Ok = true;
            answer.Stopped = stopping;
            return answer;
        case hostprotocol::TParse::Bad:
            return Fail("its reply was not understood (" + error + ")");
        case hostprotocol::TParse::More:
            break;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= Deadline) {
            TAnswer late = Fail(stopping ? "it did not stop when asked" : "it did not answer in time");
            late.TimedOut = true;
            late.Stopped = stopping;
            return late;
        }
        // Once stopping, the stop's descriptor stays readable and is left out of the wait.
        pollfd fds[2] = {{Channel, POLLIN, 0}, {wake.Fd, POLLIN, 0}};
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(Deadline - now).count();
        const int ready = poll(fds, stopping ? 1 : 2, static_cast<int>(std::min<long long>(wait, 60'000)));
        if (ready < 0 && errno != EINTR) {
            return Fail(std::string("it cannot be waited for: ") + std::strerror(errno));
        }
        if (!stopping && Stop.stop_requested()) {
            if (Better == nullptr) {
                TAnswer stopped = Fail("it was stopped");
                stopped.Stopped = true;
                return stopped;
            }
            const std::string request = hostprotocol::StopRequest();
            ssize_t n = -1;
            do {
                n = send(Channel, request.data(), request.size(), MSG_NOSIGNAL);
            } while (n < 0 && errno == EINTR);
            if (n != static_cast<ssize_t>(request.size())) {
                return Fail(EndReason());
            }
            stopping = true;
            Deadline = std::min(Deadline, std::chrono::steady_clock::now() + StopGrace);
            continue;
        }
        if (ready <= 0 || fds[0].revents == 0) {
            continue;
        }
        char chunk[4096];
        const ssize_t n = recv(Channel, chunk, sizeof chunk, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            std::string reason = EndReason();
            if (!bytes.empty()) {
                reason += " in the middle of its reply";
            }
            return Fail(std::move(reason));
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
}
