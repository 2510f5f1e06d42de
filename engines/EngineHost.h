#pragma once
// The program's side of one engine's host process: starting it, one request and its reply at a time,
// and killing it. Every posix_spawn, socket and wait of the engines lives here.
//
// Threads: an object is used by one thread at a time (the table hands it from solve to solve under
// its own guard). Every wait ends at its deadline or when its stop token is requested, whatever the
// host does.

#include "engines/HostProtocol.h"

#include <chrono>
#include <functional>
#include <stop_token>
#include <string>
#include <sys/types.h>
#include <vector>

class TEngineHost {
public:
    using TDeadline = std::chrono::steady_clock::time_point;

    struct TAnswer {
        bool Ok = false;
        hostprotocol::TReply Reply;
        std::string Failure;   // why there is no reply: "it crashed (signal 11)", ...
        bool Stopped = false;  // the stop token's doing: the failure, or the end of an improve
        bool TimedOut = false; // the deadline came first
        bool OurFault = false; // the host program itself could not be started
    };

    // The host is started with Environment ("NAME=value" texts), never the process's own, which
    // another thread may be changing.
    TEngineHost(std::string Program, std::string Library, std::vector<std::string> Environment);
    ~TEngineHost();
    TEngineHost(const TEngineHost&) = delete;
    TEngineHost& operator=(const TEngineHost&) = delete;

    // Starts the host unless it runs; the reply is its hello (which may say the library is no engine).
    TAnswer Start(TDeadline Deadline, std::stop_token Stop);
    // Sends Request and reads its reply, starting the host first when none runs. After any failure the
    // host is killed, so that the next call starts a fresh one.
    TAnswer Call(hostprotocol::TReplyKind Kind, const std::string& Request, TDeadline Deadline,
                 std::stop_token Stop);
    // An improve request: Better runs for each better reply, and the final reply is returned. A stop
    // sends the host a stop request and waits for the final reply until the deadline, or StopGrace
    // after the stop when that is earlier; a host that has not answered by then is killed.
    TAnswer Improve(const std::string& Request, TDeadline Deadline, std::stop_token Stop,
                    const std::function<void(const hostprotocol::TReply&)>& Better);
    bool Running() const { return Child > 0; }
    // The host process, or -1.
    pid_t Pid() const { return Child; }
    void Kill();

    static constexpr std::chrono::seconds StopGrace{1};

private:
    using TBetter = std::function<void(const hostprotocol::TReply&)>;
    // Makes sure a host runs and sends it Request; an answer that is not Ok ends the call.
    TAnswer Send(const std::string& Request, TDeadline Deadline, const std::stop_token& Stop);
    // Reads the reply of Kind; with Better, an improve's replies.
    TAnswer Read(hostprotocol::TReplyKind Kind, TDeadline Deadline, const std::stop_token& Stop,
                 const TBetter* Better = nullptr);
    TAnswer Fail(std::string Failure);
    std::string EndReason();

    std::string Program;
    std::string Library;
    std::vector<std::string> Environment;
    pid_t Child = -1;
    int Channel = -1; // our end of the socket pair
};
