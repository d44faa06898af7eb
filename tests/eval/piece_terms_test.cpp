// Piece placement and king safety: worked examples with exact values.
#include <gtest/gtest.h>

#include "eval/evaluate.h"
#include "eval/root_snapshot.h"
#include "eval/terms.h"
#include "eval_positions.h"

namespace {

constexpr Square sq(const char* name) { return make_square(name[0] - 'a', name[1] - '1'); }

// The piece evaluation of the root, with the pawn entry it reads filled first.
int pieces_of_root() {
    Tboarddata& root = eval_line[0];
    evaluate(root);
    int danger[2] = {0, 0};
    eval_terms::king_danger(root, current_pawn_entry, danger);
    return eval_terms::pieces(root, current_pawn_entry, danger);
}

// Two bishops shut in behind eight pawns (endgame by the phase rule): mobility -10 each, the
// pair (20 - 8) x 2 = 24, and 10 per bishop on the board.
TEST(PieceTerms, BishopPairAndMobility) {
    ASSERT_TRUE(setup_root("4k3/8/8/8/8/8/PPPPPPPP/2B1KB2 w - -"));
    EXPECT_EQ(pieces_of_root(), -10 - 10 + 24 + 20);
    ASSERT_TRUE(setup_root("4k3/8/8/8/8/8/PPPPPPPP/2B1KB2 b - -"));
    EXPECT_EQ(pieces_of_root(), -(-10 - 10 + 24 + 20));
}

// A rook on h1 beside its king on g1 is shut in: worse when the engine plays that side.
TEST(PieceTerms, RookShutInByItsKing) {
    const std::string fen = "6k1/5ppp/8/8/8/8/5PPP/6KR w - -";
    ASSERT_TRUE(setup_root(fen));
    const int engine_white = pieces_of_root();
    ASSERT_TRUE(setup_root(fen));
    root_snapshot.side = BLACK;
    const int engine_black = pieces_of_root();
    EXPECT_EQ(engine_white - engine_black, -50 - (-30));
}

// King on h1, pawns g2 and h2, f2 gone: the shield files are h (counted 3/2), g and f. Only
// f costs (25, no white pawn; Black still has one there). No storm, g2 closes the diagonal.
TEST(KingSafety, ShelterOnTheHFileCountsTheFAndGFiles) {
    ASSERT_TRUE(setup_root("r5k1/5ppp/8/8/8/8/6PP/R6K w - -"));
    evaluate(eval_line[0]);
    constexpr int MIDDLE = 1;
    EXPECT_EQ(eval_terms::king_shelter(WHITE, sq("h1"), MIDDLE, current_pawn_entry), 25);
    EXPECT_EQ(current_pawn_entry.shelter[WHITE][7], 25); // cached for the h-file
    // The rank part is added on top: a king on h3 has a worse shelter.
    EXPECT_EQ(eval_terms::king_shelter(WHITE, sq("h3"), MIDDLE, current_pawn_entry), 40 + 25);
    // In the endgame only the rank part counts.
    EXPECT_EQ(eval_terms::king_shelter(WHITE, sq("h3"), 2, current_pawn_entry), 40);
}

TEST(KingSafety, StormingPawnsAndOpenDiagonals) {
    // King g1, no white pawn on f, g or h: 25 each, the g-file 3/2 times, +10 on f where
    // Black has no pawn either. Black pawns g4 and h4 within two of g2, in the storm zone, not
    // near g1 nor attacked: 5 x (3 x 2) = 30. Both diagonals from g1 open: 20.
    ASSERT_TRUE(setup_root("r5k1/8/8/8/6pp/8/8/R5K1 w - -"));
    evaluate(eval_line[0]);
    const int shield = 3 * 25 / 2 + (25 + 10) + 25;
    EXPECT_EQ(eval_terms::king_shelter(WHITE, sq("g1"), 1, current_pawn_entry), shield + 30 + 20);
}

TEST(KingSafety, NoDangerWithoutQueensInTheEndgame) {
    // No queens, White below 1950 of pieces, endgame: the count stays below 2.
    ASSERT_TRUE(setup_root("4k3/pp3ppp/8/8/8/8/PP3PPP/R3K3 w - -"));
    ASSERT_EQ(eval_line[0].phase, 2);
    evaluate(eval_line[0]);
    int danger[2] = {-1, -1};
    eval_terms::king_danger(eval_line[0], current_pawn_entry, danger);
    EXPECT_EQ(danger[WHITE], 0);
    EXPECT_EQ(danger[BLACK], 0);
}

TEST(KingSafety, FianchettoHole) {
    // g2 gone, White has no light bishop, Black has one bearing on g2 with its queen behind:
    // n = 2 with White the root side: 25 + 55. Black's g7 stands: 0.
    // Black's light bishop on d5 bears on g2 through e4 and f3.
    ASSERT_TRUE(setup_root("rn2k1nr/pppq1ppp/8/3b4/8/8/PPPPPP1P/RNBQK1NR w KQkq -"));
    Tboarddata& root = eval_line[0];
    evaluate(root);
    int danger[2];
    eval_terms::king_danger(root, current_pawn_entry, danger);
    // The same with Black as the root side: only the table value for n = 2.
    root_snapshot.side = BLACK;
    int other[2];
    eval_terms::king_danger(root, current_pawn_entry, other);
    // Both dangers are scaled by Black's force, min(9, 7 + 3) = 9: unchanged.
    EXPECT_EQ(danger[WHITE] - other[WHITE], (25 + 55) - (25 + 30));
    EXPECT_EQ(danger[BLACK], other[BLACK]);
}

} // namespace
