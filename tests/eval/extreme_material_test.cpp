// Positions no game reaches but a FEN can hold: many promoted pieces, bare kings. They must
// evaluate without overflow or out-of-range reads (the sanitizer build checks the reads), with
// every window, and so must every position a few moves on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "eval/evaluate.h"
#include "eval_positions.h"

namespace {

const char* const EXTREME[] = {
    "7k/6pp/8/8/8/Q7/QQQQ4/QQQQK3 w - -",             // nine white queens
    "7k/6pp/8/8/8/Q7/QQQQ4/QQQQK3 b - -",
    "qqqqk3/qqqq4/q7/8/8/8/6PP/7K w - -",             // nine black queens
    "7k/8/8/8/NNNNN3/NNNNN3/8/4K3 w - -",             // ten white knights
    "4k3/8/nnnnn3/nnnnn3/8/8/8/4K3 b - -",            // ten black knights
    "8/8/8/4k3/8/8/8/4K3 w - -",                       // bare kings
    "k7/8/8/8/8/8/8/7K b - -",
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/BBBBKBBB w kq -", // seven bishops at home
    "bbbbkbbb/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQ -",
    "RRRRRRRk/8/8/8/8/8/8/K7 b - -",                   // rooks everywhere, in check once
    "1k6/8/8/8/8/8/8/QQQQQQQK b - -",
};

void check_score(const Tboarddata& node, int score) {
    EXPECT_LT(std::abs(score), 32000) << node.get_fen();
    const int kind = node.eval_flags & BOUND_MASK;
    EXPECT_TRUE(kind == BOUND_EXACT || kind == BOUND_UPPER || kind == BOUND_LOWER) << node.get_fen();
}

TEST(EvalExtremes, PromotedPiecesAndBareKings) {
    std::mt19937 rng(99);
    int          positions = 0;
    for (const char* fen : EXTREME) {
        ASSERT_TRUE(setup_root(fen)) << fen;
        ++positions;
        Tboarddata* node = &eval_line[0];
        for (int depth = 0; depth < 12; ++depth) {
            check_score(*node, evaluate(*node));
            for (const int window : {-32500, -5000, -100, 0, 100, 5000, 32500})
                check_score(*node, evaluate(*node, window - 1, window + 1));
            if (!play_random_move(node, rng))
                break;
        }
        for (; node != &eval_line[0]; --node)
            unmake(node->move, node - 1);
    }
    EXPECT_EQ(positions, int(std::size(EXTREME)));
}

TEST(EvalExtremes, BareKings) {
    // Kings on e1 and e8 stand on squares of equal value at an odd distance: only the tempo
    // of the side to move is left, and it is scaled like any advantage without pawns or
    // pieces other than knights: 10 x 12 / 60.
    ASSERT_TRUE(setup_root("4k3/8/8/8/8/8/8/4K3 w - -"));
    EXPECT_EQ(evaluate(eval_line[0]), 2);
    ASSERT_TRUE(setup_root("4k3/8/8/8/8/8/8/4K3 b - -"));
    EXPECT_EQ(evaluate(eval_line[0]), 2);
    EXPECT_EQ(eval_line[0].eval_flags, BOUND_EXACT | FLAG_SCALED);
}

} // namespace
