// The lazy cut-offs and the pawn hash are shortcuts: the first must never put the score on the
// wrong side of the window beyond its margin, the second must never change a score.
#include <gtest/gtest.h>

#include "eval/evaluate.h"
#include "eval/hash_pawns.h"
#include "eval/terms.h"
#include "eval_positions.h"

namespace {

// Whenever the lazy path cuts, the full evaluation lies on the same side of the window, unless
// the part the cut leaves out (the tempo, the pieces and king attacks) is larger than the lazy
// margin of 100. The full window never cuts.
TEST(EvalLazy, CutsAgreeWithTheFullEvaluation) {
    int       cuts = 0, agreeing = 0;
    const int visited = for_each_walked_node(3, 40, false, [&](Tboarddata& node, std::mt19937& rng) {
        const int full = evaluate(node);
        ASSERT_EQ(node.eval_flags & BOUND_MASK, BOUND_EXACT) << node.get_fen();
        for (int k = 0; k < 4; ++k) {
            const int alpha = full + int(rng() % 1201) - 600, beta = alpha + 1 + int(rng() % 200);
            const int lazy = evaluate(node, alpha, beta);
            const int kind = node.eval_flags & BOUND_MASK;
            if (kind == BOUND_EXACT) {
                EXPECT_EQ(lazy, full) << node.get_fen();
                continue;
            }
            ++cuts;
            const bool below = kind == BOUND_UPPER;
            EXPECT_TRUE(below ? lazy < alpha : lazy > beta && node.second_score == lazy + 100 - beta)
                << node.get_fen();
            if (below ? full <= alpha : full >= beta) {
                ++agreeing;
                continue;
            }
            int danger[2];
            eval_terms::king_danger(node, current_pawn_entry, danger);
            const int skipped =
                (board_state.ply % 2 == 0 ? 10 : 0) + eval_terms::pieces(node, current_pawn_entry, danger);
            EXPECT_TRUE(below ? skipped >= 100 : skipped <= -100)
                << node.get_fen() << " lazy " << lazy << " full " << full;
        }
    });
    EXPECT_GT(visited, 3000);
    EXPECT_GT(cuts, 2000);
    EXPECT_GT(agreeing, cuts * 95 / 100); // the margin holds for the great majority of cuts
}

TEST(EvalPawnHash, ClearedTableGivesTheSameScores) {
    const int visited = for_each_walked_node(2, 40, false, [&](Tboarddata& node, std::mt19937& rng) {
        const int     alpha = int(rng() % 801) - 400;
        const int     warm = evaluate(node, alpha, alpha + 50), warm_second = node.second_score;
        const uint8_t warm_flags = node.eval_flags;
        current_pawn_entry.clear(); // the evaluation reads no other slot than these two
        if (Tpawn_entry* slot = hash_pawns.slot(board_state.pawn_key))
            slot->clear();
        EXPECT_EQ(evaluate(node, alpha, alpha + 50), warm) << node.get_fen();
        EXPECT_EQ(node.eval_flags, warm_flags) << node.get_fen();
        EXPECT_TRUE((warm_flags & BOUND_MASK) != BOUND_LOWER || node.second_score == warm_second)
            << node.get_fen();
    });
    EXPECT_GT(visited, 3000);
}

// The same pawns met in the middle game, then in the endgame: the endgame slot is computed once,
// the middle-game one kept.
TEST(EvalPawnHash, SlotsArePerPhase) {
    hash_pawns.clear();
    ASSERT_TRUE(setup_root("r1bq1rk1/pp3ppp/2n2n2/3p4/3P4/2N2N2/PP3PPP/R1BQ1RK1 w - -"));
    const int middle = eval_line[0].phase;
    ASSERT_NE(middle, 2);
    evaluate(eval_line[0]);
    const uint64_t key = board_state.pawn_key;
    ASSERT_NE(hash_pawns.slot(key), nullptr);
    const Tpawn_entry stored = *hash_pawns.slot(key);
    EXPECT_EQ(stored.key, key);
    EXPECT_NE(stored.pawn_score[middle], SCORE_NOT_COMPUTED);
    EXPECT_EQ(stored.pawn_score[2], SCORE_NOT_COMPUTED);

    ASSERT_TRUE(setup_root("6k1/pp3ppp/8/3p4/3P4/8/PP3PPP/6K1 w - -")); // clears the current entry
    ASSERT_EQ(board_state.pawn_key, key);
    const uint64_t before = eval_stats.pawn_evals;
    evaluate(eval_line[0]);
    evaluate(eval_line[0]);
    EXPECT_EQ(eval_stats.pawn_evals, before + 1);
    const Tpawn_entry& both = *hash_pawns.slot(key);
    EXPECT_EQ(both.pawn_score[middle], stored.pawn_score[middle]);
    EXPECT_EQ(both.passed_score[middle], stored.passed_score[middle]);
    EXPECT_NE(both.pawn_score[2], SCORE_NOT_COMPUTED);
}

TEST(EvalPawnHash, TableSizeAndIndex) {
    Thashpawns table(2); // the default: no message, no settings change
    EXPECT_EQ(table.size_mb(), 2);
    EXPECT_EQ(table.nb_entries(), 29127);
    // The index is the magnitude of the signed high half, even for the most negative one.
    EXPECT_EQ(table.index_of(0x8000000000000000ULL), int32_t(0x80000000u % 29127u));
    EXPECT_EQ(table.index_of(0xFFFFFFFF00000000ULL), 1);
    EXPECT_EQ(table.index_of(uint64_t(29128) << 32), 1);
}

} // namespace
