// The program's reading of an engine host's replies, on any bytes: the host runs the engine's code and
// may send anything. A reply that reads as whole keeps every text within the buffer limits of its
// export, is read back the same from the bytes the host side would write for it, and each of its
// beginnings reads as "more to come"; once a beginning is refused, so is everything after it.
// Input: a first byte that picks the kind of reply awaited, then the bytes received.
#include "engines/HostProtocol.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
        return Reply.Refused ? hostprotocol::RefusedReply(Reply.Texts.at(0))
                             : hostprotocol::HelloReply(Reply.HasConstruct, Reply.HasSupport);
    case TReplyKind::Info:
        return hostprotocol::InfoReply({Reply.Texts.at(0), Reply.Texts.at(1), Reply.Texts.at(2),
                                        Reply.Texts.at(3), Reply.Texts.at(4), Reply.Texts.at(5)});
    case TReplyKind::Support:
        return hostprotocol::SupportReply(Reply.Number != 0);
    case TReplyKind::Construct:
        return hostprotocol::ConstructReply(Reply.Texts.at(0));
    case TReplyKind::Solve:
        return hostprotocol::SolveReply(Reply.Number, Reply.Texts.at(0));
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 4096) {
        return 0;
    }
    const auto kind = static_cast<TReplyKind>(data[0] % 5);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    TReply reply;
    std::string error;
    const TParse whole = hostprotocol::ParseReply(kind, bytes, reply, error);
    if ((whole == TParse::Bad) == error.empty()) {
        __builtin_trap();
    }
    if (whole == TParse::Done) {
        for (std::size_t k = 0; k < reply.Texts.size(); ++k) {
            if (reply.Texts[k].size() > Limit(kind, k) || reply.Texts[k].find('\0') != std::string::npos) {
                __builtin_trap();
            }
        }
        if (Written(kind, reply) != bytes) {
            __builtin_trap();
        }
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
    }
    return 0;
}
