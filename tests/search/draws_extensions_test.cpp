// Draw rules and extensions: repetitions on the line and in the game, the contempt cases of the
// draw score, and the extensions of checks, promotions, recaptures and endgame rook moves.
#include <gtest/gtest.h>

#include <string>

#include "eval/root_snapshot.h"
#include "base/config.h"
#include "interface/game.h"
#include "line_fixture.h"
#include "search/draws.h"
#include "search/extensions.h"

namespace {

using search_test::Tline;

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// The settings and game fields these rules read, put back after each test.
struct Tsaved_state {
    int            in_game = config.in_game, draw = config.DRAW_SCORE, time = config.time_left, otim = config.otim_left;
    uint8_t        analyze  = config.analyze_mode;
    std::string    name     = config.opponent_name;
    int            ratings[2] = {search.ratings[0], search.ratings[1]};
    Troot_snapshot snapshot   = root_snapshot;

    ~Tsaved_state() {
        board_state.game_ply = 0;
        config.in_game       = in_game;
        config.DRAW_SCORE    = draw;
        config.time_left     = time;
        config.otim_left     = otim;
        config.analyze_mode  = analyze;
        config.opponent_name = name;
        search.ratings[0] = ratings[0];
        search.ratings[1] = ratings[1];
        root_snapshot        = snapshot;
    }
};

class Rules : public ::testing::Test {
  protected:
    // A game with clocks that trigger nothing.
    static void in_game_with_clocks(int draw_setting) {
        config.in_game      = 1;
        config.analyze_mode = 0;
        config.DRAW_SCORE   = draw_setting;
        config.time_left    = 6000;
        config.otim_left    = 5000;
        config.opponent_name.clear();
    }
    void snapshot_root() {
        const Tboard& b             = board_state;
        root_snapshot.side          = line.records[0].side;
        root_snapshot.white_balance = (b.nb_pawns[WHITE] - b.nb_pawns[BLACK]) * 100 + b.piece_material[WHITE]
                                    - b.piece_material[BLACK];
    }
    int draw_at_node() {
        draw_score(line.node());
        return line.node().eval_score;
    }

