// Whole games through the real binary, as an xboard interface plays them, where the engine's own
// moves or the timing decide what follows: pondering hits and misses, the clock, the interrupt
// signal and "?", bursts of input, a game grown to the length the record holds, UCI commands
// answered while a search runs, and the UCI node budget and empty clock. (Take-backs, bad input,
// analyze mode and resignation have sessions of their own.)
#include <chrono>
#include <csignal>
#include <cstdlib>
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

// The seconds of the last statistics line (" time:1.23s, nodes:...") after `from`: what the
// engine says it used, never the wall clock of the test.
double reported_seconds(Tgame_session& s, size_t from) {
    const size_t at = s.engine.output().rfind(" time:");
    return at == std::string::npos || at < from ? -1 : std::atof(s.engine.output().c_str() + at + 6);
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

TEST(GameFlow, ClockInterruptAndMoveNow) {
    Tgame_session s(QUIET);
    s.send("xboard\nprotover 2\n");
    ASSERT_TRUE(s.expect("done=1\n"));
    kill(s.engine.process_id(), SIGINT); // ignored under xboard, while waiting or thinking
    s.send("easy\nnew\ntime 6000\notim 6000\ne2e4\n");
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        kill(s.engine.process_id(), SIGINT);
    }
    size_t from = s.mark;
    EXPECT_NE(s.next_move(30), "");
    // 6000 centiseconds over 37 moves: 1.62 s, stopped at the first tick past it (and some slack
    // for a loaded machine).
    const double used = reported_seconds(s, from);
    EXPECT_TRUE(used >= 0 && used <= 6000 / 3700.0 + 0.6);
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    Tgame_session console; // a long search, interrupted once it shows its second iteration
    console.send("easy\nnew\ntime 100000\ne2e4\n");
    ASSERT_TRUE(console.expect("\n 2"));
    kill(console.engine.process_id(), SIGINT);
    EXPECT_NE(console.next_move(10), "");
    // Half an hour on the clock: the search would think for a long time, "?" stops it.
    console.send("time 180000\notim 180000\nd2d4\n");
    ASSERT_TRUE(console.expect("\n 3."));
    from = console.mark;
    console.send("?\n");
    EXPECT_NE(console.next_move(10), "");
    const double stopped_after = reported_seconds(console, from);
    EXPECT_TRUE(stopped_after >= 0 && stopped_after < 20.0);
    console.send("quit\n");
    EXPECT_EQ(console.engine.wait_exit(), 0);
}

// A burst of lines during a search is read at once, so a "?" or a "quit" behind it is not held
// back; a ponder hit takes the budget of the clock sent with it, not the one the pondering began
// with; a clock nearly run out gets its move at once.
TEST(GameFlow, AnswersInTimeWhateverTheClockAndTheInputDo) {
    Tgame_session s(QUIET);
    s.send("xboard\nhard\nnew\nlevel 40 5 0\ntime 60000\notim 60000\ne2e4\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::string burst;
    for (int i = 0; i < 1000; ++i)
        burst += i % 3 ? "bogus words " + std::to_string(i) + "\n" : std::string("\0e2\0e4\n", 7);
    s.send(burst + "?\n");
    std::vector<std::string> moves{"e2e4", s.next_move(5)};
    ASSERT_NE(moves.back(), "");
    const std::string predicted = line_after(s, "Pondering move  : ");
    s.send("time 30\notim 60000\n" + predicted + "\n");
    ASSERT_TRUE(s.expect("I have correctly predicted " + predicted, 1.5));
    moves.push_back(predicted);
    moves.push_back(s.next_move());
    ASSERT_NE(moves.back(), "");
    const std::string second = line_after(s, "Pondering move  : ");
    std::string       other;
    for (const std::string& move : legal_moves(fen_after(START, moves)))
        other = move != second ? move : other;
    s.send("time 20\notim 60000\n" + other + "\n");
    const size_t from = s.mark;
    EXPECT_NE(s.next_move(1.5), "");
    EXPECT_LT(reported_seconds(s, from), 0.1);
    s.send(burst + "quit\n");
    EXPECT_EQ(s.engine.wait_exit(2), 0);
    EXPECT_EQ(s.engine.errors(), "");
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

// While a search runs: isready answered without ending it, stop within a tick (ping and "." in
// analyze mode: sessions/analyze.txt).
TEST(GameFlow, UciAnswersDuringASearch) {
    Tgame_session uci;
    uci.send("uci\nposition startpos\ngo infinite\n");
    ASSERT_TRUE(uci.expect("info depth 3 "));
    uci.send("isready\n");
    ASSERT_TRUE(uci.expect("readyok\n"));
    EXPECT_TRUE(uci.expect("info depth ", 10)) << "the search went on";
    const double stopped = seconds_now();
    uci.send("stop\n");
    ASSERT_TRUE(uci.expect("bestmove "));
    EXPECT_LT(seconds_now() - stopped, 0.5 + 0.25); // a tick, and some slack for a busy machine
    EXPECT_EQ(uci.rest().find("readyok"), std::string::npos);
    uci.send("quit\n");
    EXPECT_EQ(uci.engine.wait_exit(), 0);
}

// A node budget ends the search within a few nodes of it (the count of the info lines), not at
// the next tick or iteration; a clock at zero or below still asks for a quick move.
TEST(GameFlow, UciNodeBudgetAndAnEmptyClock) {
    Tgame_session uci;
    uci.send("uci\nposition startpos moves e2e4 e7e5 g1f3\ngo nodes 4321\n");
    ASSERT_TRUE(uci.expect("bestmove "));
    const std::string& out = uci.engine.output();
    EXPECT_NEAR(std::atol(out.c_str() + out.rfind(" nodes ") + 7), 4321, 4);
    const double asked = seconds_now();
    uci.send("go wtime 5000 btime -100\n"); // black to move
    ASSERT_TRUE(uci.expect("bestmove "));
    EXPECT_LT(seconds_now() - asked, 1.0);
    uci.send("quit\n");
    EXPECT_EQ(uci.engine.wait_exit(), 0);
}

} // namespace
