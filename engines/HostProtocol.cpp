#include "engines/HostProtocol.h"

#include <algorithm>

namespace hostprotocol {

namespace {

constexpr std::size_t ConstructLength = 6;

// Reads what follows Bytes[At] as the kind's fields, one at a time.
struct TReader {
    std::string_view Bytes;
    std::size_t At = 0;
    std::string& Error;

    TParse Text(std::size_t Limit, std::vector<std::string>& Texts) {
        const std::size_t end = Bytes.find('\0', At);
        const std::size_t length = (end == std::string_view::npos ? Bytes.size() : end) - At;
        if (length > Limit) {
            Error = "a text longer than " + std::to_string(Limit) + " characters";
            return TParse::Bad;
        }
        if (end == std::string_view::npos) {
            return TParse::More; // the terminator is still to come
        }
        Texts.emplace_back(Bytes.substr(At, length));
        At = end + 1;
        return TParse::Done;
    }
    TParse Flag(bool& Value) {
        if (At >= Bytes.size()) {
            return TParse::More;
        }
        const char byte = Bytes[At++];
        if (byte != 0 && byte != 1) {
            Error = "a flag that is neither 0 nor 1";
            return TParse::Bad;
        }
        Value = byte == 1;
        return TParse::Done;
    }
    TParse Int(std::int32_t& Value) {
        if (Bytes.size() - At < 4) {
            return TParse::More;
        }
        Value = GetInt(Bytes.substr(At, 4));
        At += 4;
        return TParse::Done;
    }
};

char Tag(TReplyKind Kind) {
    switch (Kind) {
    case TReplyKind::Hello:
        return 'H';
    case TReplyKind::Info:
        return 'I';
    case TReplyKind::Support:
        return 'S';
    case TReplyKind::Construct:
        return 'C';
    case TReplyKind::Solve:
    case TReplyKind::Improve:
        return 'V';
    }
    return '?';
}

TParse Fields(TReplyKind Kind, TReader& In, TReply& Reply) {
    TParse step = TParse::Done;
    switch (Kind) {
    case TReplyKind::Hello:
        if ((step = In.Flag(Reply.HasConstruct)) != TParse::Done ||
            (step = In.Flag(Reply.HasSupport)) != TParse::Done) {
            return step;
        }
        return In.Flag(Reply.HasImprove);
    case TReplyKind::Info:
        for (const int size : InfoBufferSizes) {
            if ((step = In.Text(static_cast<std::size_t>(size - 1), Reply.Texts)) != TParse::Done) {
                return step;
            }
        }
        return TParse::Done;
    case TReplyKind::Support: {
        bool answer = false;
        step = In.Flag(answer);
        Reply.Number = answer ? 1 : 0;
        return step;
    }
    case TReplyKind::Construct:
        return In.Text(ConstructLength, Reply.Texts);
    case TReplyKind::Solve:
    case TReplyKind::Improve:
        if ((step = In.Int(Reply.Number)) != TParse::Done) {
            return step;
        }
        return In.Text(SolutionBufferSize - 1, Reply.Texts);
    }
    return TParse::Bad;
}

// A better answer: a count of moves that an answer within its buffer can have, and that answer.
TParse BetterFields(TReader& In, TReply& Reply) {
    Reply.Better = true;
    const TParse step = In.Int(Reply.Number);
    if (step != TParse::Done) {
        return step;
    }
    if (Reply.Number < 0 || Reply.Number > MaxAnswerMoves) {
        In.Error = "a better answer of " + std::to_string(Reply.Number) + " moves";
        return TParse::Bad;
    }
    return In.Text(SolutionBufferSize - 1, Reply.Texts);
}

std::string Cut(std::string_view Text, std::size_t Limit) {
    std::string text(Text.substr(0, std::min(Text.size(), Limit)));
    // A terminator inside would end the text early on the other side; it ends it here already.
    text.resize(std::min(text.size(), text.find('\0')));
    return text;
}

std::string WithText(std::string Bytes, std::string_view Text, std::size_t Limit) {
    Bytes += Cut(Text, Limit);
    Bytes += '\0';
    return Bytes;
}

} // namespace

TParse ParseFirstReply(TReplyKind Kind, std::string_view Bytes, TReply& Reply, std::string& Error,
                       std::size_t& Used) {
    Reply = TReply{};
    Error.clear();
    Used = 0;
    if (Bytes.empty()) {
        return TParse::More;
    }
    TReader in{Bytes, 1, Error};
    TParse result = TParse::Bad;
    if (Bytes[0] == 'B' && Kind == TReplyKind::Improve) {
        result = BetterFields(in, Reply);
    } else if (Bytes[0] == 'F' && Kind != TReplyKind::Hello) {
        Reply.Failed = true;
        result = TParse::Done;
    } else if (Bytes[0] == 'N' && Kind == TReplyKind::Hello) {
        Reply.Refused = true;
        result = in.Text(MaxReasonLength, Reply.Texts);
    } else if (Bytes[0] == Tag(Kind)) {
        result = Fields(Kind, in, Reply);
    } else {
        Error = "an unknown reply";
    }
    if (result == TParse::Done) {
        Used = in.At;
    } else {
        Reply = TReply{};
    }
    return result;
}

TParse ParseReply(TReplyKind Kind, std::string_view Bytes, TReply& Reply, std::string& Error) {
    std::size_t used = 0;
    TParse result = ParseFirstReply(Kind, Bytes, Reply, Error, used);
    if (result == TParse::Done && used != Bytes.size()) {
        Error = "bytes after the reply";
        Reply = TReply{};
        result = TParse::Bad;
    }
    return result;
}

void PutInt(std::string& Bytes, std::int32_t Value) {
    const auto bits = static_cast<std::uint32_t>(Value);
    for (int shift = 0; shift < 32; shift += 8) {
        Bytes += static_cast<char>((bits >> shift) & 0xFFu);
    }
}

std::int32_t GetInt(std::string_view Bytes) {
    std::uint32_t bits = 0;
    for (int k = 3; k >= 0; --k) {
        bits = (bits << 8) | static_cast<std::uint8_t>(Bytes[static_cast<std::size_t>(k)]);
    }
    return static_cast<std::int32_t>(bits);
}

std::string InfoRequest() {
    return "I";
}

std::string SupportRequest(std::int32_t N) {
    std::string bytes = "S";
    PutInt(bytes, N);
    return bytes;
}

std::string ConstructRequest() {
    return "C";
}

std::string SolveRequest(std::int32_t N, std::string_view Facelets) {
    std::string bytes = "V";
    PutInt(bytes, N);
    return WithText(std::move(bytes), Facelets, FaceletBufferSize - 1);
}

std::string ImproveRequest(std::int32_t N, std::int32_t MaxMilliseconds, std::string_view Facelets) {
    std::string bytes = "P";
    PutInt(bytes, N);
    PutInt(bytes, MaxMilliseconds);
    return WithText(std::move(bytes), Facelets, FaceletBufferSize - 1);
}

std::string StopRequest() {
    return "X";
}

std::string HelloReply(bool HasConstruct, bool HasSupport, bool HasImprove) {
    std::string bytes = "H";
    for (const bool exported : {HasConstruct, HasSupport, HasImprove}) {
        bytes += static_cast<char>(exported ? 1 : 0);
    }
    return bytes;
}

std::string RefusedReply(std::string_view Reason) {
    return WithText("N", Reason, MaxReasonLength);
}

std::string InfoReply(const std::array<std::string, 6>& Texts) {
    std::string bytes = "I";
    for (std::size_t k = 0; k < Texts.size(); ++k) {
        bytes = WithText(std::move(bytes), Texts[k], static_cast<std::size_t>(InfoBufferSizes[k] - 1));
    }
    return bytes;
}

std::string SupportReply(bool Answer) {
    std::string bytes = "S";
    bytes += static_cast<char>(Answer ? 1 : 0);
    return bytes;
}

std::string ConstructReply(std::string_view Order) {
    return WithText("C", Order, ConstructLength);
}

std::string SolveReply(std::int32_t Result, std::string_view Answer) {
    std::string bytes = "V";
    PutInt(bytes, Result);
    return WithText(std::move(bytes), Answer, SolutionBufferSize - 1);
}

std::string BetterReply(std::int32_t Moves, std::string_view Answer) {
    std::string bytes = "B";
    PutInt(bytes, Moves);
    return WithText(std::move(bytes), Answer, SolutionBufferSize - 1);
}

std::string FailedReply() {
    return "F";
}

} // namespace hostprotocol
