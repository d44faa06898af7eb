// The base score that make-move keeps incrementally equals the sum made from scratch, after any
// sequence of moves: random walks from every suite position, with the working tables adjusted
// for the root side as at a search start.
#include <gtest/gtest.h>

#include <random>

#include "eval/psqt.h"
#include "eval_positions.h"

namespace {

// Walks `plies` random legal moves from the root, checking every record on the way down and
// again on the way back up. Returns the number of records checked.
int random_walk(std::mt19937& rng, int plies, std::string& failure) {
    int         checked = 0;
    Tboarddata* node    = &eval_line[0];
    int         depth   = 0;
    for (; depth < plies && depth + 1 < EVAL_LINE_RECORDS; ++depth) {
        if (!play_random_move(node, rng))
            break;
        ++checked;
        const int scratch = base_score_from_scratch(node->phase, node->side_to_move());
        if (node->base_score != scratch && failure.empty())
            failure = node->get_fen() + " after " + std::to_string(depth + 1) + " plies: incremental "
                    + std::to_string(node->base_score) + ", from scratch " + std::to_string(scratch);
    }
    for (; node != &eval_line[0]; --node) {
        unmake(node->move, node - 1);
        const Tboarddata& parent = node[-1];
        const int scratch = base_score_from_scratch(parent.phase, parent.side_to_move());
        if (parent.base_score != scratch && failure.empty())
            failure = parent.get_fen() + " after unmake";
    }
    return checked;
}

void walk_from_all(const std::vector<std::string>& positions, int walks, int plies) {
    std::mt19937 rng(20240607);
    int          checked = 0;
    std::string  failure;
    for (const std::string& fen : positions) {
        for (int w = 0; w < walks && failure.empty(); ++w) {
            if (!setup_root(fen))
                break;
            ASSERT_EQ(eval_line[0].base_score,
                      base_score_from_scratch(eval_line[0].phase, eval_line[0].side_to_move()));
            checked += random_walk(rng, plies, failure);
        }
    }
    EXPECT_TRUE(failure.empty()) << failure;
    EXPECT_GT(checked, 1000);
}

TEST(EvalIncremental, RandomWalksFromPerftSuite) {
    walk_from_all(read_epd_positions(shared_data("perftsuite.epd")), 8, 60);
}

TEST(EvalIncremental, RandomWalksFromBratkoKopec) {
    walk_from_all(read_epd_positions(shared_data("bratko_kopec.epd")), 20, 60);
}

// Promotions (with and without capture) and castling touch the base score in their own way;
// the mirror image does the same for Black.
TEST(EvalIncremental, EveryMoveOfPositionsWithPromotions) {
    const std::string fen = "r3k2r/pPp1qpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PpPBBPPP/R3K2R w KQkq -";
    for (const std::string& position : {fen, mirror_fen(fen)}) {
        ASSERT_TRUE(setup_root(position));
        Tboarddata& root = eval_line[0];
        root.gen_legal();
        ASSERT_GT(root.nb_moves, 40);
        int promotions = 0;
        for (int i = 1; i <= root.nb_moves; ++i) {
            const Move m = root.moves[i];
            promotions += is_promotion_kind(move_kind(m));
            eval_line[1].make_child(m, &root, false);
            EXPECT_EQ(eval_line[1].base_score,
                      base_score_from_scratch(eval_line[1].phase, eval_line[1].side_to_move()))
                << position << " move " << i;
            unmake(m, &root);
        }
        EXPECT_EQ(promotions, 8) << position;
    }
}

// The working tables: the root side's middle-game knights avoid the rim and the enemy's back
// rank; the other side's table keeps the base values.
TEST(EvalTables, KnightTableAdjustedForTheRootSide) {
    constexpr int MIDDLE = 1;
    refresh_piece_square_tables(WHITE);
    const auto& white = piece_square[WHITE][KNIGHT][MIDDLE];
    EXPECT_EQ(white[56], -225); // a8
    EXPECT_EQ(white[63], -225); // h8
    EXPECT_EQ(white[57], -100); // b8
    EXPECT_EQ(white[49], -100); // b7
    EXPECT_EQ(white[58], -30);  // c8
    EXPECT_EQ(white[24], -30);  // a4
    EXPECT_EQ(white[27], 6);    // d4 keeps its base value
    EXPECT_EQ(white[50], 6);    // c7 too
    EXPECT_EQ(piece_square[WHITE][KNIGHT][0][56], -80); // other phases untouched
    // Black's table is the base one, mirrored: b8 is Black's b1.
    EXPECT_EQ(piece_square[BLACK][KNIGHT][MIDDLE][57], -15);
    EXPECT_EQ(piece_square[BLACK][KNIGHT][MIDDLE][0], -80);

    refresh_piece_square_tables(BLACK);
    EXPECT_EQ(piece_square[BLACK][KNIGHT][MIDDLE][0], -225); // a1
    EXPECT_EQ(piece_square[BLACK][KNIGHT][MIDDLE][9], -100); // b2
    EXPECT_EQ(piece_square[BLACK][KNIGHT][MIDDLE][3], -30);  // d1
    EXPECT_EQ(piece_square[WHITE][KNIGHT][MIDDLE][56], -80);
    init_piece_square_tables();
}

// A few table entries read through the colours: Black's value at s is White's at s ^ 56.
TEST(EvalTables, BlackReadsTheMirroredSquare) {
    init_piece_square_tables();
    EXPECT_EQ(piece_square[WHITE][PAWN][0][11], -5);  // d2, opening
    EXPECT_EQ(piece_square[BLACK][PAWN][0][51], -5);  // d7
    EXPECT_EQ(piece_square[WHITE][PAWN][0][13], 5);   // f2: the table is not symmetric by file
    EXPECT_EQ(piece_square[WHITE][KING][2][27], 50);  // d4, endgame
    EXPECT_EQ(piece_square[WHITE][KING][2][35], 60);  // d5
    EXPECT_EQ(piece_square[BLACK][KING][2][35], 50);  // d5 is Black's d4
    EXPECT_EQ(piece_square[WHITE][KING][1][27], 0);
    EXPECT_EQ(piece_square[WHITE][ROOK][0][48], 15);  // a7
    EXPECT_EQ(piece_square[BLACK][ROOK][0][8], 15);   // a2
    EXPECT_EQ(piece_square[WHITE][QUEEN][1][1], -10); // b1
    EXPECT_EQ(rook_outpost[WHITE][50], 30);           // c7
    EXPECT_EQ(knight_outpost[BLACK][19], 25);         // d3 is Black's d6
}

} // namespace
