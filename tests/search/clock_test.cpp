// The clock in real games, through the real binary: a timed search stops within its budget, and
// a command typed while the engine thinks is taken at the next tick. Only what the engine prints
// is checked, never the wall clock of the test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "interface/game_session.h"

namespace {

// The seconds of the last statistics line (" time:1.23s, nodes:...") after `from`.
double reported_seconds(const std::string& output, size_t from) {
    const size_t at = output.rfind(" time:");
    if (at == std::string::npos || at < from)
        return -1;
    return std::atof(output.c_str() + at + 6);
}

TEST(Clock, SixtySecondsLeftAndNoLevelStopWithinTheBudget) {
    Tgame_session game;
    game.send("xboard\nnew\ntime 6000\notim 6000\ne2e4\n");
    const size_t before = game.engine.output().size();
    const std::string reply = game.next_move(30);
    ASSERT_FALSE(reply.empty()) << game.rest();
    // 6000 centiseconds over 37 moves: 1.62 s, stopped at the first 100 ms tick past it.
    const double seconds = reported_seconds(game.engine.output(), before);
    ASSERT_GE(seconds, 0) << game.engine.output().substr(before);
    EXPECT_LE(seconds, 6000 / 3700.0 + 0.35);
    EXPECT_EQ(game.engine.output().find("resign", before), std::string::npos);
}

TEST(Clock, MoveNowIsTakenAtTheNextTickOfALongSearch) {
    Tgame_session game;
    // Half an hour on the clock: the search would think for a long time.
    game.send("xboard\nnew\ntime 180000\notim 180000\ne2e4\n");
    ASSERT_TRUE(game.expect(" 3")) << game.rest(); // the search is under way
    const size_t before = game.engine.output().size();
    game.send("?\n");
    const std::string reply = game.next_move(10);
    ASSERT_FALSE(reply.empty()) << game.rest();
    const double seconds = reported_seconds(game.engine.output(), before);
    ASSERT_GE(seconds, 0);
    // Far below the 48 s the budget would allow: the command stopped it.
    EXPECT_LT(seconds, 20.0);
    game.send("quit\n");
    EXPECT_EQ(game.engine.wait_exit(10), 0);
}

} // namespace
