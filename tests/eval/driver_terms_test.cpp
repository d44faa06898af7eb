// The driver's own terms: winning chances, trades, castling, the g-file storm, trapped bishops,
// knights and rooks by pawn count, and the phase rule along a line.
#include <gtest/gtest.h>

#include "eval/evaluate.h"
#include "eval/root_snapshot.h"
#include "eval/terms.h"
#include "eval_positions.h"

namespace {

constexpr Square sq(const char* name) { return make_square(name[0] - 'a', name[1] - '1'); }

int factor(const std::string& fen, Color side) {
    EXPECT_TRUE(setup_root(fen)) << fen;
    return win_factor(eval_line[0], side);
}

TEST(WinFactor, DrawishMaterial) {
    EXPECT_EQ(factor("8/8/8/4k3/8/8/8/2B1K3 w - -", WHITE), 3);      // lone bishop
    EXPECT_EQ(factor("8/8/8/4k3/8/8/8/1NN1K3 w - -", WHITE), 12);    // two knights
    EXPECT_EQ(factor("8/8/8/4k3/8/8/8/1NB1K3 w - -", WHITE), 60);    // against a bare king
    EXPECT_EQ(factor("8/8/8/4k3/8/8/p7/1NB1K3 w - -", WHITE), 60);   // ... or a lone pawn
    EXPECT_EQ(factor("8/8/8/4k3/8/8/pp6/1NB1K3 w - -", WHITE), 30);  // two pieces, no pawns
    EXPECT_EQ(factor("8/8/8/4k3/8/8/8/R3K3 w - -", WHITE), 60);      // a rook
    EXPECT_EQ(factor("3qk3/8/8/8/8/8/8/3QK3 w - -", WHITE), 40);     // queen against queen
    EXPECT_EQ(factor("3qk3/8/8/8/8/8/8/3QKB2 w - -", BLACK), 60);    // the enemy has two pieces
    EXPECT_EQ(factor("3qk3/8/8/8/8/8/8/3QKB2 w - -", WHITE), 60);
}

TEST(WinFactor, WrongBishopAndRookPawn) {
    // Dark bishop, a-pawn, the black king on a8 (a light square): 6.
    EXPECT_EQ(factor("k7/8/8/8/8/8/P7/2B1K3 w - -", WHITE), 6);
    // The right bishop (light, f1) wins: 60.
    EXPECT_EQ(factor("k7/8/8/8/8/8/P7/4KB2 w - -", WHITE), 60);
    // The black king far from the corner: 60.
    EXPECT_EQ(factor("8/8/8/8/8/7k/P7/2B1K3 w - -", WHITE), 60);
    // For Black the promotion square is h1, a light square: the light bishop on g8 helps,
    // the dark one on f8 cannot.
    EXPECT_EQ(factor("4k1b1/7p/8/8/8/8/8/7K w - -", BLACK), 60);
    EXPECT_EQ(factor("4kb2/7p/8/8/8/8/8/7K w - -", BLACK), 6);
}

TEST(WinFactor, BishopsOfOppositeColours) {
    EXPECT_EQ(factor("2b1k3/pp6/8/8/8/8/PPP5/2B1K3 w - -", WHITE), 30); // c1 dark, c8 light
    EXPECT_EQ(factor("4kb2/pp6/8/8/8/8/PPP5/2B1K3 w - -", WHITE), 60);  // f8 dark too
}

// The side that is ahead with its queen, checked at each of its last five turns: 30.
TEST(WinFactor, CheckedOverAndOver) {
    ASSERT_TRUE(setup_root("8/8/4k3/8/2n5/6q1/8/Q5K1 w - -"));
    const Move shuffle[8] = {
        make_move(sq("h1"), sq("g1"), KIND_KING),  make_move(sq("h3"), sq("g3"), KIND_QUEEN),
        make_move(sq("g1"), sq("h1"), KIND_KING),  make_move(sq("g3"), sq("h3"), KIND_QUEEN),
        make_move(sq("h1"), sq("g1"), KIND_KING),  make_move(sq("h3"), sq("g3"), KIND_QUEEN),
        make_move(sq("g1"), sq("h1"), KIND_KING),  make_move(sq("g3"), sq("h3"), KIND_QUEEN),
    };
    for (int i = 0; i < 8; ++i) {
        eval_line[i + 1].make_child(shuffle[i], &eval_line[i], false);
        if (i % 2 == 1) {
            ASSERT_TRUE(eval_line[i + 1].in_check()) << i;
        }
    }
    EXPECT_EQ(win_factor(eval_line[8], WHITE), 30);
    EXPECT_EQ(win_factor(eval_line[6], WHITE), 60); // only four turns in check so far
    for (int i = 8; i > 0; --i)
        unmake(shuffle[i - 1], &eval_line[i - 1]);
}

TEST(WinFactor, ScalingOfTheFinalScore) {
    // King and bishop against a bare king: the score of the bishop side is cut to 3/60.
    ASSERT_TRUE(setup_root("8/8/8/4k3/8/8/8/2B1K3 w - -"));
    const int scaled = evaluate(eval_line[0]);
    EXPECT_TRUE(eval_line[0].eval_flags & FLAG_SCALED);
    EXPECT_GT(scaled, 0);
    EXPECT_LT(scaled, 30); // about 3/60 of a bishop and its placement
    // Black to move, behind: the enemy's factor scales it.
    ASSERT_TRUE(setup_root("8/8/8/4k3/8/8/8/2B1K3 b - -"));
    const int behind = evaluate(eval_line[0]);
    EXPECT_TRUE(eval_line[0].eval_flags & FLAG_SCALED);
    EXPECT_LT(behind, 0);
    EXPECT_GT(behind, -30);
}

TEST(DriverTerms, TradesWhenAhead) {
    // White: a rook and 6 pawns against 4 pawns, 700 ahead; at the root it had two rooks and
    // 7 pawns against a rook and 4 pawns.
    ASSERT_TRUE(setup_root("4k3/pppp4/8/8/8/8/PPPPPP2/R3K3 w - -"));
    root_snapshot.piece_material[WHITE] = 1000;
    root_snapshot.piece_material[BLACK] = 500;
    root_snapshot.nb_pawns[WHITE]       = 7;
    root_snapshot.nb_pawns[BLACK]       = 4;
    // min(100, 500 x 700 / 3000) = 100, less 10 for the pawn gone.
    EXPECT_EQ(eval_terms::trade(WHITE, 700), 90);
    EXPECT_EQ(eval_terms::trade(BLACK, -700), -90);
    EXPECT_EQ(eval_terms::trade(WHITE, 99), 0);
}

TEST(DriverTerms, CastlingRightsSinceTheRoot) {
    ASSERT_TRUE(setup_root("r3k2r/pppq1ppp/8/8/8/8/PPPQ1PPP/R3K2R w KQkq -"));
    Tboarddata* line = eval_line;
    EXPECT_EQ(eval_terms::castling(line[0]), -30 + 30);
    // White castles: nothing more for White; Black still may.
    line[1].make_child(CASTLE_KING_MOVE, &line[0], false);
    EXPECT_EQ(eval_terms::castling(line[1]), 30);
    // Black's king walks: its rights are gone without castling.
    line[2].make_child(make_move(sq("f8"), sq("e8"), KIND_KING), &line[1], false);
    EXPECT_EQ(eval_terms::castling(line[2]), 40);
    unmake(line[2].move, &line[1]);
    unmake(line[1].move, &line[0]);
    // White's king walks instead.
    line[1].make_child(make_move(sq("f1"), sq("e1"), KIND_KING), &line[0], false);
    EXPECT_EQ(eval_terms::castling(line[1]), -40 + 30);
    unmake(line[1].move, &line[0]);
    // No rights at the root: never a castling term.
    ASSERT_TRUE(setup_root("r3k2r/pppq1ppp/8/8/8/8/PPPQ1PPP/R3K2R w - -"));
    line[1].make_child(make_move(sq("f1"), sq("e1"), KIND_KING), &line[0], false);
    EXPECT_EQ(eval_terms::castling(line[1]), 0);
    unmake(line[1].move, &line[0]);
}

TEST(DriverTerms, PawnStormOnTheGFile) {
    // The root side castled short with f2 left; a black pawn on g4 and the black queen.
    ASSERT_TRUE(setup_root("r2qk2r/8/8/8/6p1/8/5P2/RNB2RK1 w - -"));
    ASSERT_EQ(eval_line[0].phase, 1);
    EXPECT_EQ(eval_terms::g_file_storm(eval_line[0]), -325);
    root_snapshot.side = BLACK; // only the root side's king is looked at
    EXPECT_EQ(eval_terms::g_file_storm(eval_line[0]), 0);
    // The root side not to move: the same penalty from the other side's view.
    ASSERT_TRUE(setup_root("r2qk2r/8/8/8/6p1/8/5P2/RNB2RK1 b - -"));
    root_snapshot.side = WHITE;
    EXPECT_EQ(eval_terms::g_file_storm(eval_line[0]), 325);
    // Any pawn on the h-file: no storm.
    ASSERT_TRUE(setup_root("r2qk2r/7p/8/8/6p1/8/5P2/RNB2RK1 w - -"));
    EXPECT_EQ(eval_terms::g_file_storm(eval_line[0]), 0);
}

TEST(DriverTerms, TrappedBishop) {
    // The white bishop on a7 is caught by b6, which c7 holds.
    ASSERT_TRUE(setup_root("4k3/B1p5/1p6/8/8/8/8/4K3 w - -"));
    EXPECT_EQ(eval_terms::trapped_bishops(), -150);
    root_snapshot.side = BLACK;
    EXPECT_EQ(eval_terms::trapped_bishops(), -75);
    // Without c7 the pawn on b6 hangs: nothing.
    ASSERT_TRUE(setup_root("4k3/B7/1p6/8/8/8/8/4K3 w - -"));
    EXPECT_EQ(eval_terms::trapped_bishops(), 0);
    // The black bishop on h2, mirrored, with Black the root side.
    ASSERT_TRUE(setup_root("4k3/8/8/8/8/6P1/5P1b/4K3 b - -"));
    EXPECT_EQ(eval_terms::trapped_bishops(), 150);
}

TEST(DriverTerms, KnightsAndRooksByPawnCount) {
    // Sixteen pawns: t = (16 - 10) x 100 / 2 = 300; a knight against a rook: 300 / 16 + 300 / 8.
    ASSERT_TRUE(setup_root("r3k3/pppppppp/8/8/8/8/PPPPPPPP/1N2K3 w - -"));
    EXPECT_EQ(eval_terms::knights_and_rooks_by_pawns(), 18 + 37);
    // Four pawns: t = -300, the other way round.
    ASSERT_TRUE(setup_root("r3k3/pp6/8/8/8/8/PP6/1N2K3 w - -"));
    EXPECT_EQ(eval_terms::knights_and_rooks_by_pawns(), -18 - 37);
    // Equal knights and rooks: 0.
    ASSERT_TRUE(setup_root("rn2k3/pppppppp/8/8/8/8/PPPPPPPP/RN2K3 w - -"));
    EXPECT_EQ(eval_terms::knights_and_rooks_by_pawns(), 0);
}

TEST(Phase, AnEndgameStaysAnEndgame) {
    ASSERT_TRUE(setup_root("8/P7/8/8/8/8/k7/4K3 w - -"));
    ASSERT_EQ(eval_line[0].phase, 2);
    const Move promotion = make_move(sq("a8"), sq("a7"), KIND_PROMO_QUEEN);
    eval_line[1].make_child(promotion, &eval_line[0], false);
    EXPECT_EQ(eval_line[1].phase, 2);
    EXPECT_EQ(board_state.current_phase, 2);
    unmake(promotion, &eval_line[0]);
}

TEST(Phase, ByTheRootSidesBackRank) {
    // The start: opening. Queens and more than four pieces each, but the root side's first
    // rank nearly empty: middle game.
    EXPECT_TRUE(setup_root("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"));
    EXPECT_EQ(eval_line[0].phase, 0);
    EXPECT_TRUE(setup_root("rnbqkbnr/pppppppp/8/8/2BNNB2/8/PPPPPPPP/3QK2R w K -"));
    EXPECT_EQ(eval_line[0].phase, 1); // only d1, e1, h1 at home
    // Few pieces on both sides: endgame, even with rooks.
    EXPECT_TRUE(setup_root("r3k3/8/8/8/8/8/8/R3K3 w - -"));
    EXPECT_EQ(eval_line[0].phase, 2);
}

} // namespace