    Tsaved_state saved; // destroyed after the line has been unwound
    Tline        line;
};

// ---------------------------------------------------------------------------------------------
// Repetition

TEST_F(Rules, RepetitionOnTheLineWithinTheClock) {
    config.in_game = 0;
    ASSERT_TRUE(line.setup(START));
    line.play("g1", "f3");
    line.play("g8", "f6");
    EXPECT_FALSE(check_repetition(line.node()));
    line.play("f3", "g1");
    line.play("f6", "g8");
    ASSERT_TRUE(check_repetition(line.node()));
    EXPECT_EQ(line.node().eval_score, 0);
    EXPECT_EQ(line.node().eval_flags, BOUND_EXACT | FLAG_DRAW_RULE);
    // The start position lies beyond a clock of 3.
    line.node().halfmove_clock = 3;
    EXPECT_FALSE(check_repetition(line.node()));
}

TEST_F(Rules, GameHistoryNeedsTwoOccurrencesAtTheRootOneBelow) {
    constexpr int GAME_PLY = 8;
    ASSERT_TRUE(line.setup(START, GAME_PLY));
    in_game_with_clocks(0);
    const uint64_t key = board_state.hash_key;
    for (int i = 0; i < GAME_PLY; ++i)
        board_state.key_history[i] = 0x1234 + uint64_t(i);
    line.node().halfmove_clock = GAME_PLY;

    board_state.key_history[4] = key;
    EXPECT_FALSE(check_repetition(line.node()));
    board_state.key_history[0] = key;
    EXPECT_TRUE(check_repetition(line.node()));
    // A clock of 5 reaches back to index 2 only.
    line.node().halfmove_clock = 5;
    EXPECT_FALSE(check_repetition(line.node()));

    // One ply below the root, one occurrence an odd number of plies before the root is enough.
    line.node().halfmove_clock = GAME_PLY;
    line.play("g1", "f3");
    board_state.key_history[GAME_PLY - 1] = board_state.hash_key;
    EXPECT_TRUE(check_repetition(line.node()));
    config.in_game = 0; // the game history is only looked at in a game
    EXPECT_FALSE(check_repetition(line.node()));
}

// ---------------------------------------------------------------------------------------------
// Draw score

TEST_F(Rules, MuchWeakerKnownOpponentMakesDrawsSlightlyBad) {
    ASSERT_TRUE(line.setup(START));
    in_game_with_clocks(0);
    config.opponent_name = "someone";
    search.ratings[0] = 2400;
    search.ratings[1] = 1700;
    root_snapshot.side   = WHITE;
    EXPECT_EQ(draw_at_node(), -20);
    line.play("e2", "e4");
    EXPECT_EQ(draw_at_node(), 20);
    line.unwind();
    root_snapshot.side = BLACK; // then the engine is the 1700
    EXPECT_EQ(draw_at_node(), 0);
    root_snapshot.side   = WHITE;
    search.ratings[1] = 1800; // a gap of 600 is not enough
    EXPECT_EQ(draw_at_node(), 0);
    search.ratings[1] = 1700;
    config.opponent_name.clear();
    EXPECT_EQ(draw_at_node(), 0);
}

TEST_F(Rules, ClocksAndSettings) {
    struct Tcase {
        int in_game, analyze, setting, time, otim, expected;
    };
    const Tcase cases[] = {
        {1, 0, 0, -1, -1, 300},      // no clock given
        {1, 0, 250, -1, -1, 300},
        {1, 0, 400, -1, -1, 400},
        {1, 0, 0, 1500, 1000, 100},  // our clock short
        {1, 0, 0, 3000, 5000, 100},  // fairly short, and the opponent's more than ours: unknown
        {1, 0, 0, 3000, 2000, 0},
        {1, 0, -50, 6000, 5000, -50},
        {1, 1, -50, 6000, 5000, 0},  // analysing
        {0, 0, -50, 6000, 5000, 0},  // not in a game
    };
    ASSERT_TRUE(line.setup(START));
    for (const Tcase& c : cases) {
        in_game_with_clocks(c.setting);
        config.in_game      = c.in_game;
        config.analyze_mode = uint8_t(c.analyze);
        config.time_left    = c.time;
        config.otim_left    = c.otim;
        EXPECT_EQ(draw_at_node(), c.expected) << c.setting << " " << c.time << " " << c.otim;
    }
    line.play("e2", "e4");
    EXPECT_EQ(draw_at_node(), 0);
    config.in_game = 1;
    config.DRAW_SCORE = 400;
    EXPECT_EQ(draw_at_node(), -400);

    // Refusing a draw with next to nothing left makes no sense.
    ASSERT_TRUE(line.setup("4k3/8/8/8/8/8/3PP3/R3K3 w - -"));
    ASSERT_EQ(line.node().phase, 2);
    in_game_with_clocks(-50);
    EXPECT_EQ(draw_at_node(), 0);
}

// ---------------------------------------------------------------------------------------------
// Extensions

TEST_F(Rules, ExtensionOfTheLastMove) {
    struct Tcase {
        const char* fen;
        const char* moves[2][2];
        int         kind, expected;
    };
    const Tcase cases[] = {
        {"6k1/3q4/8/1q6/8/8/3Q4/5RK1 w - -", {{"d2", "d7"}, {"b5", "d7"}}, 0, ONE_PLY}, // queen for queen
        {"3r4/p3k3/8/8/8/8/P7/3R2K1 w - -", {{"d1", "d8"}, {"e7", "d8"}}, 0, 3 * ONE_PLY}, // into a pawn ending
        {"4k3/8/2P5/8/8/8/8/4K3 w - -", {{"c6", "c7"}}, 0, ONE_PLY},
        {"4k3/8/8/8/8/2p5/8/K7 b - -", {{"c3", "c2"}}, 0, ONE_PLY},
        {"8/1P6/8/7k/8/8/8/4K3 w - -", {{"b7", "b8"}}, KIND_PROMO_QUEEN, ONE_PLY},
        {"7k/1P6/8/8/8/8/8/4K3 w - -", {{"b7", "b8"}}, KIND_PROMO_KNIGHT, 0},
        {"7k/1P6/8/8/8/8/8/4K3 w - -", {{"b7", "b8"}}, KIND_PROMO_ROOK, ONE_PLY}, // with check
        // Endgame rooks for the first rank, a pawn covering the square of their file.
        {"8/4P2k/8/8/8/8/8/K2R4 w - -", {{"d1", "d8"}}, 0, ONE_PLY},
        {"8/7k/8/8/8/8/8/K2R4 w - -", {{"d1", "d8"}}, 0, 0},
        {"6k1/4P3/R7/8/8/8/8/K7 w - -", {{"a6", "d6"}}, 0, ONE_PLY},
        {"8/4P2k/R7/8/8/8/8/K7 w - -", {{"a6", "d6"}}, 0, 0},
    };
    for (const Tcase& c : cases) {
        ASSERT_TRUE(line.setup(c.fen));
        snapshot_root();
        for (const auto& m : c.moves)
            if (m[0])
                line.play(m[0], m[1], c.kind);
        EXPECT_EQ(extension(line.node(), -SCORE_INFINITE), c.expected) << c.fen;
    }
    line.node().depth = -100 * ONE_PLY; // quiescence: never
    EXPECT_EQ(extension(line.node(), 0), 0);
}

TEST_F(Rules, WinningRecaptureFlagsACombination) {
    constexpr const char* FEN = "r1bq1rk1/ppp2ppp/8/3p4/8/2N5/PPP2PPP/R1B2RK1 w - -";
    ASSERT_TRUE(line.setup(FEN));
    ASSERT_NE(line.node().phase, 2);
    snapshot_root();
    line.play("c3", "d5");
    line.play("d8", "d5");
    EXPECT_EQ(extension(line.node(), 0), 0);
    ASSERT_TRUE(line.node().castle & CASTLE_COMBINATION_FLAG);

    // The forcing line goes on: an extended node after the combination gains a ply for each of
    // its two elders that was not extended.
    line.play("a1", "b1");
    Tboarddata& node = line.node();
    node.castle |= CASTLE_EXTENDED_FLAG;
    EXPECT_EQ(combination_extension(node), 2 * ONE_PLY);
    line.records[2].castle |= CASTLE_EXTENDED_FLAG;
    EXPECT_EQ(combination_extension(node), ONE_PLY);
    line.records[1].castle |= CASTLE_EXTENDED_FLAG;
    EXPECT_EQ(combination_extension(node), 0);

    // Material already far ahead of the root: no combination.
    ASSERT_TRUE(line.setup(FEN));
    snapshot_root();
    root_snapshot.white_balance = 0;
    line.play("c3", "d5");
    line.play("d8", "d5");
    extension(line.node(), 0);
    EXPECT_FALSE(line.node().castle & CASTLE_COMBINATION_FLAG);
}

} // namespace
