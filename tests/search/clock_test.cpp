// The clock in real games, through the real binary: a timed search stops within its budget, and
// "?" typed while the engine thinks is taken at the next tick. Only what the engine prints is
// checked, never the wall clock of the test.
#include <cstdlib>
#include <gtest/gtest.h>

#include "interface/game_session.h"

namespace {

// The seconds of the last statistics line (" time:1.23s, nodes:...") after `from`.
double reported_seconds(Tgame_session& game, size_t from) {
    const size_t at = game.engine.output().rfind(" time:");
    return at == std::string::npos || at < from ? -1 : std::atof(game.engine.output().c_str() + at + 6);
}

TEST(Clock, BudgetWithoutLevelAndMoveNow) {
    Tgame_session game;
    game.send("xboard\neasy\nnew\ntime 6000\notim 6000\ne2e4\n");
    size_t before = game.engine.output().size();
    ASSERT_NE(game.next_move(30), "") << game.rest();
    // 6000 centiseconds over 37 moves: 1.62 s, stopped at the first tick past it (and some slack
    // for a loaded machine).
    EXPECT_LE(reported_seconds(game, before), 6000 / 3700.0 + 0.6);
    EXPECT_GE(reported_seconds(game, before), 0);
    // Half an hour on the clock: the search would think for a long time, "?" stops it.
    game.send("time 180000\notim 180000\nd2d4\n");
    ASSERT_TRUE(game.expect(" 3")) << game.rest();
    before = game.engine.output().size();
    game.send("?\n");
    ASSERT_NE(game.next_move(10), "") << game.rest();
    EXPECT_GE(reported_seconds(game, before), 0);
    EXPECT_LT(reported_seconds(game, before), 20.0); // far below the 48 s the budget would allow
    EXPECT_EQ(game.engine.output().find("resign"), std::string::npos);
    game.send("quit\n");
    EXPECT_EQ(game.engine.wait_exit(10), 0);
}

} // namespace
