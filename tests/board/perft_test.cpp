// Move-tree counts against published figures: every position of the two perft files to depth 4.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "board/notation.h"
#include "perft.h"

namespace {

const std::string SUITE_FILE = std::string(BRELOK_SHARED_DATA) + "/perftsuite.epd";
const std::string NAMED_FILE = std::string(BRELOK_SHARED_DATA) + "/perft_named.epd";

// Where a count is off, the per-move counts one ply down tell which subtree to look at.
std::string divide_text(int depth) {
    std::string text;
    for (const Tperft_divide_entry& entry : perft_divide(depth, Tperft_mode::count_last_ply)) {
        char coord[8];
        move_to_coord(entry.move, coord, perft_records[0].side);
        text += std::string(coord) + ": " + std::to_string(entry.nodes) + "\n";
    }
    return text;
}

void check_counts(const std::vector<Tperft_case>& cases, int max_depth) {
    for (const Tperft_case& c : cases) {
        SCOPED_TRACE("line " + std::to_string(c.line) + ": " + c.fen);
        ASSERT_TRUE(perft_setup(c.fen));
        for (int depth = 1; depth <= std::min(max_depth, c.max_depth()); ++depth) {
            if (c.count(depth) == 0)
                continue;
            const uint64_t got = perft(depth, Tperft_mode::count_last_ply);
            EXPECT_EQ(got, c.count(depth)) << "depth " << depth << "\n" << divide_text(depth);
            if (got != c.count(depth))
                break; // deeper counts would only repeat the same fault
        }
    }
}

TEST(PerftFiles, ReaderTakesEveryLine) {
    const std::vector<Tperft_case> suite = read_perft_file(SUITE_FILE);
    ASSERT_EQ(suite.size(), 126u);
    EXPECT_EQ(suite[0].fen, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(suite[0].count(6), 119060324u);
    EXPECT_EQ(suite[1].max_depth(), 5); // Kiwipete is listed to depth 5 only
    EXPECT_EQ(suite[1].count(5), 193690690u);

    const std::vector<Tperft_case> named = read_perft_file(NAMED_FILE);
    ASSERT_EQ(named.size(), 7u);
    EXPECT_EQ(named[1].id, "CPW.2 Kiwipete");
    EXPECT_EQ(named[1].count(6), 8031647685u);
    EXPECT_EQ(named[2].max_depth(), 7);
}

TEST(PerftFiles, ReaderRefusesBrokenLines) {
    Tperft_case c;
    EXPECT_FALSE(parse_perft_line("", c));
    EXPECT_FALSE(parse_perft_line("8/8/8/8/8/8/8/8 w - -", c));          // no counts
    EXPECT_FALSE(parse_perft_line("k7/8/8/8/8/8/8/7K w - - ;D1 x", c));   // count not a number
    EXPECT_FALSE(parse_perft_line("k7/8/8/8/8/8/8/7K w - - ;D1 3x", c));
    EXPECT_FALSE(parse_perft_line(" ;D1 3", c));                          // no position
    ASSERT_TRUE(parse_perft_line("k7/8/8/8/8/8/8/7K w - - ;D2 9 ;id \"x y\" ;D1 3\r", c));
    EXPECT_EQ(c.fen, "k7/8/8/8/8/8/8/7K w - -");
    EXPECT_EQ(c.count(1), 3u);
    EXPECT_EQ(c.count(2), 9u);
    EXPECT_EQ(c.id, "x y");
}

// Both walks must count the same tree: the counting shortcut may not hide a generator fault
// that only making the leaves would show, nor the other way round.
TEST(Perft, BothModesAgree) {
    for (const char* fen : {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                            "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
                            "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ -"}) {
        SCOPED_TRACE(fen);
        ASSERT_TRUE(perft_setup(fen));
        EXPECT_EQ(perft(3, Tperft_mode::make_every_node), perft(3, Tperft_mode::count_last_ply));
        EXPECT_EQ(perft(0, Tperft_mode::count_last_ply), 1u);
    }
}

// A walk must leave the root exactly as it found it: a second walk counts the same.
TEST(Perft, RepeatedWalkCountsTheSame) {
    ASSERT_TRUE(perft_setup("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -"));
    const uint64_t key = board_state.hash_key;
    EXPECT_EQ(perft(3, Tperft_mode::make_every_node), 62379u);
    EXPECT_EQ(board_state.hash_key, key);
    EXPECT_EQ(board_state.ply, 0);
    EXPECT_EQ(board_state.current_record, &perft_records[0]);
    EXPECT_EQ(perft(3, Tperft_mode::make_every_node), 62379u);
}

TEST(PerftSuite, ToDepth4) {
    const std::vector<Tperft_case> cases = read_perft_file(SUITE_FILE);
    ASSERT_FALSE(cases.empty());
    check_counts(cases, 4);
}

TEST(PerftNamed, ToDepth4) {
    const std::vector<Tperft_case> cases = read_perft_file(NAMED_FILE);
    ASSERT_FALSE(cases.empty());
    check_counts(cases, 4);
}

} // namespace
