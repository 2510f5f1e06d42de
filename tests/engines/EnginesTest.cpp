#include "engines/Engines.h"

#include "EngineTableTest.h"
#include "engines/HostProtocol.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using testsupport::CleanCube;
using testsupport::EngineFile;
using namespace std::chrono_literals;
using namespace std::string_literals;

using testsupport::ProgramDir;

class EnginesTest : public testsupport::EngineTableTest {
protected:
    TSolveResult Solve(TEngineId id, const TRubikCube& cube, std::vector<std::string>& list) {
        return Table.Solve(id, cube, list, std::chrono::steady_clock::now() + 10s);
    }
};

// Texts without a terminator end at their buffer's last byte.
TEST_F(EnginesTest, TextsFillingTheirBuffersAreCutAtTheirEnds) {
    const TEngineId id = Add("fillinfo_engine");
    EXPECT_EQ(Table.Find(id)->EngineName, std::string(255, 'N'));
    EXPECT_EQ(Table.Find(id)->EMail, std::string(128, 'E'));
}

TEST_F(EnginesTest, FilesThatAreNoEngineAreRefusedWithTheirReason) {
    Add("good_engine");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"missing_engine", "there is no such file"},
        {"nosolve_engine", "it is no engine: it does not export _fnRbksolve"},
        {"noinfo_engine", "it is no engine: it does not export _fnRbkinfo"},
        {"crashinfo_engine", "it crashed (signal 11) on trial"},
        {"crashsupport_engine", "it crashed (signal 11) on trial"},
        {"crashconstruct_engine", "it crashed (signal 11) on trial"},
        {"crashsolve_engine", "it crashed (signal 11) on trial"},
        {"hang_engine", "it did not answer within 3 s on trial"},
    };
    for (const auto& [name, reason] : cases) {
        std::string said;
        EXPECT_EQ(Table.Add(EngineFile(name), ProgramDir, &said), TEngineId::None) << name;
        EXPECT_EQ(said, reason) << name;
    }
    EXPECT_EQ(Table.Count(), 1);
    std::string said;
    EXPECT_EQ(Table.Add(EngineFile("good_engine"), Cache.Name("no-host-here"), &said), TEngineId::None);
    EXPECT_NE(said.find("cannot be started"), std::string::npos) << said;
}

// A refused library is not tried again until it changes; the host's failing is never held against it.
TEST_F(EnginesTest, RefusalsAreRememberedUntilTheLibraryChanges) {
    const std::string copy = Cache.Name("crash.so");
    std::filesystem::copy_file(EngineFile("crashsolve_engine"), copy);
    const int before = testsupport::SolveCalls("crashsolve_engine");
    std::string said;
    ASSERT_EQ(Table.Add(copy, ProgramDir, &said), TEngineId::None);
    EXPECT_EQ(said, "it crashed (signal 11) on trial");
    EXPECT_EQ(Table.Add(copy, ProgramDir, &said), TEngineId::None);
    EXPECT_EQ(said, "it crashed (signal 11) on trial (remembered from an earlier start)");
    EXPECT_EQ(testsupport::SolveCalls("crashsolve_engine"), before + 1) << "tried a second time";

    std::filesystem::last_write_time(copy, std::filesystem::last_write_time(copy) + 1s);
    EXPECT_EQ(Table.Add(copy, ProgramDir, &said), TEngineId::None);
    EXPECT_EQ(said, "it crashed (signal 11) on trial");

    EXPECT_EQ(Table.Add(EngineFile("good_engine"), Cache.Name("no-host-here")), TEngineId::None);
    EXPECT_NE(Table.Add(EngineFile("good_engine"), ProgramDir), TEngineId::None);
}

// A game keeps the engine it chose, or finds none: a removal never hands it another engine.
TEST_F(EnginesTest, IdsStayWithTheirEnginesAndAreNeverReused) {
    const TEngineId good = Add("good_engine");
    const TEngineId both = Add("both_engine");
    EXPECT_EQ(Table.Ids(), (std::vector<TEngineId>{good, both}));
    ASSERT_TRUE(Table.Remove(good));
    EXPECT_FALSE(Table.Remove(good));
    const TEngineId again = Add("good_engine");
    EXPECT_NE(again, good);
    EXPECT_EQ(Table.Ids(), (std::vector<TEngineId>{both, again}));
    std::vector<std::string> list = {"kept"};
    EXPECT_EQ(Solve(good, CleanCube(), list), TSolveResult::NoEngine);
    EXPECT_EQ(Table.Find(TEngineId::First)->EngineName, "Both Sizes");
    EXPECT_EQ(list, std::vector<std::string>{"kept"});
}

TEST_F(EnginesTest, AnswersAreSplitIntoTokens) {
    const TEngineId good = Add("good_engine");
    const TEngineId fill = Add("fillanswer_engine");
    std::vector<std::string> list = {"old"};
    EXPECT_EQ(Solve(good, CleanCube(), list), TSolveResult::Solved);
    EXPECT_EQ(list, (std::vector<std::string>{"R", "U", "Ri", "Ui"}));
    // 1024 characters "R R ... R " without a terminator are read; the 1025th byte is the terminator's place.
    EXPECT_EQ(Solve(fill, CleanCube(), list), TSolveResult::Solved);
    EXPECT_EQ(list, std::vector<std::string>(512, "R"));
}

