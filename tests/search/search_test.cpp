// Whole searches: mates and their scores, draws by rule found on the line and in the game, the
// stop rules of the think driver that hold outside the clock, the mate arithmetic, and the node
// count of the benchmark positions, which must not depend on anything but the search itself.
#include <gtest/gtest.h>

#include "bench/bench_search.h"
#include "search/score.h"
#include "search_fixture.h"
#include "tools/benchmark_positions.h"

namespace {

using search_test::Searching;

constexpr int MATE_IN_ONE   = 32000 - 1;
constexpr int MATE_IN_TWO   = 32000 - 3;
constexpr int MATE_IN_THREE = 32000 - 5;

TEST(ScoreArithmetic, NegateScoreMovesMatesOnePlyTowardZero) {
    EXPECT_EQ(negate_score(0), 0);
    EXPECT_EQ(negate_score(123), -123);
    EXPECT_EQ(negate_score(-30999), 30999);
    EXPECT_EQ(negate_score(SCORE_MATED), MATE_IN_ONE);
    EXPECT_EQ(negate_score(MATE_IN_ONE), -31998);
    EXPECT_EQ(negate_score(-31998), MATE_IN_TWO);
    EXPECT_EQ(negate_score(31000), -30999);
    EXPECT_EQ(negate_score(-31000), 30999);
    EXPECT_EQ(negate_score(SCORE_INFINITE), -SCORE_INFINITE);
    EXPECT_EQ(negate_score(-SCORE_INFINITE), SCORE_INFINITE);
    EXPECT_EQ(negate_score(SCORE_NOT_COMPUTED), SCORE_NOT_COMPUTED);
}

TEST(ScoreArithmetic, NegateBoundIsTheInverseOfNegateScore) {
    EXPECT_EQ(negate_bound(100), -100);
    EXPECT_EQ(negate_bound(-31998), 31999);
    EXPECT_EQ(negate_bound(31999), -32000);
    EXPECT_EQ(negate_bound(-31000), 31001);
    EXPECT_EQ(negate_bound(31000), -31001);
    EXPECT_EQ(negate_bound(SCORE_INFINITE), -SCORE_INFINITE);
    EXPECT_EQ(negate_bound(-SCORE_INFINITE), SCORE_INFINITE);
    EXPECT_EQ(negate_bound(SCORE_NOT_COMPUTED), SCORE_NOT_COMPUTED);
    // A child score s beats the child bound b exactly when the parent's view of s beats the
    // bound b was made from: the window survives the mate shift.
    // (30999 and 31000 both become -30999 in the parent: the boundary itself is left out.)
    for (int b : {-31990, -31001, -30998, -50, 0, 50, 30998, 31001, 31990})
        for (int s = -32000; s <= 32000; s += 7) {
            if (s == negate_bound(b) || s == 30999 || s == 31000 || s == -30999 || s == -31000)
                continue;
            EXPECT_EQ(s > negate_bound(b), negate_score(s) < b) << "b " << b << " s " << s;
        }
}

// --- Mates ----------------------------------------------------------------------------------

TEST_F(Searching, MateInOneTwoAndThreeScoreByTheirDistance) {
    struct Tcase {
        const char* fen;
        const char* from;
        const char* to;
        int         score;
    };
    const Tcase cases[] = {
        {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -", "d1", "d8", MATE_IN_ONE},
        {"r5k1/5ppp/8/8/8/8/3R1PPP/3R2K1 w - -", "d2", "d8", MATE_IN_TWO},
        {"rr4k1/5ppp/8/8/8/3Q4/3R1PPP/3R2K1 w - -", "d3", "d8", MATE_IN_THREE},
    };
    for (const Tcase& c : cases) {
        const Move best = think(c.fen, 5);
        EXPECT_EQ(best, move(c.from, c.to)) << c.fen;
        EXPECT_EQ(root_score(), c.score) << c.fen;
        EXPECT_EQ(search.iteration_bound[search.last_iteration], BOUND_EXACT) << c.fen;
        // Outside a game a mate found does not stop the search before its depth.
        EXPECT_EQ(search.last_iteration, 5) << c.fen;
        EXPECT_EQ(search.abort_reason, ABORT_DEPTH_LIMIT) << c.fen;
    }
}

TEST_F(Searching, BeingMatedScoresFromTheLosersSide) {
    const Move best = think("k7/8/1K6/8/8/8/8/7R b - -", 4);
    EXPECT_EQ(best, move("a8", "b8")); // the only move
    EXPECT_EQ(root_score(), -31998);
}

TEST_F(Searching, InAGameAMateFoundStopsAtTheThirdIteration) {
    config.time_left = config.otim_left = 100000;
    ASSERT_TRUE(set_position("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -"));
    EXPECT_EQ(think(10, 1), move("d1", "d8"));
    EXPECT_EQ(search.last_iteration, 3);
}

TEST_F(Searching, CheckmatedOrStalematedRootHasNoMove) {
    EXPECT_EQ(think("R5k1/5ppp/8/8/8/8/8/6K1 b - -", 3), 0u);
    EXPECT_EQ(search.records[0].eval_score, SCORE_MATED);
    EXPECT_EQ(root.eval_score, SCORE_MATED); // copied back to the caller's record
    EXPECT_EQ(root.eval_flags, BOUND_EXACT | FLAG_TERMINAL);
    EXPECT_EQ(root_score(), SCORE_MATED);

    EXPECT_EQ(think("5k2/5P2/5K2/8/8/8/8/8 b - -", 3), 0u);
    EXPECT_EQ(root_score(), 0);
    EXPECT_EQ(root.eval_flags, BOUND_EXACT | FLAG_TERMINAL);
}

// --- Draws ----------------------------------------------------------------------------------

TEST_F(Searching, StalemateInTheTreeScoresAsADraw) {
    // White, lost, gives its rook away: Rb8+ Kxb8 and White has no move left.
    const Move best = think("k7/pR6/1p6/8/8/7p/5q1P/7K w - -", 3);
    EXPECT_EQ(best, move("b7", "b8"));
    EXPECT_EQ(root_score(), 0);
    EXPECT_EQ(entry(best).flags, BOUND_EXACT | FLAG_TERMINAL);
}

TEST_F(Searching, PerpetualCheckOnTheLineIsADraw) {
    // A queen and a rook down, White checks for ever on e8 and h5.
    const Move best = think("6k1/6p1/8/8/r7/2q5/4QPPP/7K w - -", 5);
    EXPECT_EQ(best, move("e2", "e8"));
    EXPECT_EQ(root_score(), 0);
    EXPECT_TRUE(entry(best).flags & FLAG_DRAW_RULE);
}

TEST_F(Searching, PositionOfTheGameHistoryIsADrawInAGame) {
    config.time_left = config.otim_left = 100000;
    const char* fen = "r5k1/5ppp/8/8/8/8/3R1PPP/3R2K1 w - -"; // Rd8+ mates in two
    ASSERT_TRUE(set_position(fen));
    const Move rd8 = move("d2", "d8");

    // The position after Rd8+ stood on the board two plies before the root.
    search_test::Tline line;
    ASSERT_TRUE(line.setup(fen, 4));
    line.play(rd8);
    const uint64_t after_rd8 = board_state.hash_key;
    line.unwind();
    ASSERT_TRUE(set_position(fen, 4));
    root.halfmove_clock = 10;
    board_state.key_history[3] = after_rd8;
    board_state.key_history[2] = board_state.key_history[1] = board_state.key_history[0] = 0;

    const Move best = think(4, 1);
    EXPECT_NE(best, rd8);
    EXPECT_EQ(entry(rd8).score, 0);
    EXPECT_TRUE(entry(rd8).flags & FLAG_DRAW_RULE);
    EXPECT_GT(root_score(), 300);

    // Outside a game the history does not count.
    ASSERT_TRUE(set_position(fen, 4));
    root.halfmove_clock = 10;
    board_state.key_history[3] = after_rd8;
    EXPECT_EQ(think(4, 0), rd8);
    EXPECT_EQ(root_score(), MATE_IN_TWO);
}

TEST_F(Searching, FiftyMoveRuleDrawsQuietMovesButNotMate) {
    // King and rook against king: winning, until the clock says 99.
    ASSERT_TRUE(set_position("8/8/8/4k3/8/8/8/R3K3 w - -"));
    think(4);
    EXPECT_GT(root_score(), 400);

    ASSERT_TRUE(set_position("8/8/8/4k3/8/8/8/R3K3 w - -"));
    root.halfmove_clock = 99;
    think(4);
    EXPECT_EQ(root_score(), 0);

    // The hundredth half-move may still mate.
    ASSERT_TRUE(set_position("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -"));
    root.halfmove_clock = 99;
    EXPECT_EQ(think(3), move("d1", "d8"));
    EXPECT_EQ(root_score(), MATE_IN_ONE);

    // At 100 the root itself is drawn: no move, the draw score.
    ASSERT_TRUE(set_position("8/8/8/4k3/8/8/8/R3K3 w - -"));
    root.halfmove_clock = 100;
    EXPECT_EQ(think(3), 0u);
    EXPECT_EQ(root.eval_score, 0);
}

TEST_F(Searching, BareKingsAreADrawWithTheTablebasesOn) {
    const char* fen = "8/8/4k3/8/8/8/3K4/8 w - -";
    config.USE_TB   = 1;
    think(fen, 3);
    EXPECT_EQ(root_score(), 0);
    for (int i = 0; i < search.nb_root_moves; ++i) {
        EXPECT_EQ(search.root_moves[i].score, 0);
        EXPECT_EQ(search.root_moves[i].flags & (BOUND_MASK | FLAG_TERMINAL), BOUND_EXACT | FLAG_TERMINAL);
    }
    // Without them the evaluation speaks, and nothing is marked as known exactly.
    config.USE_TB = 0;
    think(fen, 3);
    for (int i = 0; i < search.nb_root_moves; ++i)
        EXPECT_FALSE(search.root_moves[i].flags & FLAG_TERMINAL);
}

// --- Think driver ---------------------------------------------------------------------------

TEST_F(Searching, IterationsRunToTheLimitAndKeepTheirFigures) {
    const Move best = think(BENCHMARK_POSITIONS[2], 4);
    EXPECT_NE(best, 0u);
    EXPECT_EQ(search.last_iteration, 4);
    EXPECT_EQ(search.iteration_best[4], best);
    for (int d = 1; d <= 4; ++d) {
        EXPECT_GT(search.iteration_nodes[d], 0) << d;
        EXPECT_NE(search.iteration_score[d], SCORE_NOT_COMPUTED) << d;
        EXPECT_GE(search.iteration_end[d], search.iteration_start[d]) << d;
    }
    EXPECT_EQ(search.iteration_score[5], SCORE_NOT_COMPUTED);
    EXPECT_EQ(search.node_counter, 0);
    // The root list comes out sorted: the best move first, every entry searched at the last depth.
    EXPECT_EQ(search.root_moves[0].move, best);
    for (int i = 0; i < search.nb_root_moves; ++i)
        EXPECT_EQ(search.root_moves[i].depth, 4);
    for (int i = 1; i < search.nb_root_moves; ++i) {
        const bool bounded_above = (search.root_moves[i].flags & BOUND_MASK) == BOUND_UPPER;
        EXPECT_TRUE(bounded_above || search.root_moves[0].score >= search.root_moves[i].score) << i;
    }
    // The predicted reply is the second move of the line in the table.
    EXPECT_NE(search.predicted_reply, 0u);
}

TEST_F(Searching, DepthLimitIsBoundedBySettings) {
    config.max_sd = 3;
    think(BENCHMARK_POSITIONS[4], 0); // 0: max_sd
    EXPECT_EQ(search.last_iteration, 3);
    think(BENCHMARK_POSITIONS[4], 8);
    EXPECT_EQ(search.last_iteration, 3);
    config.min_sd = 2;
    think(BENCHMARK_POSITIONS[4], 1);
    EXPECT_EQ(search.last_iteration, 2);
}

TEST_F(Searching, OneLegalMoveInAGameStopsAfterIterationFive) {
    config.time_left = config.otim_left = 100000;
    ASSERT_TRUE(set_position("k7/8/1K6/8/8/8/8/7R b - -"));
    const Move only = move("a8", "b8");
    EXPECT_EQ(think(9, 1), only);
    EXPECT_EQ(search.last_iteration, 5);
    EXPECT_EQ(search.abort_reason, ABORT_TIME);
    EXPECT_NE(printed.find("Brelok has used less time because there is only one legal move\n"), std::string::npos);
    // Outside a game it searches on.
    ASSERT_TRUE(set_position("k7/8/1K6/8/8/8/8/7R b - -"));
    EXPECT_EQ(think(6, 0), only);
    EXPECT_EQ(search.last_iteration, 6);
}

TEST_F(Searching, InAGameNoIterationStartsAfterTwoThirdsOfTheTime) {
    config.time_left = config.otim_left = 100000;
    ASSERT_TRUE(set_position(BENCHMARK_POSITIONS[4]));
    // A budget spent before the search starts: the clock reads in milliseconds, so only a
    // negative one is sure to be past its two thirds when the first iteration ends. (A tick may
    // stop that iteration first; it is the last one either way.)
    testing::internal::CaptureStdout();
    search.think(root, 1, 0, 9, -1.0, 0, nullptr, 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(search.last_iteration, 1);
    EXPECT_EQ(search.abort_reason, ABORT_TIME);
    EXPECT_EQ(out.find("has used less time"), std::string::npos) << out;
}

TEST_F(Searching, KBestModeReportsTheBestMovesInTurn) {
    config.K_BEST_MODE = 3;
    config.noise       = 3;
    ASSERT_TRUE(set_position("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -"));
    const Move best = think(3);
    // The mate first, then two more, the third followed by the summary of all three.
    const std::string mate = short_text(move("d1", "d8"));
    EXPECT_NE(printed.find(" 3.1 Mat01    0  KMODE=3  " + mate + "\n"), std::string::npos) << printed;
    const size_t summary = printed.rfind(" 3.1 Mat01");
    ASSERT_NE(summary, std::string::npos);
    EXPECT_NE(printed.find(" 3.2 ", summary), std::string::npos) << printed;
    EXPECT_NE(printed.find(" 3.3 ", summary), std::string::npos) << printed;
    EXPECT_EQ(search.nb_excluded, 3);
    EXPECT_EQ(search.excluded_moves[0], move("d1", "d8"));
    // The search still gives the best move back, with its score.
    EXPECT_EQ(best, move("d1", "d8"));
    EXPECT_EQ(root_score(), MATE_IN_ONE);
    EXPECT_NE(printed.find(" 3-> Mat01    0 "), std::string::npos) << printed;
}

// --- Determinism ----------------------------------------------------------------------------

// The benchmark positions searched twice, with other searches between, give the same nodes:
// nothing a search leaves behind reaches the next one.
TEST_F(Searching, BenchmarkNodeCountsRepeat) {
    constexpr int DEPTH = 4;
    int64_t       first[NB_BENCHMARK_POSITIONS];
    testing::internal::CaptureStdout();
    for (int i = 0; i < NB_BENCHMARK_POSITIONS; ++i)
        first[i] = bench_position(i, DEPTH).nodes;
    // Something else in between: tables full of another position, other killers and history.
    ASSERT_TRUE(set_position("rr4k1/5ppp/8/8/8/3Q4/3R1PPP/3R2K1 w - -"));
    search.think(root, 0, 0, 5, 0, 0, nullptr, 0);
    for (int i = NB_BENCHMARK_POSITIONS - 1; i >= 0; --i)
        EXPECT_EQ(bench_position(i, DEPTH).nodes, first[i]) << "position " << i;
    testing::internal::GetCapturedStdout();
}

} // namespace
