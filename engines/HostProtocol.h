#pragma once
// What the program and an engine's host process say to each other over their socket pair.
//
// Requests, program to host (the host trusts them):
//   'I'                              info
//   'S' int32 N                      support
//   'C'                              construct
//   'V' int32 N  facelets '\0'       solve (at most FaceletBufferSize - 1 letters)
//   'P' int32 N  int32 ms  facelets '\0'   improve for ms milliseconds (the hello said it is exported)
//   'X'                              stop improving (only while an improve runs; ignored after it)
// Replies, host to program (untrusted: the host runs the engine's code, which may have damaged it):
//   hello, once after start:  'H' construct support improve   (each one byte 0 or 1: whether it is
//                                                                exported)
//                         or  'N' reason '\0'          (the library is no engine; the host then ends)
//   info:       'I' name '\0' legal '\0' version '\0' contact '\0' web '\0' email '\0'
//   support:    'S' answer                             (one byte, 0 or 1)
//   construct:  'C' order '\0'                         (at most 6 letters)
//   solve:      'V' int32 result  answer '\0'
//   improve:    zero or more 'B' int32 moves  answer '\0'  (moves 0 to MaxAnswerMoves), then a solve
//               reply or 'F'
//   any call:   'F'                                    (the export threw through its C interface)
// Integers are 4 bytes, little-endian. Texts carry no terminator inside and keep the limits of the
// buffers the exports write into: at most the buffer's size less one character.

#include "engines/Engines.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace hostprotocol {

// Improve: one reply of an improve's stream, a better answer or the final one.
enum class TReplyKind { Hello, Info, Support, Construct, Solve, Improve };

struct TReply {
    bool Refused = false;      // hello: the library is no engine, Texts[0] says why
    bool Failed = false;       // the call threw
    bool HasConstruct = false; // hello
    bool HasSupport = false;   // hello
    bool HasImprove = false;   // hello
    bool Better = false;       // improve: a better answer, the final reply is still to come
    std::vector<std::string> Texts;
    std::int32_t Number = 0; // solve: the result; support: the answer; better: the moves
};

enum class TParse {
    More, // a reply so far, but not yet all of it
    Done, // exactly one whole reply
    Bad,  // not a reply of the kind asked for
};

// Reads Bytes, everything received for one request so far, as a reply of Kind.
TParse ParseReply(TReplyKind Kind, std::string_view Bytes, TReply& Reply, std::string& Error);
// The same for the reply at the front of Bytes, which may be followed by more; Used: its length.
TParse ParseFirstReply(TReplyKind Kind, std::string_view Bytes, TReply& Reply, std::string& Error,
                       std::size_t& Used);

// The longest reply of any kind, in bytes.
inline constexpr std::size_t MaxReplyBytes = 1 + 256 + 256 + 33 + 65 + 129 + 129;
inline constexpr std::size_t MaxReasonLength = 255;
// The most tokens an answer within its buffer can hold: one letter and a blank each.
inline constexpr std::int32_t MaxAnswerMoves = SolutionBufferSize / 2;

std::string InfoRequest();
std::string SupportRequest(std::int32_t N);
std::string ConstructRequest();
std::string SolveRequest(std::int32_t N, std::string_view Facelets);
std::string ImproveRequest(std::int32_t N, std::int32_t MaxMilliseconds, std::string_view Facelets);
std::string StopRequest();

// The host's side: replies with every text cut to its limit.
std::string HelloReply(bool HasConstruct, bool HasSupport, bool HasImprove);
std::string RefusedReply(std::string_view Reason);
std::string InfoReply(const std::array<std::string, 6>& Texts);
std::string SupportReply(bool Answer);
std::string ConstructReply(std::string_view Order);
std::string SolveReply(std::int32_t Result, std::string_view Answer);
std::string BetterReply(std::int32_t Moves, std::string_view Answer);
std::string FailedReply();

void PutInt(std::string& Bytes, std::int32_t Value);
std::int32_t GetInt(std::string_view Bytes);

} // namespace hostprotocol