// Each engine is handed the model's facelet text in the face order it asked for.
TEST_F(EnginesTest, TheCubeIsWrittenInTheEnginesFaceOrder) {
    const TRubikCube cube = CleanCube("U");
    for (const auto& [engine, order] :
         {std::pair("good_engine"s, "ufrbld"), std::pair("both_engine"s, "dlbrfu")}) {
        std::vector<std::string> list;
        ASSERT_EQ(Solve(Add(engine), cube, list), TSolveResult::Solved);
        // The engine writes the text of its last solve to a file of its own.
        EXPECT_EQ(testsupport::ReadFile(testsupport::EngineState.Name(engine + ".facelets")),
                  *cube.CubeString(order));
    }
}

// "Not valid" from an engine is believed only where the model agrees, on either size. An engine that
// names no faces in its face order cannot be handed the cube: it is its fault. None changes the list.
TEST_F(EnginesTest, ANegativeAnswerForAPossibleCubeIsTheEnginesFailure) {
    const TEngineId negative = Add("negative_engine");
    const TEngineId thrower = Add("throw_engine");
    const TEngineId upper = Add("upper_engine");
    TRubikCube turned = CleanCube("R U Fi");
    TRubikCube flipped = CleanCube();
    std::swap(flipped.GetState().Cubies[0][7].Color, flipped.GetState().Cubies[1][1].Color);
    TRubikCube small = CleanCube("", 0);
    TRubikCube mirrored = CleanCube("", 0);
    std::swap(mirrored.GetState().Cubies[0][0].Color, mirrored.GetState().Cubies[4][0].Color); // U-L-B
    const std::vector<std::tuple<TEngineId, TRubikCube*, TSolveResult>> cases = {
        {negative, &turned, TSolveResult::EngineFailed}, {negative, &flipped, TSolveResult::Invalid},
        {negative, &small, TSolveResult::EngineFailed},  {negative, &mirrored, TSolveResult::Invalid},
        {thrower, &turned, TSolveResult::EngineFailed},  {upper, &turned, TSolveResult::EngineFailed},
    };
    for (const auto& [engine, cube, result] : cases) {
        std::vector<std::string> list = {"kept"};
        EXPECT_EQ(Solve(engine, *cube, list), result) << static_cast<int>(engine) << " " << cube->Size;
        EXPECT_EQ(list, std::vector<std::string>{"kept"});
    }
}

// The program's reading of what a host sends, whatever it sends; what it makes of good replies, and of
// an improve's replies one after the other, is the tests' of real hosts.
TEST(HostRepliesTest, BadRepliesAreRefusedAndShortOnesAwaitTheirRest) {
    using hostprotocol::TParse;
    using hostprotocol::TReplyKind;
    const std::string zero(1, '\0');
    std::string six = "I";
    for (const int size : InfoBufferSizes) {
        six += std::string(static_cast<std::size_t>(size - 1), 'x') + zero;
    }
    const std::tuple<TReplyKind, std::string, TParse, std::string> rows[] = {
        {TReplyKind::Hello, "", TParse::More, ""},
        {TReplyKind::Hello, "H\1\0\1"s, TParse::Done, ""},
        {TReplyKind::Hello, "H\1\2", TParse::Bad, "a flag that is neither 0 nor 1"},
        {TReplyKind::Hello, "Nno engine" + zero, TParse::Done, ""},
        {TReplyKind::Hello, "N" + std::string(256, 'r'), TParse::Bad, "a text longer than 255 characters"},
        {TReplyKind::Info, six, TParse::Done, ""},
        {TReplyKind::Info, six.substr(0, six.size() - 1), TParse::More, ""},
        {TReplyKind::Info, "I" + std::string(256, 'N'), TParse::Bad, "a text longer than 255 characters"},
        {TReplyKind::Info, six + "x", TParse::Bad, "bytes after the reply"},
        {TReplyKind::Support, "S1", TParse::Bad, "a flag that is neither 0 nor 1"},
        {TReplyKind::Construct, "Cufrbld" + zero, TParse::Done, ""},
        {TReplyKind::Construct, "Cufrbldu", TParse::Bad, "a text longer than 6 characters"},
        {TReplyKind::Solve, "V\3\0\0\0R U\0"s, TParse::Done, ""},
        {TReplyKind::Solve, "V\0\0\0\0"s + std::string(1024, 'R'), TParse::More, ""},
        {TReplyKind::Solve, "V\0\0\0\0"s + std::string(1025, 'R'), TParse::Bad,
         "a text longer than 1024 characters"},
        {TReplyKind::Solve, "F", TParse::Done, ""},
        {TReplyKind::Solve, "Fx", TParse::Bad, "bytes after the reply"},
        {TReplyKind::Solve, "Cufrbld" + zero, TParse::Bad, "an unknown reply"},
        {TReplyKind::Solve, "\xff\xfe garbage", TParse::Bad, "an unknown reply"},
        {TReplyKind::Solve, "B\1\0\0\0R\0"s, TParse::Bad, "an unknown reply"},
        {TReplyKind::Improve, "B\2\0\0\0R U\0"s, TParse::Done, ""},
        {TReplyKind::Improve, "B\xff\xff\xff\xffR\0"s, TParse::Bad, "a better answer of -1 moves"},
        {TReplyKind::Improve, "B\1\2\0\0"s, TParse::Bad, "a better answer of 513 moves"},
        {TReplyKind::Improve, "B\1\0\0\0"s + std::string(1025, 'R'), TParse::Bad,
         "a text longer than 1024 characters"},
        {TReplyKind::Improve, "B\1\0\0\0R\0V"s, TParse::Bad, "bytes after the reply"},
    };
    for (const auto& [kind, bytes, parse, expected] : rows) {
        hostprotocol::TReply reply;
        std::string error;
        EXPECT_EQ(hostprotocol::ParseReply(kind, bytes, reply, error), parse) << bytes;
        EXPECT_EQ(error, expected) << bytes;
    }
}

