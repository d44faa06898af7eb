// Move-tree counts against published figures: every position of the two perft files to depth 4,
// and both walks (counting the last ply, making every leaf) over the same trees.
#include <gtest/gtest.h>

#include "base/data_rows.h"
#include "perft.h"

namespace {

void check_counts(const char* file, int max_depth) {
    const std::vector<Tperft_case> cases = read_perft_file(shared_file(file));
    ASSERT_GT(cases.size(), 5u) << file;
    for (const Tperft_case& c : cases) {
        ASSERT_TRUE(perft_setup(c.fen)) << c.fen;
        for (int depth = 1; depth <= std::min(max_depth, c.max_depth()); ++depth)
            if (c.count(depth) && perft(depth, Tperft_mode::count_last_ply) != c.count(depth)) {
                ADD_FAILURE() << file << " line " << c.line << " depth " << depth << ": " << c.fen;
                break; // deeper counts would only repeat the fault
            }
    }
}

TEST(Perft, SuiteToDepth4) { check_counts("perftsuite.epd", 4); }

TEST(Perft, NamedPositionsToDepth4) { check_counts("perft_named.epd", 4); }

// The counting shortcut may not hide a generator fault that making the leaves would show; a walk
// leaves the root as it found it.
TEST(Perft, BothModesAgreeAndTheRootIsLeftAsFound) {
    for (const Tperft_case& c : read_perft_file(shared_file("perft_named.epd"))) {
        ASSERT_TRUE(perft_setup(c.fen));
        const uint64_t key = board_state.hash_key;
        EXPECT_EQ(perft(3, Tperft_mode::make_every_node), c.count(3)) << c.fen;
        EXPECT_EQ(board_state.hash_key, key);
        EXPECT_EQ(board_state.ply, 0);
        EXPECT_EQ(board_state.current_record, &perft_records[0]);
    }
}

} // namespace
