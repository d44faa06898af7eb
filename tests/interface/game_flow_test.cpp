// Whole games through the real binary, as an xboard interface plays them, where the engine's own
// moves or the timing decide what follows: pondering hits and misses, the interrupt signal, and a
// game grown to the length the record holds. (Take-backs, bad input, analyze mode and resignation
// have sessions of their own.)
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

#include "game_session.h"
#include "interface/game.h"

namespace {

const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
const char* const QUIET = "noise=99"; // no thinking lines

std::string fen_line(const std::vector<std::string>& moves = {}) { return fen_after(START, moves) + "\n"; }

std::string line_after(Tgame_session& s, const std::string& head) {
    if (!s.expect(head) || !s.expect("\n"))
        return "";
    const size_t from = s.engine.output().rfind(head, s.mark) + head.size();
    return s.engine.output().substr(from, s.mark - 1 - from);
}

TEST(GameFlow, PonderHitPlaysAtOnceAndMissTakesThePredictionBack) {
    Tgame_session s(QUIET);
    s.send("xboard\nhard\nnew\ne2e4\n");
    std::vector<std::string> moves{"e2e4", s.next_move()};
    const std::string        predicted = line_after(s, "Pondering move  : ");
    ASSERT_FALSE(fen_after(START, {moves[0], moves[1], predicted}).empty()) << predicted;
    s.send(predicted + "\n");
    ASSERT_TRUE(s.expect("I have correctly predicted " + predicted + " :-) \n"));
    moves.push_back(predicted);
    moves.push_back(s.next_move());
    ASSERT_FALSE(fen_after(START, moves).empty()) << moves.back();
    // A move taken on trust while pondering, found illegal afterwards: refused, the game goes on.
    line_after(s, "Pondering move  : ");
    s.send("e1e5\n");
    ASSERT_TRUE(s.expect("Illegal move\n"));
    EXPECT_EQ(s.engine.output().find("e1e5 was played"), std::string::npos);
    const std::string second = line_after(s, "Pondering move  : ");
    std::string       other;
    for (const std::string& move : legal_moves(fen_after(START, moves)))
        other = move != second ? move : other;
    s.send(other + "\n");
    ASSERT_TRUE(s.expect("I have predicted " + second + " but " + other + " was played :-( \n"));
    moves.push_back(other);
    moves.push_back(s.next_move());
    EXPECT_FALSE(fen_after(START, moves).empty()) << moves.back();
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    EXPECT_EQ(s.engine.errors(), "");
}

TEST(GameFlow, InterruptIsIgnoredUnderXboardAndOnlyStopsASearchAtTheConsole) {
    Tgame_session s(QUIET);
    s.send("xboard\nprotover 2\n");
    ASSERT_TRUE(s.expect("done=1\n"));
    kill(s.engine.process_id(), SIGINT);
    s.send("easy\nnew\ne2e4\n");
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        kill(s.engine.process_id(), SIGINT);
    }
    EXPECT_NE(s.next_move(), "");
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    Tgame_session console; // a long search, interrupted once it shows its second iteration
    console.send("easy\nnew\ntime 100000\ne2e4\n");
    ASSERT_TRUE(console.expect("\n 2"));
    kill(console.engine.process_id(), SIGINT);
    EXPECT_NE(console.next_move(10), "");
    console.send("quit\n");
    EXPECT_EQ(console.engine.wait_exit(), 0);
}

TEST(GameFlow, TheGameStopsAtTheLengthTheRecordHolds) {
    Tgame_session     s(QUIET);
    const char* const shuffle[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    std::string       lines      = "xboard\nforce\n";
    for (int i = 0; i < MAX_GAME_PLY; ++i)
        lines += std::string(shuffle[i % 4]) + "\n";
    const std::string next = shuffle[MAX_GAME_PLY % 4];
    s.send(lines + next + "\ngo\nundo\n" + shuffle[(MAX_GAME_PLY - 1) % 4] + "\nquit\n");
    EXPECT_EQ(s.engine.wait_exit(60), 0);
    const std::string out = s.protocol_lines();
    EXPECT_NE(out.find("Illegal move (game too long): " + next + "\n"), std::string::npos);
    // The refusal changed nothing, "go" found no room for a move, "undo" and a move still work.
    EXPECT_EQ(out.find(". ... "), std::string::npos);
    const std::string after  = out.substr(out.find("game too long"));
    const size_t      undone = after.find(fen_line({"g1f3"}));
    ASSERT_NE(undone, std::string::npos);
    EXPECT_NE(after.find(fen_line({"g1f3", "g8f6"}), undone), std::string::npos);
}

} // namespace
