// Deep perft runs, opt-in (label `slow`): every position of the two perft files to depth 6, or
// to the deepest listed depth whose count stays within a billion leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "perft.h"

namespace {

const std::string SUITE_FILE = std::string(BRELOK_SHARED_DATA) + "/perftsuite.epd";
const std::string NAMED_FILE = std::string(BRELOK_SHARED_DATA) + "/perft_named.epd";

constexpr int      DEEP_DEPTH = 6;
constexpr uint64_t LEAF_LIMIT = 1000000000; // beyond it a run takes too long even optimised

void report(const char* what, uint64_t nodes, std::chrono::steady_clock::time_point start) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %llu leaves in %.1f s\n", what, static_cast<unsigned long long>(nodes), seconds);
}

TEST(PerftDeep, StartPositionDepth6) {
    ASSERT_TRUE(perft_setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"));
    const auto start = std::chrono::steady_clock::now();
    const uint64_t nodes = perft(6, Tperft_mode::make_every_node);
    report("start position, depth 6", nodes, start);
    EXPECT_EQ(nodes, 119060324u);
}

TEST(PerftDeep, KiwipeteDepth5) {
    ASSERT_TRUE(perft_setup("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"));
    const auto start = std::chrono::steady_clock::now();
    const uint64_t nodes = perft(5, Tperft_mode::make_every_node);
    report("Kiwipete, depth 5", nodes, start);
    EXPECT_EQ(nodes, 193690690u);
}

class PerftDeepFile : public testing::TestWithParam<Tperft_case> {};

TEST_P(PerftDeepFile, DeepestAffordableDepth) {
    const Tperft_case& c = GetParam();
    SCOPED_TRACE(c.fen);
    int depth = std::min(DEEP_DEPTH, c.max_depth());
    while (depth > 1 && (c.count(depth) == 0 || c.count(depth) > LEAF_LIMIT))
        --depth;
    ASSERT_TRUE(perft_setup(c.fen));
    const auto start = std::chrono::steady_clock::now();
    const uint64_t nodes = perft(depth, Tperft_mode::count_last_ply);
    report(("depth " + std::to_string(depth)).c_str(), nodes, start);
    EXPECT_EQ(nodes, c.count(depth)) << "depth " << depth;
}

std::string case_name(const testing::TestParamInfo<Tperft_case>& info) { return info.param.name(); }

INSTANTIATE_TEST_SUITE_P(Suite, PerftDeepFile, testing::ValuesIn(read_perft_file(SUITE_FILE)), case_name);
INSTANTIATE_TEST_SUITE_P(Named, PerftDeepFile, testing::ValuesIn(read_perft_file(NAMED_FILE)), case_name);

} // namespace
