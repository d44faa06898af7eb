// Move ordering: the exchange values of the worked examples, the capture order with its delta
// pruning, and the stages of the picker, each move placed exactly once.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "line_fixture.h"
#include "search/ordering.h"

namespace {

using search_test::legal_move;
using search_test::sq;
using search_test::Tline;

std::vector<Move> list_of(const Tboarddata& r) { return {r.moves + 1, r.moves + 1 + r.nb_moves}; }

// The order in which the search would take the node's moves.
std::vector<Move> picked_order(Tboarddata& node) {
    const int count   = node.nb_moves;
    int       ordered = 0;
    int       stage   = STAGE_START;
    for (int i = 1; i <= count; ++i)
        if (i > ordered) {
            const int before = ordered;
            stage            = pick_next_moves(node, ordered, stage, count);
            EXPECT_GT(ordered, before) << "the picker placed nothing";
        }
    return list_of(node);
}

bool same_moves(std::vector<Move> a, std::vector<Move> b) {
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}

class Ordering : public ::testing::Test {
  protected:
    void SetUp() override { clear_ordering_tables(); }
    void TearDown() override { clear_ordering_tables(); }
    int see_of(const char* fen, const char* from, const char* to) {
        EXPECT_TRUE(line.setup(fen)) << fen;
        return see(sq(from), sq(to));
    }
    Tline line;
};

// ---------------------------------------------------------------------------------------------
// see

TEST_F(Ordering, SeeWorkedExamples) {
    // Rook takes a pawn defended by a pawn: the short rule.
    EXPECT_EQ(see_of("7k/8/4p3/3p4/8/8/8/K2R4 w - -", "d1", "d5"), -300);
    EXPECT_EQ(see_of("4k3/8/2p5/3p4/8/4N3/8/4K3 w - -", "e3", "d5"), -125);
    // En passant: the target square is empty.
    EXPECT_EQ(see_of("4k3/8/8/3pP3/8/8/8/4K3 w - d6", "e5", "d6"), 100);
    EXPECT_EQ(see_of("8/4k3/8/3pP3/8/8/8/4K3 w - d6", "e5", "d6"), 0);
    // Promotions: undefended square, attacked and unsupported, attacked and supported.
    EXPECT_EQ(see_of("r7/1P6/8/8/8/8/8/k3K3 w - -", "b7", "a8"), 500 + 875);
    EXPECT_EQ(see_of("r7/1P6/8/8/8/8/8/k3K3 w - -", "b7", "b8"), -100);
    EXPECT_EQ(see_of("r7/1P1N4/8/8/8/8/7k/4K3 w - -", "b7", "b8"), 875);
    // Undefended target.
    EXPECT_EQ(see_of("7k/pb6/8/3r4/Q3P3/1R6/8/7K w - -", "a4", "a7"), 100);
}

TEST_F(Ordering, SeeSwapList) {
    // Rook and queen behind it against one rook: the pawn is won.
    EXPECT_EQ(see_of("3r3k/8/8/3p4/8/8/3R4/K2Q4 w - -", "d2", "d5"), 100);
    // Against queen and rook the rook is lost for the pawn.
    EXPECT_EQ(see_of("3r3k/3q4/8/3p4/8/8/3R4/K2Q4 w - -", "d2", "d5"), -400);
    // The mover captures first even when a cheaper attacker is listed before it.
    EXPECT_EQ(see_of("7k/8/3p4/4n3/3P4/6B1/8/K7 w - -", "g3", "e5"), 100);
    EXPECT_EQ(see_of("7k/8/3p4/4n3/3P4/6B1/8/K7 w - -", "d4", "e5"), 325);
    // One attacker only: the mover is lost.
    EXPECT_EQ(see_of("7k/8/8/1p6/8/3n4/8/1R4K1 w - -", "b1", "b5"), 100);
    EXPECT_EQ(see_of("7k/2n5/8/1p6/8/8/1R6/6K1 w - -", "b2", "b5"), 100 - 500);
}

// ---------------------------------------------------------------------------------------------
// order_captures and keep_captures

constexpr const char* THREE_CAPTURES = "7k/pb6/8/3r4/Q3P3/1R6/8/7K w - -";

TEST_F(Ordering, QuiescenceThresholdDropsHopelessCaptures) {
    ASSERT_TRUE(line.setup(THREE_CAPTURES));
    Tboarddata& node = line.node();
    node.gen_captures();
    ASSERT_EQ(node.nb_moves, 3);
    const Move pxr = legal_move(node, "e4", "d5"), rxb = legal_move(node, "b3", "b7"), qxp = legal_move(node, "a4", "a7");
    node.gen_captures();
    // Stand pat 50, alpha 300: the threshold is 240.
    EXPECT_EQ(order_captures(node.moves + 1, 3, 240), 2);
    EXPECT_EQ(list_of(node), (std::vector<Move>{pxr, rxb, qxp}));
    // At threshold 1 the queen's capture of an undefended pawn is judged by see and kept.
    node.gen_captures();
    EXPECT_EQ(order_captures(node.moves + 1, 3, 1), 3);
    EXPECT_EQ(list_of(node), (std::vector<Move>{pxr, rxb, qxp}));
}

TEST(CaptureLists, KeepCapturesInOrderLosingOnesNotCounted) {
    const Move q1 = make_move(20, 12, KIND_PAWN), q2 = make_move(21, 5, KIND_BISHOP);
    const Move c1 = make_move(30, 21, KIND_KNIGHT, ROOK), c2 = make_move(40, 33, KIND_PAWN, PAWN);
    const Move promo = make_move(56, 48, KIND_PROMO_KNIGHT);
    Move       list[5] = {q1, c1, q2, promo, c2};
    ASSERT_EQ(keep_captures(list, 5), 3);
    EXPECT_EQ(list[0], c1);
    EXPECT_EQ(list[1], promo);
    EXPECT_EQ(list[2], c2);

    // Rook takes a pawn defended by a pawn, at the picker's threshold.
    Tline line;
    ASSERT_TRUE(line.setup("7k/8/4p3/3p4/8/8/8/K2R4 w - -"));
    Move rook_takes[1] = {make_move(sq("d5"), sq("d1"), KIND_ROOK, PAWN)};
    EXPECT_EQ(order_captures(rook_takes, 1, 1), 0);
}

// ---------------------------------------------------------------------------------------------
// The picker

TEST_F(Ordering, StagesInOrderEachMoveOnce) {
    ASSERT_TRUE(line.setup(THREE_CAPTURES));
    Tboarddata& node = line.node();
    const Move pxr = legal_move(node, "e4", "d5"), rxb = legal_move(node, "b3", "b7"), qxp = legal_move(node, "a4", "a7");
    const Move king = legal_move(node, "h1", "g2"), queen = legal_move(node, "a4", "b4");
    const Move rook_c3 = legal_move(node, "b3", "c3"), rook_h3 = legal_move(node, "b3", "h3");
    const std::vector<Move> generated = list_of(node);

    node.hash_move = rxb; // a capture: searched first, not again among the captures
    update_killers(quiet_killers, king, 0);
    update_killers(quiet_killers, queen, 0);
    update_killers(capture_killers, pxr, 0); // already placed with the captures
    countermove_table[0][0] = rook_c3;       // no countermove stage at the root
    add_history(WHITE, rook_h3, 50);
    add_history(WHITE, rook_c3, 30);

    const std::vector<Move> order = picked_order(node);
    ASSERT_TRUE(same_moves(order, generated));
    const std::vector<Move> head(order.begin(), order.begin() + 7);
    EXPECT_EQ(head, (std::vector<Move>{rxb, pxr, qxp, king, queen, rook_h3, rook_c3}));
}

// Whatever the tables hold, every move of the list comes out exactly once.
TEST_F(Ordering, EveryMoveOnceWhateverTheTablesHold) {
    const char* const positions[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "r1n1k3/1P6/8/8/8/8/6p1/4K2R b - -",
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
    };
    for (const char* fen : positions)
        for (int seed = 1; seed < 8; ++seed) {
            clear_ordering_tables();
            ASSERT_TRUE(line.setup(fen));
            line.node().gen_legal(); // below the root, so that the countermove stage runs
            line.play(line.node().moves[1 + seed % line.node().nb_moves]);
            Tboarddata& node = line.node();
            node.gen_all();
            const std::vector<Move> generated = list_of(node);
            const auto pick = [&](int k) { return generated[size_t(k * seed) % generated.size()]; };
            node.hash_move = pick(3);
            update_killers(quiet_killers, pick(5), 1);
            update_killers(quiet_killers, pick(7), 1);
            update_killers(capture_killers, pick(11), 1);
            record_countermove(node, pick(13));
            for (int k = 0; k < 6; ++k)
                add_history(node.side_to_move(), pick(17 + k), 10 * (k - 2));
            EXPECT_TRUE(same_moves(picked_order(node), generated)) << fen << " seed " << seed;
        }
}

TEST_F(Ordering, CountermoveFollowsTheKillersBelowTheRoot) {
    ASSERT_TRUE(line.setup(THREE_CAPTURES));
    const Move pxr = line.play("e4", "d5");
    Tboarddata& node  = line.node();
    const Move  reply = legal_move(node, "h8", "g8");
    const Move  bxd5  = legal_move(node, "b7", "d5");
    record_countermove(node, reply);
    EXPECT_EQ(countermove_table[move_from(pxr)][move_to(pxr)], reply);
    const std::vector<Move> order = picked_order(node);
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order[0], bxd5);
    EXPECT_EQ(order[1], reply);
}

