// The transposition table: keys after moves against make-move, the two-slot store with its
// replacement and ageing rules, the probe's verdicts, and the stored line.
#include <gtest/gtest.h>
#include <tuple>

#include "base/config.h"
#include "base/data_rows.h"
#include "base/keep_values.h"
#include "board/perft.h"
#include "line_fixture.h"
#include "search/hash_table.h"

namespace {

using search_test::legal_move;
using search_test::store_here;
using search_test::Tline;

constexpr int PLY = ONE_PLY;

Thash_slot entry(uint64_t key, int depth, uint8_t flags = BOUND_EXACT, int score = 0) {
    Thash_slot e{};
    e.key_low  = uint32_t(key);
    e.key_high = uint32_t(key >> 32);
    e.depth    = depth;
    e.flags    = flags;
    e.score    = score;
    return e;
}

// Keys that share the index of a table of n slots, told apart by their tag.
uint64_t key_at(int32_t index, int32_t n, uint32_t tag) {
    return uint64_t(tag) << 32 | uint32_t(index + n * tag);
}

// Every move of the perft trees (and a null move at each root): the key worked out from the
// parent's key alone is the key make-move leaves.
struct Tkey_check : Tperft_observer {
    uint64_t expected = 0;
    int      failures = 0;
    void     before_make(const Tboarddata& parent, Move m) override {
        expected = key_after_move(m, board_state.hash_key, parent.side);
    }
    void after_make(const Tboarddata&, const Tboarddata&) override {
        failures += expected != board_state.hash_key;
    }
};

TEST(KeyAfterMove, AgreesWithMakeForEveryMove) {
    for (const Tperft_case& c : read_perft_file(shared_file("perftsuite.epd"))) {
        ASSERT_TRUE(perft_setup(c.fen));
        Tkey_check check;
        check.before_make(perft_records[0], NULL_MOVE);
        perft_records[1].make_child(NULL_MOVE, &perft_records[0], false);
        check.after_make(perft_records[0], perft_records[1]);
        unmake(NULL_MOVE, &perft_records[0]);
        perft_observed(2, check);
        EXPECT_EQ(check.failures, 0) << c.fen;
    }
}

TEST(HashStore, SpareSlotDepthRulesAndAgeing) {
    Thashtables   table{1};
    const int32_t n = table.nb_slots();
    EXPECT_EQ(n, (1 << 20) / 24);
    // Both slots empty at the last index: the second one is taken, the spare slot n.
    ASSERT_EQ(table.store(entry(key_at(n - 1, n, 1), PLY)), 1);
    EXPECT_EQ(table.probe_slot(key_at(n - 1, n, 1)), &table.slot_at(n));

    const uint64_t a = key_at(10, n, 1), b = key_at(10, n, 2), c = key_at(10, n, 3);
    EXPECT_EQ(table.store(entry(a, PLY - 1)), 0); // quiescence results never reach the table
    ASSERT_EQ(table.store(entry(a, 4 * PLY, BOUND_EXACT, 11)), 1);
    EXPECT_EQ(table.store(entry(a, 3 * PLY, BOUND_EXACT, 22)), 0); // same position, shallower
    ASSERT_EQ(table.store(entry(a, 4 * PLY, BOUND_LOWER, 33)), 1); // equal depth replaces
    EXPECT_EQ(table.probe_slot(a)->score, 33);
    ASSERT_EQ(table.store(entry(b, 2 * PLY)), 1);
    EXPECT_EQ(table.store(entry(c, PLY)), 0); // both slots deeper
    ASSERT_EQ(table.store(entry(c, 2 * PLY)), 1);
    EXPECT_NE(table.probe_slot(a), nullptr);
    EXPECT_EQ(table.probe_slot(b), nullptr);

    // After ageing an old deep second slot gives way; a fresh one does not.
    const uint64_t deep = key_at(20, n, 1), first = key_at(20, n, 2), next = key_at(20, n, 3);
    for (bool aged : {false, true}) {
        table.clear();
        ASSERT_EQ(table.store(entry(deep, 10 * PLY)), 1); // lands in the second slot
        if (aged)
            table.mark_old();
        ASSERT_EQ(table.store(entry(first, PLY)), 1);
        ASSERT_EQ(table.store(entry(next, PLY)), 1);
        EXPECT_EQ(table.probe_slot(deep) != nullptr, !aged);
        EXPECT_EQ(table.probe_slot(first) != nullptr, aged);
    }
    EXPECT_EQ(table.probe_slot(next)->age, AGE_FRESH);
    table.mark_old();
    EXPECT_EQ(table.find(first)->age, AGE_OLD_HIT);

    Thashtables none(0); // no slots: no store, no hit
    EXPECT_FALSE(none.has_slots());
    EXPECT_EQ(none.store(entry(a, 4 * PLY)), 0);
    EXPECT_EQ(none.probe_slot(a), nullptr);
}

class HashProbe : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(line.setup("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -"));
        hash_tables.clear();
    }
    void TearDown() override { hash_tables.clear(); }
    int  probe(int depth, int alpha, int beta) {
         line.node().reset();
         line.node().depth = depth;
         return put_HT_evaluation(line.node(), alpha, beta);
    }
    Tline      line;
    const Move rook_takes = make_move(search_test::sq("a8"), search_test::sq("a1"), KIND_ROOK, ROOK);
};

