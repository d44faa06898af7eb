// Opt-in (label slow): every legal position of every four-man class inside its table, and two
// more four-man endgames solved against their known longest mates.
#include <algorithm>
#include <gtest/gtest.h>

#include "solver.h"
#include "tablebases/registry.h"

namespace {

// Longest win in plies over both sides to move, and whether the tables came out whole.
int longest_win_plies(const std::string& name) {
    const tb_test::Tendgame& eg      = tb_test::solve(name);
    int                      longest = 0;
    for (int side = 0; side < 2; ++side) {
        for (int16_t v : eg.value[side])
            if (v > 0 && v % 2)
                longest = std::max(longest, int(v));
        EXPECT_FALSE(tb_test::make_table(name, side).empty()) << name << side;
    }
    return longest;
}

TEST(SlowTablebases, EveryLegalFourManPositionFallsInsideItsTable) {
    for (int id = 6; id <= 35; ++id)
        for (int side = 0; side < 2; ++side) {
            const tb_test::Tscan scan = tb_test::scan_class(id, side, true);
            EXPECT_EQ(scan.largest + 1, int64_t(tb_classes[id].expected[side]))
                << tb_classes[id].name << side;
            EXPECT_EQ(scan.out_of_range, 0) << tb_classes[id].name << side;
        }
}

TEST(SlowTablebases, BishopAndKnightMateInThirtyThreeAndRookAgainstPawn) {
    EXPECT_EQ(longest_win_plies("kbnk"), 65);
    EXPECT_EQ(longest_win_plies("krkp"), 85);
}

} // namespace
