// Deep perft runs, opt-in (label `slow`): every position of the two perft files to depth 6, or
// to the deepest listed depth whose count stays within a billion leaves.
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>

#include "perft.h"

// How a case shows in the test list: its position.
void PrintTo(const Tperft_case& c, std::ostream* out);
void PrintTo(const Tperft_case& c, std::ostream* out) { *out << c.fen; }

namespace {

class PerftDeepFile : public testing::TestWithParam<Tperft_case> {};

TEST_P(PerftDeepFile, DeepestAffordableDepth) {
    const Tperft_case& c     = GetParam();
    int                depth = std::min(6, c.max_depth());
    while (depth > 1 && (c.count(depth) == 0 || c.count(depth) > 1000000000))
        --depth;
    ASSERT_TRUE(perft_setup(c.fen)) << c.fen;
    const auto start = std::chrono::steady_clock::now();
    // The named positions make every leaf; the long suite counts the last ply.
    const uint64_t nodes =
        perft(depth, c.id.empty() ? Tperft_mode::count_last_ply : Tperft_mode::make_every_node);
    std::printf("depth %d: %llu leaves in %.1f s\n", depth, static_cast<unsigned long long>(nodes),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    EXPECT_EQ(nodes, c.count(depth)) << c.fen << " depth " << depth;
}

std::string case_name(const testing::TestParamInfo<Tperft_case>& info) {
    return "line" + std::to_string(info.param.line);
}

INSTANTIATE_TEST_SUITE_P(Suite, PerftDeepFile,
                         testing::ValuesIn(read_perft_file(BRELOK_SHARED_DATA "/perftsuite.epd")), case_name);
INSTANTIATE_TEST_SUITE_P(Named, PerftDeepFile,
                         testing::ValuesIn(read_perft_file(BRELOK_SHARED_DATA "/perft_named.epd")),
                         case_name);

} // namespace