TEST_F(HashProbe, DepthAndBoundsDecide) {
    store_here(line.node(), 2 * PLY, BOUND_EXACT | FLAG_DRAW_RULE, 40, rook_takes);
    EXPECT_EQ(probe(3 * PLY, -100, 100), 0); // too shallow: no cut, but the hash move
    EXPECT_EQ(line.node().hash_move, rook_takes);
    EXPECT_EQ(probe(2 * PLY, 500, 600), 1); // exact: any window
    EXPECT_EQ(line.node().eval_score, 40);
    EXPECT_EQ(line.node().eval_flags, BOUND_EXACT | FLAG_DRAW_RULE | FLAG_FROM_HASHTABLE);
    store_here(line.node(), 2 * PLY, BOUND_UPPER, 40, rook_takes);
    EXPECT_EQ(probe(2 * PLY, 39, 100), 0);
    EXPECT_EQ(probe(PLY, 40, 100), 1);
    store_here(line.node(), 2 * PLY, BOUND_LOWER, 40, rook_takes);
    EXPECT_EQ(probe(2 * PLY, -100, 41), 0);
    EXPECT_EQ(probe(2 * PLY, -100, 40), 1);

    store_here(line.node(), 2 * PLY, BOUND_UNKNOWN, 40, rook_takes);
    testing::internal::CaptureStdout();
    EXPECT_EQ(probe(PLY, -100, 100), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind(
                  "le type d evaluation 0 n est pas reconnu ds Tboarddata::put_HT_evaluation", 0),
              0u);

    // A searched node stores its best score, not its evaluation.
    Tboarddata& node  = line.node();
    node.eval_score   = 5;
    node.second_score = 77;
    node.second_flags = BOUND_LOWER;
    EXPECT_EQ(hash_tables.fill(node, 0).score, 77);
}

// In a game, EFFACER_HT | the stored result kept, aged (outside a game the tables are cleared
// whatever it says).
TEST_F(HashProbe, SearchStartAgesInAGameWhenAskedClearsOtherwise) {
    Tkeep saved(config.in_game, config.fritz_mode, config.EFFACER_HT);
    config.fritz_mode = 0;
    for (const auto& [in_game, clear, kept] : {std::tuple{1, 0, true}, {1, 1, false}, {0, 0, false}}) {
        config.in_game    = in_game;
        config.EFFACER_HT = clear;
        store_here(line.node(), PLY, BOUND_EXACT, 0, 0);
        hash_tables.prepare_for_search();
        const Thash_slot* stored = hash_tables.probe_slot(board_state.hash_key);
        EXPECT_TRUE(kept ? stored && stored->age == AGE_OLD : !stored) << in_game << clear;
    }
}

// The knights go out and back, each position stored with the move played.
TEST(HashLine, FollowsBestMovesAndStopsAtACycle) {
    Tline line;
    ASSERT_TRUE(line.setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"));
    hash_tables.clear();
    const uint64_t    root_key     = board_state.hash_key;
    const char* const squares[][2] = {{"g1", "f3"}, {"g8", "f6"}, {"f3", "g1"}, {"f6", "g8"}};
    Move              moves[4], out[16];
    for (int i = 0; i < 4; ++i) {
        moves[i] = legal_move(line.node(), squares[i][0], squares[i][1]);
        store_here(line.node(), PLY, BOUND_EXACT, 0, moves[i]);
        line.play(moves[i]);
        if (i == 2) { // three positions stored: the line ends where the table does
            line.unwind();
            ASSERT_EQ(hash_line_from_position(root_key, WHITE, moves[0], out, 16), 3);
            EXPECT_EQ(out[2], moves[2]);
            EXPECT_EQ(hash_line_from_position(root_key, WHITE, moves[1], out, 16), 1); // the given first move
            EXPECT_EQ(hash_line_from_position(root_key, WHITE, moves[0], out, 2), 2);
            for (int j = 0; j < 3; ++j)
                line.play(moves[j]);
        }
    }
    line.unwind();
    ASSERT_EQ(hash_line_from_position(root_key, WHITE, moves[0], out, 16), 5);
    EXPECT_EQ(out[4], moves[0]);
    hash_tables.clear();
}

} // namespace
