// Move-tree counts against published figures: every position of the two perft files to depth 4,
// or in the opt-in deep run to depth 6 (skipping counts past a billion leaves), where the named
// positions make every leaf. The walk that makes every leaf is checked over the same trees to
// depth 3 by the consistency tests, which also see the root left as found.
#include <gtest/gtest.h>

#include "base/data_rows.h"
#include "perft.h"

namespace {

void check_counts(const char* file, Tperft_mode deep_mode) {
    const std::vector<Tperft_case> cases = read_perft_file(shared_file(file));
    const int                      depth = deep_run() ? 6 : 4;
    ASSERT_GT(cases.size(), 5u) << file;
    for (const Tperft_case& c : cases) {
        ASSERT_TRUE(perft_setup(c.fen)) << c.fen;
        for (int d = 1; d <= std::min(depth, int(c.counts.size()) - 1); ++d)
            if (c.count(d) && c.count(d) <= 1000000000
                && perft(d, deep_run() ? deep_mode : Tperft_mode::count_last_ply) != c.count(d)) {
                ADD_FAILURE() << file << " line " << c.line << " depth " << d << ": " << c.fen;
                break; // deeper counts would only repeat the fault
            }
    }
}

TEST(Perft, Suite) { check_counts("perftsuite.epd", Tperft_mode::count_last_ply); }

TEST(Perft, NamedPositions) { check_counts("perft_named.epd", Tperft_mode::make_every_node); }

} // namespace
