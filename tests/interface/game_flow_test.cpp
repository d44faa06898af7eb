// Whole games through the real binary, as an xboard interface plays them: the exact protocol
// output of scripted sessions (search reports left out).
#include <gtest/gtest.h>

#include "game_session.h"

namespace {

const std::string START  = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
const char* const BANNER = "0 entries found in the Opening Book (b_book.bin)\n";
const char* const QUIET  = "noise=99"; // no thinking lines

std::string fen_line(const std::string& fen, const std::vector<std::string>& moves = {}) {
    return fen_after(fen, moves) + "\n";
}

std::string feature_line() {
    return "feature myname=\"" + program_id()
         + "\" setboard=0 ping=0 usermove=0 san=0 time=1 analyze=1 done=1\n";
}

TEST(GameFlow, XboardGameWithTakeBacksAndForceMode) {
    Tgame_session s(QUIET);
    s.send("xboard\nprotover 2\nmax_sd 3\neasy\nnew\ne2e4\n");
    const std::string reply = s.next_move();
    ASSERT_FALSE(fen_after(START, {"e2e4", reply}).empty()) << reply;
    s.send("force\nremove\nremove\ne2e4\nremove\nundo\nundo\ngo\n");
    const std::string opening = s.next_move();
    ASSERT_FALSE(fen_after(START, {opening}).empty()) << opening;
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    EXPECT_EQ(s.engine.errors(), "");
    EXPECT_EQ(s.protocol_lines(),
              BANNER + start_display() + feature_line() + fen_line(START)
                  + fen_line(START, {"e2e4"}) + "1. ... " + reply + "\n"
                  + fen_line(START, {"e2e4", reply}) + fen_line(START, {"e2e4", reply})
                  + fen_line(START) + "Illegal move: remove\n" + fen_line(START, {"e2e4"})
                  + "Illegal move: remove\n" + fen_line(START) + "Illegal move: undo\n"
                  + "1. ... " + opening + "\n" + fen_line(START, {opening}));
}

TEST(GameFlow, MateAndStalemateEndTheGameAndEveryLaterPassSaysSo) {
    Tgame_session s(QUIET);
    s.send("xboard\nmax_sd 3\neasy\nnew\nforce\nedit\n#\nKg1\nRa1\nc\nKh8\nPg7\nPh7\n.\ngo\n");
    ASSERT_TRUE(s.expect("1-0 {White mates}\n"));
    s.send("go\n");
    ASSERT_TRUE(s.expect("1-0 {White mates}\n"));
    s.send("new\nedit\n#\nKb6\nQd7\nc\nKa8\n.\nd7c7\n");
    ASSERT_TRUE(s.expect("1/2-1/2 {Stalemate}\n"));
    s.send("go\n");
    ASSERT_TRUE(s.expect("1/2-1/2 {Stalemate}\n"));
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    const std::string mate_at  = "7k/6pp/8/8/8/8/8/R5K1 w - -";
    const std::string stale_at = "k7/3Q4/1K6/8/8/8/8/8 w - -";
    EXPECT_EQ(s.protocol_lines(),
              BANNER + start_display() + fen_line(START) + fen_line(START) + "Now in edit mode\n"
                  + fen_line(mate_at) + "1. ... a1a8\n" + fen_line(mate_at, {"a1a8"})
                  + "1-0 {White mates}\n" + fen_line(mate_at, {"a1a8"}) + "1-0 {White mates}\n"
                  + fen_line(START) + "Now in edit mode\n" + fen_line(stale_at)
                  + fen_line(stale_at, {"d7c7"}) + "1/2-1/2 {Stalemate}\n"
                  + fen_line(stale_at, {"d7c7"}) + "1/2-1/2 {Stalemate}\n");
}

TEST(GameFlow, EditModeRefusesPositionsThatCannotBePlayed) {
    Tgame_session s(QUIET);
    // No black king; then a pawn on the last rank.
    s.send("xboard\nedit\n#\nKg1\n.\nedit\n#\nKg1\nPa8\nc\nKh8\n.\nquit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    EXPECT_EQ(s.protocol_lines(),
              BANNER + start_display() + "Now in edit mode\n"
                  + "Can't Load the following position 8/8/8/8/8/8/8/6K1 w - -\n" + fen_line(START)
                  + "Now in edit mode\n"
                  + "Can't Load the following position P6k/8/8/8/8/8/8/6K1 w - -\n"
                  + fen_line(START));
}

TEST(GameFlow, AnalyzeModeFollowsMovesAndTakeBacksUntilExit) {
    Tgame_session s(QUIET);
    s.send("xboard\neasy\nnew\nanalyze\ne2e4\n");
    ASSERT_TRUE(s.expect("Now In Analyze Mode\n"));
    ASSERT_TRUE(s.expect(fen_line(START, {"e2e4"})));
    s.send(".\n");
    ASSERT_TRUE(s.expect("stat01: "));
    s.send("undo\n");
    ASSERT_TRUE(s.expect(fen_line(START)));
    s.send("exit\n");
    ASSERT_TRUE(s.expect("Leaving Analyze Mode\n"));
    // Out of analyze mode the engine plays Black again.
    s.send("e2e4\n");
    const std::string reply = s.next_move();
    EXPECT_FALSE(fen_after(START, {"e2e4", reply}).empty()) << reply;
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    EXPECT_EQ(s.engine.errors(), "");
}

TEST(GameFlow, ResultLogsTheGameTableFromTheSeventhHalfMoveAndWaitsForNew) {
    Tgame_session s(QUIET);
    s.send("xboard\nforce\ne2e4\ne7e5\ng1f3\nb8c6\nf1b5\na7a6\nresult 1-0\n"
           "b1c3\nnew\nforce\ne2e4\ne7e5\ng1f3\nb8c6\nf1b5\na7a6\nb5a4\nresult 0-1 {Black wins}\n"
           "new\nresult\nnew\nresult foo\nquit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    const std::string log = s.log();
    const std::string table =
        "'' - ''\n\n        move   score  depth  time            move   score  depth  time\n"
        "\n  1.     e2e4      0      0     0             e7e5      0      0     0"
        "\n  2.     g1f3      0      0     0             b8c6      0      0     0"
        "\n  3.     f1b5      0      0     0             a7a6      0      0     0"
        "\n  4.     b5a4      0      0     0\n";
    EXPECT_NE(log.find("<\"result 0-1 {Black wins}\"\n" + table), std::string::npos) << log;
    // The six half-moves gave no table.
    EXPECT_EQ(log.find("move   score"), log.find(table) + table.find("move   score"));
    EXPECT_NE(log.find("<\"result\"\nIllegal move ()\n"), std::string::npos);
    EXPECT_NE(log.find("<\"result foo\"\nIllegal move (foo)\n"), std::string::npos);
    // After a result the game waits: the move before "new" changed nothing on the screen.
    const std::string out = s.protocol_lines();
    EXPECT_EQ(out.find(fen_line(START, {"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "b1c3"})),
              std::string::npos);
}

} // namespace
