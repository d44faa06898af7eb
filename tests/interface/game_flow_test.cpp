// Whole games through the real binary, as an xboard interface plays them, where the engine's own
// moves decide what follows: take-backs and force mode, analyze mode, pondering hits and misses,
// the interrupt signal, resignation, bad input, the end of input during a search, and a game
// grown to the length the record holds.
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

#include "base/data_rows.h"
#include "game_session.h"
#include "interface/game.h"

namespace {

const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
const char* const QUIET = "noise=99"; // no thinking lines
// What `new` prints as it rebuilds the (empty) style book.
const std::string STYLE_BOOK_REBUILT = "Updating style book. . .\n=> Writing positions on disk\n\n";

std::string fen_line(const std::vector<std::string>& moves = {}) { return fen_after(START, moves) + "\n"; }

TEST(GameFlow, XboardGameWithTakeBacksAndForceMode) {
    Tgame_session s(QUIET);
    s.send("xboard\nmax_sd 3\neasy\nnew\ne2e4\n");
    const std::string reply = s.next_move();
    ASSERT_FALSE(fen_after(START, {"e2e4", reply}).empty()) << reply;
    s.send("force\nremove\nremove\ne2e4\nremove\nundo\nundo\ngo\n");
    const std::string opening = s.next_move();
    ASSERT_FALSE(fen_after(START, {opening}).empty()) << opening;
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    EXPECT_EQ(s.engine.errors(), "");
    EXPECT_EQ(s.protocol_lines(), test_data("interface/data/banner.txt") + start_display()
                                      + STYLE_BOOK_REBUILT + fen_line() + fen_line({"e2e4"}) + "1. ... "
                                      + reply + "\n" + fen_line({"e2e4", reply}) + fen_line({"e2e4", reply})
                                      + fen_line() + "Illegal move: remove\n" + fen_line({"e2e4"})
                                      + "Illegal move: remove\n" + fen_line() + "Illegal move: undo\n1. ... "
                                      + opening + "\n" + fen_line({opening}));
}

TEST(GameFlow, AnalyzeModeFollowsMovesAndTakeBacksUntilExit) {
    Tgame_session s(QUIET);
    s.send("xboard\neasy\nnew\nanalyze\ne2e4\n");
    ASSERT_TRUE(s.expect("Now In Analyze Mode\n"));
    ASSERT_TRUE(s.expect(fen_line({"e2e4"})));
    s.send(".\n");
    ASSERT_TRUE(s.expect("stat01: "));
    s.send("undo\n");
    ASSERT_TRUE(s.expect(fen_line()));
    s.send("exit\n");
    ASSERT_TRUE(s.expect("Leaving Analyze Mode\n"));
    s.send("e2e4\n"); // out of analyze mode the engine plays Black again
    EXPECT_FALSE(fen_after(START, {"e2e4", s.next_move()}).empty());
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
}

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

// One engine relays its moves to another; the first gave away its queen and both rooks in the
// opening (force mode), then plays on from half-move 15 at five pawns down or worse.
TEST(GameFlow, ResignationOnlyFromTheTwentiethHalfMoveAndWithTheOpponentsTimeLeft) {
    const std::string opening =
        "e2e4\ne7e5\nd1h5\nb8c6\nh5f7\ne8f7\na2a4\nd7d5\na1a3\nf8a3\nh2h4\ng8f6\nh1h3\nc8h3\n";
    Tgame_session loser("noise=99\nmax_sd=3"), winner("noise=99\nmax_sd=3");
    loser.send("xboard\neasy\nnew\nforce\n" + opening + "otim 10000\ngo\n");
    winner.send("xboard\neasy\nnew\nforce\n" + opening);
    std::string move = loser.next_move();
    ASSERT_NE(move, "");
    winner.send(move + "\ngo\n");
    for (int ply = 17; ply <= 23; ply += 2) {
        const std::string reply = winner.next_move();
        ASSERT_NE(reply, "");
        // At half-move 21 the opponent has exactly 60 seconds left: not enough.
        loser.send(std::string(ply == 21 ? "otim 6000\n" : ply == 23 ? "otim 6001\n" : "") + reply + "\n");
        move = loser.next_move();
        ASSERT_NE(move, "");
        if (ply < 23)
            winner.send(move + "\n");
    }
    ASSERT_TRUE(loser.expect("resign\n", 5));
    loser.send("quit\n");
    winner.send("quit\n");
    EXPECT_EQ(loser.engine.wait_exit(), 0);
    const std::string out = loser.protocol_lines();
    EXPECT_GT(out.find("resign\n"), out.find("12. ... ")) << out;
    EXPECT_EQ(out.find("resign\n"), out.rfind("resign\n"));
}

TEST(GameFlow, BadInputLeavesTheGameIntactAndTheEndOfInputEndsASearch) {
    Tgame_session s(QUIET);
    s.send("xboard\neasy\nnew\ne2e5\ne7e5\ne2\nzz99\n\x01\x02\xff\xfe\nundo\nremove\ntime -5\notim "
           "abc\nlevel 0 0 0\n"
           "level 2147483647 0:99 2147483647\ntime 2147483647\notim -2147483648\nlevel 40 5 0\ntime 3000\n"
           "rating 99999999999999 -5\nname\ne2e4\n");
    const std::string reply = s.next_move();
    ASSERT_FALSE(fen_after(START, {"e2e4", reply}).empty()) << reply;
    const std::string out = s.protocol_lines();
    EXPECT_EQ(out.find("Illegal move\nIllegal move\nIllegal move: undo\nIllegal move: remove\n"),
              out.find("Illegal move"));
    s.send(legal_moves(fen_after(START, {"e2e4", reply})).front() + "\n");
    s.engine.close_input(); // the interface goes away while the engine thinks
    EXPECT_EQ(s.engine.wait_exit(), 0);
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

} // namespace
