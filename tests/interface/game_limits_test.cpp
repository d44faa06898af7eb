// The edges of a game: the time budget, resignation, bad input, the end of input in a search,
// and a game grown to the length the record holds.
#include <gtest/gtest.h>

#include <climits>

#include "game_session.h"
#include "base/config.h"
#include "interface/game.h"
#include "interface/play.h"

namespace {

const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

TEST(GameLimits, TimeBudgetFollowsClockLevelAndIncrement) {
    const int saved[5] = {config.time_left, config.level_moves, config.level_increment,
                          game.game_ply, config.analyze_mode};
    config.analyze_mode    = 0;
    config.time_left       = 6000;
    config.level_moves     = 0;
    config.level_increment = 0;
    game.game_ply          = 10;
    EXPECT_DOUBLE_EQ(Tplay::time_budget(), 1.5);
    config.level_increment = 2;
    EXPECT_DOUBLE_EQ(Tplay::time_budget(), 2.5);
    config.level_increment = 601; // more than a tenth of the clock: no increment counted
    EXPECT_DOUBLE_EQ(Tplay::time_budget(), 1.5);
    config.level_increment = 0;
    config.level_moves     = 40; // 40 - 5 + 2 moves to go
    EXPECT_DOUBLE_EQ(Tplay::time_budget(), 6000 / (37 * 100.0));
    game.game_ply = 100; // past move 40 without a level: 30 moves to go
    config.level_moves = -1;
    EXPECT_DOUBLE_EQ(Tplay::time_budget(), 2.0);
    config.time_left = -1; // no "time" command: the floor
    EXPECT_DOUBLE_EQ(Tplay::time_budget(), 0.2);
    config.time_left = 100; // one second left: the floor still fits in
    EXPECT_DOUBLE_EQ(Tplay::time_budget(), 0.2);
    config.time_left = 50; // half a second: a fifth of it
    EXPECT_DOUBLE_EQ(Tplay::time_budget(), 0.1);
    config.time_left = 0; // nothing left: as little as can be, but never untimed
    EXPECT_DOUBLE_EQ(Tplay::time_budget(), 0.01);
    config.time_left       = INT_MAX;
    config.level_moves     = INT_MAX;
    config.level_increment = INT_MAX;
    EXPECT_GE(Tplay::time_budget(), 0.2);
    config.analyze_mode = 1;
    EXPECT_DOUBLE_EQ(Tplay::time_budget(), 0);
    config.time_left       = saved[0];
    config.level_moves     = saved[1];
    config.level_increment = saved[2];
    game.game_ply          = saved[3];
    config.analyze_mode    = uint8_t(saved[4]);
}

// One engine relays its moves to another; the first gave away its queen and both rooks in the
// opening (played in force mode), then plays on from half-move 15 at five pawns down or worse.
TEST(GameLimits, ResignationOnlyFromTheTwentiethHalfMoveAndWithTheOpponentsTimeLeft) {
    const std::string opening = "e2e4\ne7e5\nd1h5\nb8c6\nh5f7\ne8f7\na2a4\nd7d5\na1a3\nf8a3\n"
                                "h2h4\ng8f6\nh1h3\nc8h3\n";
    Tgame_session loser("noise=99\nmax_sd=3");
    Tgame_session winner("noise=99\nmax_sd=3");
    loser.send("xboard\neasy\nnew\nforce\n" + opening + "otim 10000\ngo\n");
    winner.send("xboard\neasy\nnew\nforce\n" + opening);
    std::string move = loser.next_move();
    ASSERT_NE(move, "");
    winner.send(move + "\ngo\n");
    for (int ply = 17; ply <= 23; ply += 2) {
        const std::string reply = winner.next_move();
        ASSERT_NE(reply, "");
        // At half-move 21 the opponent has exactly 60 seconds left: not enough.
        loser.send(std::string(ply == 21 ? "otim 6000\n" : ply == 23 ? "otim 6001\n" : "") + reply
                   + "\n");
        move = loser.next_move();
        ASSERT_NE(move, "");
        if (ply < 23)
            winner.send(move + "\n");
    }
    ASSERT_TRUE(loser.expect("resign\n", 5));
    loser.send("quit\n");
    winner.send("quit\n");
    EXPECT_EQ(loser.engine.wait_exit(), 0);
    EXPECT_EQ(winner.engine.wait_exit(), 0);
    const std::string out = loser.protocol_lines();
    EXPECT_GT(out.find("resign\n"), out.find("12. ... ")) << out;
    EXPECT_EQ(out.find("resign\n"), out.rfind("resign\n"));
}

TEST(GameLimits, BadInputLeavesTheGameIntactAndTheEndOfInputEndsASearch) {
    Tgame_session s("noise=99");
    s.send("xboard\neasy\nnew\ne2e5\ne7e5\ne2\nzz99\n\x01\x02\xff\xfe\nundo\nremove\ntime -5\n"
           "otim abc\nlevel 0 0 0\nlevel 2147483647 0:99 2147483647\ntime 2147483647\n"
           "otim -2147483648\nlevel 40 5 0\ntime 3000\nrating 99999999999999 -5\nname\n"
           "e2e4\n");
    const std::string reply = s.next_move();
    ASSERT_FALSE(fen_after(START, {"e2e4", reply}).empty()) << reply;
    EXPECT_EQ(s.protocol_lines().find("Illegal move\nIllegal move\nIllegal move: undo\n"
                                      "Illegal move: remove\n"),
              s.protocol_lines().find("Illegal move"));
    // A legal move, then the interface goes away while the engine thinks.
    const std::vector<std::string> moves = legal_moves(fen_after(START, {"e2e4", reply}));
    s.send(moves.front() + "\n");
    s.engine.close_input();
    EXPECT_EQ(s.engine.wait_exit(), 0);
    EXPECT_EQ(s.engine.errors(), "");
}

TEST(GameLimits, TheGameStopsAtTheLengthTheRecordHolds) {
    Tgame_session s("noise=99");
    const char* const shuffle[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    std::string lines = "xboard\nforce\n";
    for (int i = 0; i < MAX_GAME_PLY; ++i)
        lines += std::string(shuffle[i % 4]) + "\n";
    s.send(lines);
    const std::string next = shuffle[MAX_GAME_PLY % 4];
    s.send(next + "\ngo\nundo\n" + shuffle[(MAX_GAME_PLY - 1) % 4] + "\nquit\n");
    EXPECT_EQ(s.engine.wait_exit(60), 0);
    EXPECT_EQ(s.engine.errors(), "");
    const std::string out = s.protocol_lines();
    EXPECT_NE(out.find("Illegal move (game too long): " + next + "\n"), std::string::npos);
    // The refusal changed nothing, "go" found no room for a move, "undo" and a move still work.
    EXPECT_EQ(out.find(". ... "), std::string::npos);
    const size_t refusal = out.find("game too long");
    const std::string after = out.substr(refusal);
    const size_t undone = after.find(fen_after(START, {"g1f3"}) + "\n");
    ASSERT_NE(undone, std::string::npos);
    EXPECT_NE(after.find(fen_after(START, {"g1f3", "g8f6"}) + "\n", undone), std::string::npos);
}

} // namespace