TEST_F(Ordering, NoHistoryCreditKeepsGenerationOrder) {
    ASSERT_TRUE(line.setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"));
    Tboarddata& node = line.node();
    node.gen_all();
    const std::vector<Move> generated = list_of(node);
    add_history(WHITE, generated[5], -30);
    add_history(WHITE, generated[9], 0);
    EXPECT_EQ(picked_order(node), generated);
    EXPECT_EQ(find_move(node, generated[9]), 10);
    EXPECT_EQ(find_move(node, NULL_MOVE), 0);
}

TEST_F(Ordering, CastlingAndNullMovesHaveNoTableEntries) {
    add_history(WHITE, CASTLE_KING_MOVE, 100);
    add_history(BLACK, NULL_MOVE, 100);
    EXPECT_EQ(history_of(WHITE, CASTLE_KING_MOVE), 0);
    Tboarddata after_castling{};
    after_castling.move = CASTLE_QUEEN_MOVE;
    record_countermove(after_castling, make_move(1, 2, KIND_KNIGHT)); // must not write out of bounds
}

TEST(Killers, SecondKillerHitMoreOftenLeads) {
    Tkiller_table table{};
    const Move a = make_move(1, 2, KIND_KNIGHT), b = make_move(3, 4, KIND_BISHOP), c = make_move(5, 6, KIND_ROOK);
    update_killers(table, a, 7);
    update_killers(table, b, 7);
    update_killers(table, b, 7); // b: 2 hits against 1
    const Tkiller_slot& s = table.slot[7];
    EXPECT_EQ(s.killer[0], b);
    EXPECT_EQ(s.killer[1], a);
    update_killers(table, c, 7); // a newcomer replaces the second killer
    EXPECT_EQ(s.killer[1], c);
    update_killers(table, a, KILLER_PLIES); // past the table: ignored
}

} // namespace
