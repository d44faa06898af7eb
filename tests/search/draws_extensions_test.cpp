// Draw rules and extensions: repetitions on the line and in the game, the contempt cases of the
// draw score (data/draw_scores.txt), and the extensions of the last move (data/extensions.txt).
#include <gtest/gtest.h>

#include "base/config.h"
#include "base/data_rows.h"
#include "base/keep_values.h"
#include "eval/root_snapshot.h"
#include "line_fixture.h"
#include "search/draws.h"
#include "search/extensions.h"
#include "search/search.h"

namespace {

using search_test::Tline;

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

class Rules : public ::testing::Test {
  protected:
    void snapshot_root() {
        const Tboard& b    = board_state;
        root_snapshot.side = line.records[0].side;
        root_snapshot.white_balance =
            (b.nb_pawns[WHITE] - b.nb_pawns[BLACK]) * 100 + b.piece_material[WHITE] - b.piece_material[BLACK];
    }
    void play(const std::string& moves, int kind = 0) {
        for (const std::string& m : words(moves))
            line.play(m.substr(0, 2).c_str(), m.substr(2, 2).c_str(), kind);
    }
    Tkeep saved{config.in_game,        config.DRAW_SCORE,   config.time_left,     config.otim_left,
                config.fixed_per_move, config.analyze_mode, config.opponent_name, search.ratings[0],
                search.ratings[1],     root_snapshot,       board_state.game_ply};
    Tline line; // unwound before the settings are put back
};

TEST_F(Rules, RepetitionOnTheLineWithinTheClock) {
    config.in_game = 0;
    ASSERT_TRUE(line.setup(START));
    play("g1f3 g8f6");
    EXPECT_FALSE(check_repetition(line.node()));
    play("f3g1 f6g8");
    ASSERT_TRUE(check_repetition(line.node()));
    EXPECT_EQ(line.node().eval_score, 0);
    EXPECT_EQ(line.node().eval_flags, BOUND_EXACT | FLAG_DRAW_RULE);
    line.node().halfmove_clock = 3; // the start position lies beyond the clock
    EXPECT_FALSE(check_repetition(line.node()));
    // Two null moves in a row come back to the position before them, and what follows them is
    // compared only with what follows them.
    ASSERT_TRUE(line.setup(START));
    play("g1f3");
    line.play(NULL_MOVE);
    line.play(NULL_MOVE);
    EXPECT_FALSE(check_repetition(line.node()));
    play("g8f6 f3g1 f6g8");
    EXPECT_FALSE(check_repetition(line.node()));
    play("g1f3");
    EXPECT_TRUE(check_repetition(line.node()));
}

TEST_F(Rules, GameHistoryNeedsTwoOccurrencesAtTheRootOneBelow) {
    constexpr int GAME_PLY = 8;
    ASSERT_TRUE(line.setup(START, GAME_PLY));
    config.in_game     = 1;
    const uint64_t key = board_state.hash_key;
    for (int i = 0; i < GAME_PLY; ++i)
        board_state.key_history[i] = 0x1234 + uint64_t(i);
    line.node().halfmove_clock = GAME_PLY;
    board_state.key_history[4] = key;
    EXPECT_FALSE(check_repetition(line.node()));
    board_state.key_history[0] = key;
    EXPECT_TRUE(check_repetition(line.node()));
    line.node().halfmove_clock = 5; // reaches back to index 2 only
    EXPECT_FALSE(check_repetition(line.node()));
    line.node().halfmove_clock = GAME_PLY;
    play("g1f3"); // one ply below the root, one occurrence an odd number of plies back is enough
    board_state.key_history[GAME_PLY - 1] = board_state.hash_key;
    EXPECT_TRUE(check_repetition(line.node()));
    config.in_game = 0; // the game history is only looked at in a game
    EXPECT_FALSE(check_repetition(line.node()));
    config.in_game = 1; // nor through a null move
    line.unwind();
    line.play(NULL_MOVE);
    line.play(NULL_MOVE);
    EXPECT_FALSE(check_repetition(line.node()));
}

// position | moves | in game, analysing, DRAW_SCORE, time, otim[, fixed per move] | opponent,
// ratings, root side |
// draw score at the node reached.
TEST_F(Rules, DrawScores) {
    for (const Trow& row : read_rows("search/data/draw_scores.txt")) {
        ASSERT_TRUE(line.setup(row[0].c_str())) << row.where;
        const std::vector<std::string> s = words(row[2]), o = words(row[3]);
        config.in_game        = std::stoi(s[0]);
        config.analyze_mode   = uint8_t(std::stoi(s[1]));
        config.DRAW_SCORE     = std::stoi(s[2]);
        config.time_left      = std::stoi(s[3]);
        config.otim_left      = std::stoi(s[4]);
        config.fixed_per_move = s.size() > 5 ? std::stoi(s[5]) : 0;
        config.opponent_name  = o.empty() || o[0] == "-" ? "" : o[0];
        search.ratings[0]     = o.size() > 2 ? std::stoi(o[1]) : 0;
        search.ratings[1]     = o.size() > 2 ? std::stoi(o[2]) : 0;
        root_snapshot.side    = o.size() > 3 && o[3] == "b" ? BLACK : WHITE;
        play(row[1]);
        draw_score(line.node());
        EXPECT_EQ(line.node().eval_score, row.number(4)) << row.where;
    }
}

// position | moves (a promotion's kind given after them) | extension in plies.
TEST_F(Rules, ExtensionOfTheLastMove) {
    for (const Trow& row : read_rows("search/data/extensions.txt")) {
        ASSERT_TRUE(line.setup(row[0].c_str())) << row.where;
        snapshot_root();
        play(row[1], row[2].empty() ? 0 : std::stoi(row[2]));
        EXPECT_EQ(extension(line.node(), -SCORE_INFINITE), row.number(3) * ONE_PLY) << row.where;
    }
    line.node().depth = -100 * ONE_PLY; // quiescence: never
    EXPECT_EQ(extension(line.node(), 0), 0);
}

TEST_F(Rules, WinningRecaptureFlagsACombination) {
    constexpr const char* FEN = "r1bq1rk1/ppp2ppp/8/3p4/8/2N5/PPP2PPP/R1B2RK1 w - -";
    ASSERT_TRUE(line.setup(FEN));
    snapshot_root();
    play("c3d5 d8d5");
    EXPECT_EQ(extension(line.node(), 0), 0);
    ASSERT_TRUE(line.node().castle & CASTLE_COMBINATION_FLAG);
    // The forcing line goes on: an extended node gains a ply for each of its two elders that was
    // not extended.
    play("a1b1");
    line.node().castle |= CASTLE_EXTENDED_FLAG;
    EXPECT_EQ(combination_extension(line.node()), 2 * ONE_PLY);
    line.records[2].castle |= CASTLE_EXTENDED_FLAG;
    EXPECT_EQ(combination_extension(line.node()), ONE_PLY);
    line.records[1].castle |= CASTLE_EXTENDED_FLAG;
    EXPECT_EQ(combination_extension(line.node()), 0);
    // Material already far ahead of the root: no combination.
    ASSERT_TRUE(line.setup(FEN));
    snapshot_root();
    root_snapshot.white_balance = 0;
    play("c3d5 d8d5");
    extension(line.node(), 0);
    EXPECT_FALSE(line.node().castle & CASTLE_COMBINATION_FLAG);
}

} // namespace
