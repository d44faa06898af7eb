// Move ordering: the exchange values of data/see.txt, the capture order with its delta pruning,
// and the stages of the picker, each move placed exactly once.
#include <algorithm>
#include <gtest/gtest.h>

#include "base/data_rows.h"
#include "line_fixture.h"
#include "search/ordering.h"

namespace {

using search_test::legal_move;
using search_test::sq;
using search_test::Tline;

std::vector<Move> list_of(const Tboarddata& r) { return {r.moves + 1, r.moves + 1 + r.nb_moves}; }

// The order in which the search would take the node's moves.
std::vector<Move> picked_order(Tboarddata& node) {
    for (int i = 1, ordered = 0, stage = STAGE_START; i <= node.nb_moves; ++i)
        if (i > ordered) {
            const int before = ordered;
            stage            = pick_next_moves(node, ordered, stage, node.nb_moves);
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
    void  SetUp() override { clear_ordering_tables(); }
    void  TearDown() override { clear_ordering_tables(); }
    Tline line;
};

TEST_F(Ordering, StaticExchangeValues) {
    for (const Trow& row : read_rows("search/data/see.txt")) {
        ASSERT_TRUE(line.setup(row[0].c_str())) << row.where;
        const std::vector<std::string> squares = words(row[1]);
        EXPECT_EQ(see(sq(squares[0].c_str()), sq(squares[1].c_str())), row.number(2)) << row.where;
    }
}

constexpr const char* THREE_CAPTURES = "7k/pb6/8/3r4/Q3P3/1R6/8/7K w - -";

TEST_F(Ordering, CaptureOrderAndThresholds) {
    ASSERT_TRUE(line.setup(THREE_CAPTURES));
    Tboarddata& node = line.node();
    const Move  pxr = legal_move(node, "e4", "d5"), rxb = legal_move(node, "b3", "b7"),
               qxp = legal_move(node, "a4", "a7");
    // Stand pat 50, alpha 300: the threshold is 240 and drops the pawn; at 1 see keeps it.
    for (const int threshold : {240, 1}) {
        node.gen_captures();
        EXPECT_EQ(order_captures(node.moves + 1, 3, threshold), threshold == 1 ? 3 : 2);
        EXPECT_EQ(list_of(node), (std::vector<Move>{pxr, rxb, qxp}));
    }
    // Rook takes a pawn defended by a pawn, at the picker's threshold: dropped.
    ASSERT_TRUE(line.setup("7k/8/4p3/3p4/8/8/8/K2R4 w - -"));
    Move rook_takes[1] = {make_move(sq("d5"), sq("d1"), KIND_ROOK, PAWN)};
    EXPECT_EQ(order_captures(rook_takes, 1, 1), 0);

    // keep_captures keeps captures and promotions in their order.
    const Move q1 = make_move(20, 12, KIND_PAWN), q2 = make_move(21, 5, KIND_BISHOP);
    const Move c1 = make_move(30, 21, KIND_KNIGHT, ROOK), c2 = make_move(40, 33, KIND_PAWN, PAWN);
    const Move promo   = make_move(56, 48, KIND_PROMO_KNIGHT);
    Move       list[5] = {q1, c1, q2, promo, c2};
    ASSERT_EQ(keep_captures(list, 5), 3);
    EXPECT_EQ(std::vector<Move>(list, list + 3), (std::vector<Move>{c1, promo, c2}));
}

TEST_F(Ordering, StagesInOrderEachMoveOnce) {
    ASSERT_TRUE(line.setup(THREE_CAPTURES));
    Tboarddata& node = line.node();
    const Move  pxr = legal_move(node, "e4", "d5"), rxb = legal_move(node, "b3", "b7"),
               qxp               = legal_move(node, "a4", "a7");
    const Move              king = legal_move(node, "h1", "g2"), queen = legal_move(node, "a4", "b4");
    const Move              rook_c3 = legal_move(node, "b3", "c3"), rook_h3 = legal_move(node, "b3", "h3");
    const std::vector<Move> generated = list_of(node);
    node.hash_move                    = rxb; // a capture: searched first, not again among the captures
    update_killers(quiet_killers, king, 0);
    update_killers(quiet_killers, queen, 0);
    update_killers(capture_killers, pxr, 0); // already placed with the captures
    countermove_table[0][0] = rook_c3;       // no countermove stage at the root
    add_history(WHITE, rook_h3, 50);
    add_history(WHITE, rook_c3, 30);
    const std::vector<Move> order = picked_order(node);
    ASSERT_TRUE(same_moves(order, generated));
    EXPECT_EQ(std::vector<Move>(order.begin(), order.begin() + 7),
              (std::vector<Move>{rxb, pxr, qxp, king, queen, rook_h3, rook_c3}));

    // Below the root the countermove follows the killers.
    ASSERT_TRUE(line.setup(THREE_CAPTURES));
    const Move played = line.play("e4", "d5");
    const Move reply = legal_move(line.node(), "h8", "g8"), bxd5 = legal_move(line.node(), "b7", "d5");
    record_countermove(line.node(), reply);
    EXPECT_EQ(countermove_table[move_from(played)][move_to(played)], reply);
    const std::vector<Move> below = picked_order(line.node());
    EXPECT_EQ(std::vector<Move>(below.begin(), below.begin() + 2), (std::vector<Move>{bxd5, reply}));
}

// Whatever the tables hold, every move of the list comes out exactly once.
TEST_F(Ordering, EveryMoveOnceWhateverTheTablesHold) {
    for (const char* fen :
         {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
          "r1n1k3/1P6/8/8/8/8/6p1/4K2R b - -", "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6"})
        for (int seed = 1; seed < 8; ++seed) {
            clear_ordering_tables();
            ASSERT_TRUE(line.setup(fen));
            line.node().gen_legal(); // below the root, so that the countermove stage runs
            line.play(line.node().moves[1 + seed % line.node().nb_moves]);
            Tboarddata& node = line.node();
            node.gen_all();
            const std::vector<Move> generated = list_of(node);
            const auto pick = [&](int k) { return generated[size_t(k * seed) % generated.size()]; };
            node.hash_move  = pick(3);
            update_killers(quiet_killers, pick(5), 1);
            update_killers(quiet_killers, pick(7), 1);
            update_killers(capture_killers, pick(11), 1);
            record_countermove(node, pick(13));
            for (int k = 0; k < 6; ++k)
                add_history(node.side_to_move(), pick(17 + k), 10 * (k - 2));
            EXPECT_TRUE(same_moves(picked_order(node), generated)) << fen << " seed " << seed;
        }
}

TEST_F(Ordering, HistoryKillersAndMovesWithoutSquares) {
    ASSERT_TRUE(line.setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"));
    Tboarddata& node = line.node();
    node.gen_all();
    const std::vector<Move> generated = list_of(node);
    add_history(WHITE, generated[5], -30);
    add_history(WHITE, generated[9], 0);
    EXPECT_EQ(picked_order(node), generated); // no credit: generation order
    EXPECT_EQ(find_move(node, generated[9]), 10);
    EXPECT_EQ(find_move(node, NULL_MOVE), 0);
    add_history(WHITE, CASTLE_KING_MOVE, 100); // castling and null moves have no table entries
    EXPECT_EQ(history_of(WHITE, CASTLE_KING_MOVE), 0);
    Tboarddata after_castling{};
    after_castling.move = CASTLE_QUEEN_MOVE;
    record_countermove(after_castling, make_move(1, 2, KIND_KNIGHT)); // must not write out of bounds

    Tkiller_table table{};
    const Move    a = make_move(1, 2, KIND_KNIGHT), b = make_move(3, 4, KIND_BISHOP),
               c = make_move(5, 6, KIND_ROOK);
    update_killers(table, a, 7);
    update_killers(table, b, 7);
    update_killers(table, b, 7); // b: 2 hits against 1, it leads
    EXPECT_EQ(table.slot[7].killer[0], b);
    EXPECT_EQ(table.slot[7].killer[1], a);
    update_killers(table, c, 7); // a newcomer replaces the second killer
    EXPECT_EQ(table.slot[7].killer[1], c);
    update_killers(table, a, KILLER_PLIES); // past the table: ignored
}

} // namespace
