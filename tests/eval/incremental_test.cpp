// The base score that make-move keeps incrementally equals the sum made from scratch after any
// sequence of moves: random walks from every suite position, and every move of positions full of
// promotions and castlings, with the working tables adjusted for the root side.
#include <gtest/gtest.h>

#include "eval/psqt.h"
#include "eval_positions.h"

namespace {

bool base_score_right(const Tboarddata& node) {
    return node.base_score == base_score_from_scratch(node.phase, node.side_to_move());
}

TEST(EvalIncremental, RandomWalksFromPerftSuiteAndBratkoKopec) {
    const int visited = for_each_walked_node(8, 60, true, [](Tboarddata& node, std::mt19937&) {
        ASSERT_TRUE(base_score_right(node)) << node.get_fen() << " at ply " << board_state.ply;
    });
    EXPECT_GT(visited, 1000);
}

TEST(EvalIncremental, EveryMoveOfPositionsWithPromotions) {
    const std::string fen = "r3k2r/pPp1qpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PpPBBPPP/R3K2R w KQkq -";
    for (const std::string& position : {fen, mirror_fen(fen)}) {
        ASSERT_TRUE(setup_root(position));
        Tboarddata& root = eval_line[0];
        root.gen_legal();
        int promotions = 0;
        for (int i = 1; i <= root.nb_moves; ++i) {
            promotions += is_promotion_kind(move_kind(root.moves[i]));
            eval_line[1].make_child(root.moves[i], &root, false);
            EXPECT_TRUE(base_score_right(eval_line[1])) << position << " move " << i;
            unmake(root.moves[i], &root);
        }
        EXPECT_EQ(promotions, 8) << position;
    }
}

} // namespace