// Bad replies reach the program through a real host: a script standing in for the host program.
TEST_F(EnginesTest, AHostThatAnswersNonsenseIsRefused) {
    // Each says hello (both optional exports there), waits for the program's first request and answers
    // it so, from the host program's place in a folder of its own.
    const std::vector<std::pair<std::string, std::string>> hosts = {
        {"printf Zgarbage >&3; exec sleep 10", "its reply was not understood (an unknown reply) on trial"},
        {"printf INam >&3", "it ended (status 0) in the middle of its reply on trial"},
        {"printf I >&3; head -c 300 /dev/zero | tr '\\000' N >&3; exec sleep 10",
         "its reply was not understood (a text longer than 255 characters) on trial"},
    };
    const std::string hello = "#!/bin/sh\nprintf 'H\\001\\001\\000' >&3; head -c 1 <&3 >/dev/null; ";
    for (const auto& [script, reason] : hosts) {
        testsupport::TTempFolder folder;
        Table.SetVerdictFile({});
        std::string said;
        const std::string host = folder.Write(EngineHostName, hello + script + "\n");
        std::filesystem::permissions(host, std::filesystem::perms::owner_all);
        EXPECT_EQ(Table.Add(EngineFile("good_engine"), folder.Path().string(), &said), TEngineId::None);
        EXPECT_EQ(said, reason) << script;
    }
}

// An improve's answers, shorter each time, the first included: the list keeps the last. A stop asks the
// engine to end its search and keeps its host; one that does not stop in time is killed.
TEST_F(EnginesTest, AnImproveReportsShorterAnswersUntilItEnds) {
    // The engine, its search (the first answer's moves and the milliseconds between answers), the
    // answer to stop after, the result, the answers' lengths (or the first of them when stopped), and
    // whether the host is kept.
    using TRow =
        std::tuple<std::string, std::string, std::size_t, TSolveResult, std::vector<std::size_t>, bool>;
    const TRow rows[] = {
        {"improve_engine", "4 1", 0, TSolveResult::Solved, {4, 3, 2, 1}, true},
        {"good_engine", "", 0, TSolveResult::Solved, {4}, true},
        {"improve_engine", "300 50", 2, TSolveResult::Solved, {300, 299}, true},
        {"stubborn_engine", "300 50", 2, TSolveResult::EngineFailed, {300, 299}, false},
    };
    for (const auto& [engine, search, stopAfter, result, lengths, sameHost] : rows) {
        SCOPED_TRACE(engine + " " + search);
        testsupport::EngineState.Write(engine + ".improve", search);
        const TEngineId id = Add(engine);
        std::stop_source stop;
        std::vector<std::size_t> moves;
        std::vector<std::string> list, last;
        const auto better = [&](std::vector<std::string> answer) {
            moves.push_back(answer.size());
            last = std::move(answer);
            if (moves.size() == stopAfter) {
                stop.request_stop();
            }
        };
        EXPECT_EQ(Table.Improve(id, CleanCube("R U"), 30s, better, list, stop.get_token(), nullptr, 5s),
                  result);
        // Stopped: the answers before the stop, and at most the one that was on its way (unless killed).
        const std::size_t kept = stopAfter == 0 ? moves.size() : lengths.size();
        ASSERT_GE(moves.size(), kept);
        EXPECT_EQ(std::vector<std::size_t>(moves.begin(), moves.begin() + static_cast<std::ptrdiff_t>(kept)),
                  lengths);
        EXPECT_TRUE(!sameHost || stopAfter == 0 || moves.size() <= stopAfter + 1);
        EXPECT_EQ(list, result == TSolveResult::Solved ? last : std::vector<std::string>{});
        const std::string pid = testsupport::ReadFile(testsupport::EngineState.Name(engine + ".pid"));
        ASSERT_EQ(Table.Improve(id, CleanCube("R U"), 100ms, nullptr, list), TSolveResult::Solved);
        EXPECT_EQ(testsupport::ReadFile(testsupport::EngineState.Name(engine + ".pid")) == pid, sameHost);
    }
}

} // namespace
