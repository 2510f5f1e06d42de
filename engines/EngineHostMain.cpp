// torvane-engine-host <library>: runs one solver engine library for the program, in a process of its
// own, so that the engine's crash or hang ends this process and nothing else. It answers the program's
// requests on descriptor 3 (engines/HostProtocol.h) until the program closes its end, and ends by
// itself when the program is gone. Exit status 1: the library is no engine; 2: wrong arguments.
#include "engines/EngineLibrary.h"
#include "engines/HostProtocol.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int Channel = 3;

void Send(const std::string& Bytes) {
    std::size_t sent = 0;
    while (sent < Bytes.size()) {
        const ssize_t n = write(Channel, Bytes.data() + sent, Bytes.size() - sent);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            _exit(0); // the program is gone
        }
        sent += static_cast<std::size_t>(n);
    }
}

// One byte of a request; the program closing its end ends the host.
char Next() {
    char byte = 0;
    for (;;) {
        const ssize_t n = read(Channel, &byte, 1);
        if (n == 1) {
            return byte;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        _exit(0);
    }
}

std::int32_t NextInt() {
    std::string bytes;
    for (int k = 0; k < 4; ++k) {
        bytes += Next();
    }
    return hostprotocol::GetInt(bytes);
}

// The facelet text of a request, cut to the buffer it goes into.
std::string NextFacelets() {
    std::string facelets;
    for (char letter = Next(); letter != '\0'; letter = Next()) {
        if (facelets.size() < FaceletBufferSize - 1) {
            facelets += letter;
        }
    }
    return facelets;
}

// Reads the program's requests while an improve runs, on a thread of its own: the engine has the
// calling thread, and a stop request must reach it through its flag. Ends when destroyed, before the
// final reply is sent, so that it never takes the next request's bytes; a stop request left unread
// then is ignored by the request loop.
class TStopReader {
public:
    explicit TStopReader(std::int32_t& flag) : Flag(flag) {
        if (pipe2(Quit, O_CLOEXEC) == 0) {
            Thread = std::thread([this] { Run(); });
        } // else the program kills the host when it does not stop in time
    }
    ~TStopReader() {
        if (Thread.joinable()) {
            const char quit = 'q';
            [[maybe_unused]] const ssize_t ignored = write(Quit[1], &quit, 1);
            Thread.join();
            close(Quit[0]);
            close(Quit[1]);
        }
    }
    TStopReader(const TStopReader&) = delete;
    TStopReader& operator=(const TStopReader&) = delete;

private:
    void Run() {
        for (;;) {
            pollfd fds[2] = {{Quit[0], POLLIN, 0}, {Channel, POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if (fds[0].revents != 0) {
                return;
            }
            char byte = 0;
            const ssize_t n = read(Channel, &byte, 1);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
            if (n <= 0) {
                _exit(0); // the program is gone
            }
            if (byte != 'X') {
                _exit(2); // nothing else may come while an improve runs
            }
            std::atomic_ref<std::int32_t>(Flag).store(1);
        }
    }

    std::int32_t& Flag;
    int Quit[2] = {-1, -1};
    std::thread Thread;
};

// Calls one export; an exception thrown through its C interface is the engine's failure, not ours.
template <typename Call>
std::string Reply(Call&& call) {
    try {
        return call();
    } catch (...) {
        return hostprotocol::FailedReply();
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || fcntl(Channel, F_GETFD) == -1) {
        return 2;
    }
    // A crash here is an expected answer, not worth a core file. It must reach the program as the
    // signal it is: a runtime's handler (a sanitizer's) would turn it into an ordinary exit.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    for (const int crash : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        std::signal(crash, SIG_DFL);
    }
    // An engine hanging in a call would keep this process for ever after the program ended; the
    // program's end shows as a new parent.
    const pid_t parent = getppid();
    std::thread([parent] {
        while (getppid() == parent) {
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        _exit(0);
    }).detach();

    EngineRec engine;
    std::string reason;
    if (OpenEngineLibrary(argv[1], engine, reason)) {
        if (engine.fnInfo == nullptr) {
            reason = "it does not export _fnRbkinfo";
        } else if (engine.fnSolve == nullptr) {
            reason = "it does not export _fnRbksolve";
        }
    }
    if (!reason.empty()) {
        Send(hostprotocol::RefusedReply(reason));
        _exit(1);
    }
    Send(hostprotocol::HelloReply(engine.fnConstruct != nullptr, engine.fnSupport != nullptr,
                                  engine.fnImprove != nullptr));
    for (;;) {
        switch (Next()) {
        case 'I':
            Send(Reply([&] { return hostprotocol::InfoReply(CallInfo(engine)); }));
            break;
        case 'S': {
            const std::int32_t n = NextInt();
            Send(Reply([&] {
                return hostprotocol::SupportReply(engine.fnSupport != nullptr && CallSupport(engine, n));
            }));
            break;
        }
        case 'C':
            Send(Reply([&] {
                return hostprotocol::ConstructReply(engine.fnConstruct != nullptr ? CallConstruct(engine)
                                                                                  : engine.ConstructString);
            }));
            break;
        case 'V': {
            const std::int32_t n = NextInt();
            const std::string facelets = NextFacelets();
            Send(Reply([&] {
                std::string answer;
                const std::int32_t result = CallSolve(engine, n, facelets, answer);
                return hostprotocol::SolveReply(result, answer);
            }));
            break;
        }
        case 'P': {
            const std::int32_t n = NextInt();
            const std::int32_t milliseconds = NextInt();
            const std::string facelets = NextFacelets();
            Send(Reply([&] {
                std::string answer;
                if (engine.fnImprove == nullptr) {
                    return hostprotocol::SolveReply(CallSolve(engine, n, facelets, answer), answer);
                }
                alignas(std::atomic_ref<std::int32_t>::required_alignment) std::int32_t stop = 0;
                std::int32_t result = 0;
                {
                    const TStopReader reader(stop);
                    result = CallImprove(
                        engine, n, facelets, milliseconds,
                        [](std::string better, std::int32_t moves) {
                            Send(hostprotocol::BetterReply(moves, better));
                        },
                        &stop, answer);
                }
                return hostprotocol::SolveReply(result, answer);
            }));
            break;
        }
        case 'X':
            break; // came after its improve had ended
        default:
            _exit(2); // not our program at the other end
        }
    }
}
