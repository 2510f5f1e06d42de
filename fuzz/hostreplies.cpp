// The program's reading of an engine host's replies, on any bytes: the host runs the engine's code and
// may send anything. A reply that reads as whole keeps every text within the buffer limits of its
// export, is read back the same from the bytes the host side would write for it, and each of its
// beginnings reads as "more to come"; once a beginning is refused, so is everything after it. Read as
// a stream (an improve's better answers, then its final one), the reply at the front reads as that
// reply alone would, and a stream reads the same whole or cut anywhere.
// Input: a first byte that picks the kind of reply awaited, then the bytes received.
#include "engines/HostProtocol.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using hostprotocol::TParse;
using hostprotocol::TReply;
using hostprotocol::TReplyKind;

std::string Written(TReplyKind Kind, const TReply& Reply) {
    if (Reply.Failed) {
        return hostprotocol::FailedReply();
    }
    switch (Kind) {
    case TReplyKind::Hello:
        return Reply.Refused
                   ? hostprotocol::RefusedReply(Reply.Texts.at(0))
                   : hostprotocol::HelloReply(Reply.HasConstruct, Reply.HasSupport, Reply.HasImprove);
    case TReplyKind::Info:
        return hostprotocol::InfoReply({Reply.Texts.at(0), Reply.Texts.at(1), Reply.Texts.at(2),
                                        Reply.Texts.at(3), Reply.Texts.at(4), Reply.Texts.at(5)});
    case TReplyKind::Support:
        return hostprotocol::SupportReply(Reply.Number != 0);
    case TReplyKind::Construct:
        return hostprotocol::ConstructReply(Reply.Texts.at(0));
    case TReplyKind::Solve:
        return hostprotocol::SolveReply(Reply.Number, Reply.Texts.at(0));
    case TReplyKind::Improve:
        return Reply.Better ? hostprotocol::BetterReply(Reply.Number, Reply.Texts.at(0))
                            : hostprotocol::SolveReply(Reply.Number, Reply.Texts.at(0));
    }
    return {};
}

std::size_t Limit(TReplyKind Kind, std::size_t Text) {
    switch (Kind) {
    case TReplyKind::Hello:
        return hostprotocol::MaxReasonLength;
    case TReplyKind::Info:
        return static_cast<std::size_t>(InfoBufferSizes.at(Text) - 1);
    case TReplyKind::Construct:
        return 6;
    default:
        return SolutionBufferSize - 1;
    }
}

// Checks one whole reply of Kind: its texts within their limits, its bytes those the host side writes.
void CheckWhole(TReplyKind Kind, const TReply& Reply, std::string_view Bytes) {
    for (std::size_t k = 0; k < Reply.Texts.size(); ++k) {
        if (Reply.Texts[k].size() > Limit(Kind, k) || Reply.Texts[k].find('\0') != std::string::npos) {
            __builtin_trap();
        }
    }
    if (Reply.Better &&
        (Kind != TReplyKind::Improve || Reply.Number < 0 || Reply.Number > hostprotocol::MaxAnswerMoves)) {
        __builtin_trap();
    }
    if (Written(Kind, Reply) != Bytes) {
        __builtin_trap();
    }
}

// Reads Bytes as a stream of replies, each at the front of what is left, as the program does: the
// replies read, then how the rest reads. Each reply read so equals that reply's bytes read alone.
std::pair<std::vector<TReply>, TParse> Stream(TReplyKind Kind, std::string_view Bytes) {
    std::vector<TReply> replies;
    for (;;) {
        TReply reply;
        std::string error;
        std::size_t used = 0;
        const TParse front = hostprotocol::ParseFirstReply(Kind, Bytes, reply, error, used);
        if (front != TParse::Done) {
            if (used != 0 || (front == TParse::Bad) == error.empty()) {
                __builtin_trap();
            }
            return {replies, front};
        }
        if (used == 0 || used > Bytes.size()) {
            __builtin_trap();
        }
        CheckWhole(Kind, reply, Bytes.substr(0, used));
        replies.push_back(reply);
        Bytes.remove_prefix(used);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 4096) {
        return 0;
    }
    const auto kind = static_cast<TReplyKind>(data[0] % 6);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    TReply reply;
    std::string error;
    const TParse whole = hostprotocol::ParseReply(kind, bytes, reply, error);
    if ((whole == TParse::Bad) == error.empty()) {
        __builtin_trap();
    }
    if (whole == TParse::Done) {
        CheckWhole(kind, reply, bytes);
    }
    // One whole reply is a stream of exactly that reply.
    const auto [replies, rest] = Stream(kind, bytes);
    if ((whole == TParse::Done) !=
        (replies.size() == 1 && rest == TParse::More && Written(kind, replies[0]) == bytes)) {
        __builtin_trap();
    }
    // Received a piece at a time, the same bytes must never be refused early nor taken as whole early.
    bool refused = false;
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        TReply part;
        const TParse prefix = hostprotocol::ParseReply(kind, bytes.substr(0, n), part, error);
        if ((prefix == TParse::Done && whole != TParse::Bad) || (refused && prefix != TParse::Bad) ||
            (prefix == TParse::Bad && whole != TParse::Bad)) {
            __builtin_trap();
        }
        refused = refused || prefix == TParse::Bad;
        // Cut anywhere, the stream has read no reply that the whole does not read, and no other.
        const auto [partReplies, partRest] = Stream(kind, bytes.substr(0, n));
        if (partReplies.size() > replies.size() || (partRest == TParse::Bad && rest != TParse::Bad)) {
            __builtin_trap();
        }
        for (std::size_t k = 0; k < partReplies.size(); ++k) {
            if (Written(kind, partReplies[k]) != Written(kind, replies[k])) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
