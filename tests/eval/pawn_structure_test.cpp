// Pawn structure: worked examples with exact values, and the four square queries as the
// evaluation self-check asks them.
#include <gtest/gtest.h>

#include "eval/evaluate.h"
#include "eval/pawn_structure.h"
#include "eval/hash_pawns.h"
#include "eval_positions.h"

namespace {

constexpr Square sq(const char* name) { return make_square(name[0] - 'a', name[1] - '1'); }

// Sets up the position and runs the pawn-structure evaluation into a fresh current entry.
int pawn_score(const std::string& fen, bool against_human = false) {
    EXPECT_TRUE(setup_root(fen)) << fen;
    current_pawn_entry.clear();
    return evaluate_pawn_structure(eval_line[0], current_pawn_entry, against_human);
}

bool weak_square(const char* name) { return is_weak_square() & square_bb(sq(name)); }
bool passed(const char* name) { return is_passed_pawn() & square_bb(sq(name)); }

TEST(PawnStructure, NoPawnsAtAll) {
    EXPECT_EQ(pawn_score("8/8/8/4k3/8/8/8/4K3 w - -"), 0);
    const Tpawn_entry& entry = current_pawn_entry;
    EXPECT_EQ(entry.pawn_score[2], 0);
    EXPECT_EQ(entry.passed_score[2], 0);
    EXPECT_EQ(entry.passed_pawns, 0u);
    EXPECT_EQ(entry.weak_pawns, 0u);
    EXPECT_EQ(entry.pawn_score[0], SCORE_NOT_COMPUTED); // only the current phase is filled
    EXPECT_EQ(evaluate_passed_pawns(eval_line[0], entry), 0);
}

// White a2, b2, d2 against a black h7 (endgame): the a-b island costs 6, d2 is isolated
// (open ahead: 20), a2 stands on the rim (-10); all three are passed, a2 and b2 side by side
// (supported, 0 on the second rank), d2 plain (15). Black's h7: isolated and open (20), rim
// (-10), passed (15).
TEST(PawnStructure, IslandsAndIsolatedPawn) {
    EXPECT_EQ(pawn_score("4k3/7p/8/8/8/8/PP1P4/4K3 w - -"), (-6 - 20 - 10) - (-20 - 10));
    const Tpawn_entry& entry = current_pawn_entry;
    EXPECT_EQ(entry.passed_score[2], 15 - 15);
    EXPECT_TRUE(is_weak_pawn(sq("d2")));
    EXPECT_TRUE(is_weak_pawn(sq("h7")));
    EXPECT_FALSE(is_weak_pawn(sq("a2")));
    EXPECT_FALSE(is_weak_pawn(sq("b2")));
    EXPECT_FALSE(is_weak_pawn(sq("e4"))); // no pawn there
}

// Two isolated white pawns on the c-file (endgame): the front one, open ahead, costs 5 for
// being doubled and 12 more for being weak, the rear one 2; as isolated pawns 20 (open) and 14.
// Both are passed, plain: 20 on the third rank, 15 on the second.
TEST(PawnStructure, DoubledPawns) {
    EXPECT_EQ(pawn_score("4k3/8/8/8/8/2P5/2P5/4K3 w - -"), -5 - 12 - 2 - 20 - 14);
    EXPECT_EQ(current_pawn_entry.passed_score[2], 20 + 15);
    // The score comes back from the side to move's view; the entry keeps White's.
    EXPECT_EQ(pawn_score("4k3/8/8/8/8/2P5/2P5/4K3 b - -"), 53);
    EXPECT_EQ(current_pawn_entry.pawn_score[2], -53);
}

TEST(PawnStructure, BackwardPawn) {
    // d3 cannot be protected by c4 any more, and c2/e2 are gone: backward, and weak.
    pawn_score("4k3/8/8/8/2P5/3P4/8/4K3 w - -");
    EXPECT_TRUE(is_weak_pawn(sq("d3")));
    EXPECT_FALSE(is_weak_pawn(sq("c4"))); // protected by d3
}

TEST(PawnStructure, RamsCostTheRootSideAgainstAHuman) {
    const std::string fen = "4k3/8/8/3p4/3P4/8/8/4K3 w - -";
    const int         machine = pawn_score(fen, false);
    EXPECT_EQ(pawn_score(fen, true), machine - 10);          // root side White
    EXPECT_EQ(pawn_score("4k3/8/8/3p4/3P4/8/8/4K3 b - -", true), -machine - 10); // root Black
    hash_pawns.clear(); // the entries above were made for a human opponent
}

// e6 is protected by d5, blocked by e7 and not attacked; d5 stands below-left, d6 is free and
// c7 holds no black pawn: the lever d5-d6 breaks through (55 in the endgame). The rest, White:
// one island (-6), d5 backward and open (-10), d5 unprotected on the fifth (3), e6 protected on
// the sixth (20). Black: e7 isolated, not open (-14).
TEST(PawnStructure, BreakthroughOnTheSixth) {
    EXPECT_EQ(pawn_score("4k3/4p3/4P3/3P4/8/8/8/4K3 w - -"), (55 - 6 - 10 + 3 + 20) - (-14));
    // A black pawn on c7 kills the lever; c7 itself is isolated and open (-20), not passed.
    EXPECT_EQ(pawn_score("4k3/2p1p3/4P3/3P4/8/8/8/4K3 w - -"), (-6 - 10 + 3 + 20) - (-14 - 20));
}

TEST(PawnStructure, WeakSquares) {
    // d3 and f3 are attacked by the black pawn on e4 and no white pawn can cover them any more;
    // b3 and c4 lie next to a white pawn with no pawn left ahead on their files. All light.
    pawn_score("4k3/8/8/8/4p3/2P1P3/8/4K3 w - -");
    for (const char* hole : {"d3", "f3", "b3", "c4"})
        EXPECT_TRUE(weak_square(hole)) << hole;
    EXPECT_FALSE(weak_square("d4")); // covered by c3 and e3
    EXPECT_FALSE(weak_square("c3")); // holds a pawn
    EXPECT_FALSE(weak_square("g3")); // no pawn near, no attacker
    EXPECT_EQ(current_pawn_entry.weak_light[WHITE], 4);
    EXPECT_EQ(current_pawn_entry.weak_dark[WHITE], 0);
    // With a pawn still on c2, d3 is covered.
    pawn_score("4k3/8/8/8/4p3/2P1P3/2P5/4K3 w - -");
    EXPECT_FALSE(weak_square("d3"));
    // Black's half, mirrored: d6 under the white pawn on e5; c5, b6 and f6 beside black pawns.
    pawn_score("4k3/8/2p1p3/4P3/8/8/8/4K3 w - -");
    for (const char* hole : {"d6", "c5", "b6", "f6"})
        EXPECT_TRUE(weak_square(hole)) << hole;
    EXPECT_EQ(current_pawn_entry.weak_dark[BLACK], 4);
    EXPECT_EQ(current_pawn_entry.weak_light[BLACK], 0);
}

TEST(PawnStructure, PassedPawns) {
    pawn_score("4k3/p7/8/1P6/8/8/8/4K3 w - -");
    EXPECT_FALSE(passed("b5")); // a7 guards a6
    EXPECT_FALSE(passed("a7"));
    pawn_score("4k3/p7/8/8/8/8/1P6/4K3 w - -");
    EXPECT_FALSE(passed("b2"));
    pawn_score("4k3/2p5/8/P7/8/8/8/4K3 w - -");
    EXPECT_TRUE(passed("a5"));
    EXPECT_TRUE(passed("c7"));
    EXPECT_FALSE(passed("d4")); // no pawn there
}

TEST(PawnStructure, OutsidePawns) {
    // One pawn each: never outside.
    pawn_score("4k3/p7/8/8/8/8/7P/4K3 w - -");
    EXPECT_FALSE(is_outside_pawn(sq("h2"), WHITE));
    EXPECT_FALSE(is_outside_pawn(sq("a7"), BLACK));
    // The a-pawn alone on the queen side, every black pawn on the king side.
    pawn_score("4k3/5pp1/8/8/P7/8/5PP1/4K3 w - -");
    EXPECT_TRUE(is_outside_pawn(sq("a4"), WHITE));
    EXPECT_FALSE(is_outside_pawn(sq("g2"), WHITE));
    EXPECT_FALSE(is_outside_pawn(sq("f7"), BLACK));
    EXPECT_EQ(current_pawn_entry.outside_files[WHITE], 1); // a4 is passed and outside
    // The enemy without pawns: nothing is outside.
    pawn_score("4k3/8/8/8/P7/8/5PP1/4K3 w - -");
    EXPECT_FALSE(is_outside_pawn(sq("a4"), WHITE));
}

TEST(PassedPawns, FreePasserOnTheSeventh) {
    // White to move: a7-a8 cannot be stopped; worth a queen less a pawn, nothing more.
    ASSERT_TRUE(setup_root("4k3/P7/8/8/8/8/8/4K3 w - -"));
    evaluate(eval_line[0]);
    EXPECT_EQ(evaluate_passed_pawns(eval_line[0], current_pawn_entry), 775);
    // Black to move: the king cannot reach a8 in time (4 steps, 2 allowed): unstoppable,
    // 775 - 50 x 1 from White's side.
    ASSERT_TRUE(setup_root("4k3/P7/8/8/8/8/8/4K3 b - -"));
    evaluate(eval_line[0]);
    EXPECT_EQ(evaluate_passed_pawns(eval_line[0], current_pawn_entry), -725);
    // The black king on b7 covers a8: the plain table read at the effective rank, one half
    // rank back for the king beside the path: 75 + (100 - 75) x 30 / 60 = 87.
    ASSERT_TRUE(setup_root("8/Pk6/8/8/8/8/8/4K3 w - -"));
    evaluate(eval_line[0]);
    EXPECT_EQ(evaluate_passed_pawns(eval_line[0], current_pawn_entry), 87);
}

TEST(PassedPawns, AgainstPiecesTheStopperDecides) {
    // Black, to move, stops a7 with the rook: min(500, 500) - 100 = 400 at one step to go,
    // divided by 3 x (0 queens + 1 piece) + 1 = 4: 100, more than the table base of 87 (the
    // black king beside the path).
    ASSERT_TRUE(setup_root("7r/P7/1k6/8/8/8/8/K7 b - -"));
    evaluate(eval_line[0]);
    EXPECT_EQ(evaluate_passed_pawns(eval_line[0], current_pawn_entry), -100);
}

} // namespace
