// The lazy cut-offs and the pawn hash are shortcuts: the first must never put the score on the
// wrong side of the window, the second must never change a score.
#include <gtest/gtest.h>

#include <random>

#include <cstdio>

#include "eval/evaluate.h"
#include "eval/terms.h"
#include "eval/hash_pawns.h"
#include "eval_positions.h"

namespace {

// Forgets everything the pawn hash knows about the current pawn structure: the table slot the
// evaluation would read and the current entry. The evaluation reads no other slot.
void forget_pawn_structure() {
    current_pawn_entry.clear();
    if (Tpawn_entry* slot = hash_pawns.slot(board_state.pawn_key))
        slot->clear();
}

// Calls visit(node) on every record of random walks from each position.
template <typename Visit>
void for_each_walked_node(const std::vector<std::string>& positions, int walks, int plies, Visit visit) {
    std::mt19937 rng(7);
    for (const std::string& fen : positions)
        for (int w = 0; w < walks; ++w) {
            if (!setup_root(fen))
                break;
            Tboarddata* node = &eval_line[0];
            visit(*node, rng);
            for (int depth = 0; depth < plies; ++depth) {
                if (!play_random_move(node, rng))
                    break;
                visit(*node, rng);
            }
            for (; node != &eval_line[0]; --node)
                unmake(node->move, node - 1);
        }
}

std::vector<std::string> walk_sources() {
    std::vector<std::string> positions = read_epd_positions(shared_data("perftsuite.epd"));
    for (const std::string& fen : read_epd_positions(shared_data("bratko_kopec.epd")))
        positions.push_back(fen);
    return positions;
}

TEST(EvalLazy, FullWindowNeverCuts) {
    int evaluated = 0;
    for_each_walked_node(walk_sources(), 2, 30, [&](Tboarddata& node, std::mt19937&) {
        evaluate(node);
        EXPECT_EQ(node.eval_flags & BOUND_MASK, BOUND_EXACT) << node.get_fen();
        ++evaluated;
    });
    EXPECT_GT(evaluated, 3000);
}

// What the lazy path leaves out: the tempo and the piece and king-attack evaluation.
int skipped_part(Tboarddata& node) {
    int danger[2];
    eval_terms::king_danger(node, current_pawn_entry, danger);
    return (board_state.ply % 2 == 0 ? 10 : 0) + eval_terms::pieces(node, current_pawn_entry, danger);
}

// Whenever the lazy path cuts, the full evaluation lies on the same side of the window, unless
// the part the cut leaves out is larger than the lazy margin of 100: the margin is a bet, and
// this test counts how often it is lost.
TEST(EvalLazy, CutsAgreeWithTheFullEvaluation) {
    int cuts = 0, agreeing = 0, windows = 0, beyond_margin = 0;
    for_each_walked_node(walk_sources(), 3, 40, [&](Tboarddata& node, std::mt19937& rng) {
        const int full = evaluate(node);
        for (int k = 0; k < 4; ++k) {
            const int alpha = full + int(rng() % 1201) - 600;
            const int beta  = alpha + 1 + int(rng() % 200);
            const int lazy  = evaluate(node, alpha, beta);
            ++windows;
            const int kind = node.eval_flags & BOUND_MASK;
            if (kind == BOUND_EXACT) {
                EXPECT_EQ(lazy, full) << node.get_fen();
                continue;
            }
            ++cuts;
            const bool below = kind == BOUND_UPPER;
            if (below) {
                EXPECT_LT(lazy, alpha);
            } else {
                EXPECT_GT(lazy, beta);
                EXPECT_EQ(node.second_score, lazy + 100 - beta);
            }
            if (below ? full <= alpha : full >= beta) {
                ++agreeing;
                continue;
            }
            const int skipped = skipped_part(node);
            EXPECT_TRUE(below ? skipped >= 100 : skipped <= -100)
                << node.get_fen() << " window " << alpha << ", " << beta << " lazy " << lazy
                << " full " << full << " skipped " << skipped;
            ++beyond_margin;
        }
    });
    EXPECT_GT(cuts, 2000);
    EXPECT_GT(windows, 10000);
    // The margin holds for the great majority of cuts.
    EXPECT_GT(agreeing, cuts * 95 / 100);
    printf("%d windows, %d lazy cuts, %d with the full score on the other side\n", windows, cuts,
           beyond_margin);
}

TEST(EvalPawnHash, ClearedTableGivesTheSameScores) {
    int compared = 0;
    for_each_walked_node(walk_sources(), 2, 40, [&](Tboarddata& node, std::mt19937& rng) {
        const int     alpha       = int(rng() % 801) - 400;
        const int     warm        = evaluate(node, alpha, alpha + 50);
        const uint8_t warm_flags  = node.eval_flags;
        const int     warm_second = node.second_score;
        forget_pawn_structure();
        const int cold = evaluate(node, alpha, alpha + 50);
        EXPECT_EQ(warm, cold) << node.get_fen();
        EXPECT_EQ(warm_flags, node.eval_flags) << node.get_fen();
        if ((warm_flags & BOUND_MASK) == BOUND_LOWER) {
            EXPECT_EQ(warm_second, node.second_score);
        }
        ++compared;
    });
    EXPECT_GT(compared, 3000);
}

// The same pawns met first in the middle game and then in the endgame: the endgame slot is
// computed once, the middle-game one kept.
TEST(EvalPawnHash, SlotsArePerPhase) {
    const std::string middle  = "r1bq1rk1/pp3ppp/2n2n2/3p4/3P4/2N2N2/PP3PPP/R1BQ1RK1 w - -";
    const std::string endgame = "6k1/pp3ppp/8/3p4/3P4/8/PP3PPP/6K1 w - -";
    hash_pawns.clear();
    ASSERT_TRUE(setup_root(middle));
    const int middle_phase = eval_line[0].phase;
    ASSERT_NE(middle_phase, 2);
    evaluate(eval_line[0]);
    const uint64_t key = board_state.pawn_key;
    ASSERT_NE(hash_pawns.slot(key), nullptr);
    const Tpawn_entry stored = *hash_pawns.slot(key);
    EXPECT_EQ(stored.key, key);
    EXPECT_NE(stored.pawn_score[middle_phase], SCORE_NOT_COMPUTED);
    EXPECT_EQ(stored.pawn_score[2], SCORE_NOT_COMPUTED);

    ASSERT_TRUE(setup_root(endgame)); // clears the current entry, as the search start does
    ASSERT_EQ(eval_line[0].phase, 2);
    ASSERT_EQ(board_state.pawn_key, key);
    const uint64_t before = eval_stats.pawn_evals;
    evaluate(eval_line[0]);
    evaluate(eval_line[0]);
    EXPECT_EQ(eval_stats.pawn_evals, before + 1);
    const Tpawn_entry& both = *hash_pawns.slot(key);
    EXPECT_EQ(both.pawn_score[middle_phase], stored.pawn_score[middle_phase]);
    EXPECT_EQ(both.passed_score[middle_phase], stored.passed_score[middle_phase]);
    EXPECT_NE(both.pawn_score[2], SCORE_NOT_COMPUTED);
    EXPECT_NE(both.passed_score[2], SCORE_NOT_COMPUTED);
}

TEST(EvalPawnHash, TableSizeIsAPowerOfTwoMegabytes) {
    Thashpawns table(2); // the default: no message, no settings change
    EXPECT_EQ(table.size_mb(), 2);
    EXPECT_EQ(table.nb_entries(), 29127);
    // The index is the magnitude of the signed high half, even for the most negative one.
    EXPECT_EQ(table.index_of(0x8000000000000000ULL), int32_t(0x80000000u % 29127u));
    EXPECT_EQ(table.index_of(0xFFFFFFFF00000000ULL), 1);
    EXPECT_EQ(table.index_of(uint64_t(29128) << 32), 1);
}

} // namespace
