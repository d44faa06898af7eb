// Whole games through the real binary, as an xboard interface plays them, where the engine's own
// moves or the timing decide what follows: pondering hits and misses, the clock, the interrupt
// signal and "?", bursts of input, games longer than the record holds, UCI commands answered
// while a search runs, and the UCI node budget and empty clock. (Take-backs, bad input,
// analyze mode and resignation have sessions of their own.)
#include <algorithm>
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

const char* const KNIGHTS_OUT_AND_BACK[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};

// Longer than the record: six blocks of a pawn move for each side and 92 half-moves of knights
// going out and back, whose positions come a third time from the eighth on. The sixth block's
// dance began before the record restarted: the draw claims go on as they would without it, and
// so do the move numbers and the half-move clock (100 - 92 = 8 left when the engine moves).
TEST(GameFlow, AGameLongerThanTheRecordKeepsItsDrawClaimsAndMoveNumbers) {
    const char* const        pawns[6][2] = {{"a2a3", "a7a6"}, {"b2b3", "b7b6"}, {"c2c3", "c7c6"},
                                            {"d2d3", "d7d6"}, {"e2e3", "e7e6"}, {"h2h3", "h7h6"}};
    std::vector<std::string> moves;
    std::string              input = "xboard\nforce\n", expected;
    for (const auto& pair : pawns)
        for (int j = -1; j <= 92; ++j) {
            moves.push_back(j <= 0 ? pair[j + 1] : KNIGHTS_OUT_AND_BACK[(j - 1) % 4]);
            input += moves.back() + "\n";
            expected += fen_line(moves) + (j >= 8 ? "1/2-1/2 {Draw}\n" : "");
        }
    ASSERT_EQ(moves.size(), 564u);
    ASSERT_LT(MAX_GAME_PLY + 20, 564);
    Tgame_session s(QUIET);
    s.send(input + "go\n");
    ASSERT_TRUE(s.expect("283. ... "));
    const std::string out = s.protocol_lines();
    EXPECT_NE(out.find(expected), std::string::npos);
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    EXPECT_NE(s.log().find("\n50Move in 8 half-moves,"), std::string::npos);
}

// Knights alone for 600 half-moves at the console: the record restarts with the clock it had
// (600 half-moves since the last pawn move), the board shows the move number of the whole game.
// UCI plays a position of 4003 half-moves (a line of 20 kB) whole, and finds the mate the last
// three allow.
TEST(GameFlow, ConsoleAndUciPlayGamesOfAnyLength) {
    std::string moves;
    for (int i = 0; i < 4000; ++i)
        moves += std::string(KNIGHTS_OUT_AND_BACK[i % 4]) + "\n";
    Tgame_session console(QUIET);
    console.send("force\n" + moves.substr(0, 600 * 5) + "go\n");
    ASSERT_TRUE(console.expect("Move #301, White to move\n"));
    ASSERT_TRUE(console.expect("301. ... "));
    console.send("quit\n");
    EXPECT_EQ(console.engine.wait_exit(), 0);
    EXPECT_NE(console.log().find("\n50Move in -500 half-moves,"), std::string::npos);

    std::replace(moves.begin(), moves.end(), '\n', ' ');
    Tgame_session uci;
    uci.send("uci\nposition startpos moves " + moves + "f2f3 e7e5 g2g4\ngo depth 2\n");
    ASSERT_TRUE(uci.expect("bestmove d8h4\n"));
    // Beyond the longest game there is: dropped whole.
    uci.send(std::string(300000, 'x') + "\nquit\n");
    EXPECT_EQ(uci.engine.wait_exit(), 0);
    EXPECT_EQ(uci.rest(), "info string line of 300000 bytes ignored: too long\n");
    EXPECT_EQ(uci.engine.output().find("info string", 0), uci.engine.output().rfind("info string"));
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
