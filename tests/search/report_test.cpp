// What the search prints, as exact text: thinking lines with their markers and mate texts, the
// split of long lines, the fail-high and K-best lines, the statistics block with its whisper
// line, the search-state dump; and the lines of a real search, line by line.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "eval/evaluate.h"
#include "search/report.h"
#include "search_fixture.h"
#include "tablebases/probe.h"

namespace {

using search_test::Searching;

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// A Ruy Lopez, for principal variations of any length.
constexpr const char* RUY_LOPEZ[][2] = {
    {"e2", "e4"}, {"e7", "e5"}, {"g1", "f3"}, {"b8", "c6"}, {"f1", "b5"}, {"a7", "a6"},
    {"b5", "a4"}, {"g8", "f6"}, {"d2", "d3"}, {"f8", "e7"}, {"c2", "c3"}, {"b7", "b5"},
    {"a4", "b3"}, {"d7", "d6"}, {"h2", "h3"}, {"c6", "b8"}, {"b1", "a3"}, {"c8", "e6"},
};

// The report state of a search that has run `last` iterations and is in iteration `depth`, with
// the start position at the root and a transposition table holding the first `pv_length`
// moves of the Ruy Lopez as its line.
class Reporting : public Searching {
  protected:
    void SetUp() override {
        Searching::SetUp();
        ASSERT_TRUE(set_position(START));
        search.records[0] = root;
        hash_tables.clear();
        search.pondering       = 0;
        search.ponder_state    = PONDER_NOTHING_YET;
        config.searching       = 0;
        config.in_game         = 0;
        config.xboard_mode     = 0;
        search.iteration_depth = 7;
        search.last_iteration  = 6;
        search.node_counter    = 0;
        for (int d = 0; d < MAX_ITERATIONS; ++d) {
            search.iteration_start[d] = search.iteration_end[d] = -1.0;
            search.iteration_nodes[d] = 0;
            search.iteration_score[d] = search.iteration_bound[d] = SCORE_NOT_COMPUTED;
        }
        set_clock(12.4, 1234567);
        search.nb_excluded = 0;
        e4 = move("e2", "e4");
        set_entry(e4, 123, BOUND_EXACT);
    }

    // Elapsed seconds since iteration 1 and the total nodes the lines show.
    static void set_clock(double seconds, int64_t nodes) {
        search.iteration_start[1] = 1000.0;
        search.iteration_end[6]   = 1000.0 + seconds;
        search.iteration_nodes[1] = nodes;
    }
    static void set_entry(Move m, int score, int flags, int index = 0) {
        search.root_moves[index] = {m, uint8_t(flags), score, 7, 0};
        if (search.nb_root_moves <= index)
            search.nb_root_moves = index + 1;
    }
    void store_pv(int length) {
        constexpr int MAX = sizeof RUY_LOPEZ / sizeof RUY_LOPEZ[0];
        ASSERT_LE(length, MAX);
        Tboarddata line[MAX + 1];
        ASSERT_EQ(line[0].set_fen(START), 1);
        for (int i = 0; i < length; ++i) {
            const Move m = search_test::legal_move(line[i], RUY_LOPEZ[i][0], RUY_LOPEZ[i][1]);
            ASSERT_NE(m, 0u) << i;
            Thash_slot slot{};
            slot.flags     = BOUND_EXACT;
            slot.key_low   = uint32_t(board_state.hash_key);
            slot.key_high  = uint32_t(board_state.hash_key >> 32);
            slot.best_move = m;
            slot.depth     = ONE_PLY * (length - i);
            ASSERT_EQ(hash_tables.store(slot), 1);
            line[i + 1].make_child(m, &line[i], true);
        }
        for (int i = length - 1; i >= 0; --i)
            unmake(line[i + 1].move, &line[i]);
    }
    static std::string pv(Move m, const char* prefix) {
        testing::internal::CaptureStdout();
        print_pv(m, prefix);
        return testing::internal::GetCapturedStdout();
    }

    Move e4 = 0;
};

TEST_F(Reporting, ThinkingLineShowsTheBoundOfItsEntry) {
    store_pv(3);
    EXPECT_EQ(pv(e4, ""), " 7.    123   12  1234567  e4 e5 Nf3\n");
    set_entry(e4, -45, BOUND_UPPER);
    EXPECT_EQ(pv(e4, ""), " 7<=   -45   12  1234567  e4 e5 Nf3\n");
    set_entry(e4, 8, BOUND_LOWER);
    EXPECT_EQ(pv(e4, ""), " 7>=     8   12  1234567  e4 e5 Nf3\n");
    set_entry(e4, 0, BOUND_UNKNOWN);
    EXPECT_EQ(pv(e4, ""), " 7 ?     0   12  1234567  e4 e5 Nf3\n");
    // The final line of a root search, and a line before the `noise` depth.
    set_entry(e4, 123, BOUND_EXACT);
    EXPECT_EQ(pv(e4, "->"), " 7->   123   12  1234567  e4 e5 Nf3\n");
    config.noise = 8;
    EXPECT_EQ(pv(e4, ""), "");
    EXPECT_EQ(pv(e4, "->"), "");
}

TEST_F(Reporting, PositionOutsideTheTableHasAnEmptyLine) {
    EXPECT_EQ(pv(e4, ""), " 7.    123   12  1234567  \n");
}

TEST_F(Reporting, MateScoresAsMatTexts) {
    store_pv(1);
    struct Tcase {
        int         score;
        const char* text;
    };
    const Tcase cases[] = {
        {31999, "Mat01"}, {31997, "Mat02"}, {32000 - 19, "Mat10"}, {31000, "Mat501"},
        {-32000, "-Mat00"}, {-31998, "-Mat01"}, {-31980, "-Mat10"}, {30999, "30999"}, {-30999, "-30999"},
    };
    for (const Tcase& c : cases) {
        set_entry(e4, c.score, BOUND_EXACT);
        EXPECT_EQ(pv(e4, ""), std::string(" 7.  ") + c.text + "   12  1234567  e4\n") << c.score;
    }
    // The protocol wants numbers.
    config.xboard_mode = 1;
    set_entry(e4, 31999, BOUND_EXACT);
    EXPECT_EQ(pv(e4, ""), " 7.  31999   12  1234567  e4\n");
    set_entry(e4, -32000, BOUND_EXACT);
    EXPECT_EQ(pv(e4, ""), " 7.  -32000   12  1234567  e4\n");

    EXPECT_EQ(mate_text(31999), "(MAT en 1)");
    EXPECT_EQ(mate_text(31995), "(MAT en 3)");
    EXPECT_EQ(mate_text(31001), "(MAT en 500)");
    EXPECT_EQ(mate_text(31000), "");
    EXPECT_EQ(mate_text(-31999), "");
}

TEST_F(Reporting, UnscoredEntryShowsOnlyOnTheFinalLine) {
    store_pv(2);
    set_entry(e4, SCORE_NOT_COMPUTED, BOUND_UNKNOWN);
    EXPECT_EQ(pv(e4, ""), "");
    EXPECT_EQ(pv(e4, "->"), " 7.          12  1234567  e4 e5\n");
    set_entry(e4, -SCORE_INFINITE, BOUND_LOWER);
    EXPECT_EQ(pv(e4, ""), "");
    EXPECT_EQ(pv(e4, "->"), " 7.          12  1234567  e4 e5\n");
    // A move with no entry at all (a root without moves) prints the same final line.
    EXPECT_EQ(pv(0, "->"), " 7.          12  1234567  \n");
}

TEST_F(Reporting, LongLineIsSplitOnceAtTheLastBlankBeforeColumn80) {
    store_pv(18);
    const std::string head = " 7.    123   12  1234567  ";
    // 90 characters; the blank after "h3" (column 77) is the last one before column 80.
    EXPECT_EQ(pv(e4, ""), head + "e4 e5 Nf3 Nc6 Bb5 a6 Ba4 Nf6 d3 Be7 c3 b5 Bb3 d6 h3\n" + std::string(27, ' ')
                              + "Nb8 Na3 Be6\n");
}

TEST_F(Reporting, SplitStartsAtEightyCharacters) {
    store_pv(15);
    const std::string moves = "e4 e5 Nf3 Nc6 Bb5 a6 Ba4 Nf6 d3 Be7 c3 b5 Bb3 d6 h3\n";
    // 79 characters with the line end: whole.
    set_clock(12.4, 12345678);
    EXPECT_EQ(pv(e4, ""), " 7.    123   12  12345678  " + moves);
    // 80: cut once, at the blank before the last move.
    set_clock(1234.4, 12345678);
    EXPECT_EQ(pv(e4, ""), " 7.    123  1234  12345678  e4 e5 Nf3 Nc6 Bb5 a6 Ba4 Nf6 d3 Be7 c3 b5 Bb3 d6\n"
                              + std::string(27, ' ') + "h3\n");
}

TEST_F(Reporting, PonderLineGoesToTheLogOnly) {
    store_pv(2);
    search.pondering     = 1;
    search.pondered_move = e4;
    EXPECT_EQ(pv(e4, ""), "");
    const std::string log = only_log();
    const std::string line = " 7.    123   12  1234567   PONDER(e4) e4 e5\n";
    ASSERT_GE(log.size(), line.size()) << log;
    EXPECT_EQ(log.substr(log.size() - line.size()), line);
    // After the ponder hit the line is an ordinary one.
    search.ponder_state = PONDER_HIT;
    EXPECT_EQ(pv(e4, ""), " 7.    123   12  1234567  e4 e5\n");
}

TEST_F(Reporting, FailHighAndKBestLines) {
    store_pv(2);
    testing::internal::CaptureStdout();
    print_fail_high(e4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " 7:)   +++   12  1234567  e4!?\n");
    // Not while pondering in a game without the hit.
    config.in_game   = 1;
    search.pondering = 1;
    testing::internal::CaptureStdout();
    print_fail_high(e4);
    print_k_best();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    config.in_game   = 0;
    search.pondering = 0;

    // Ten best moves: the tenth is numbered 0.
    config.K_BEST_MODE = 10;
    Tboarddata start = root;
    start.gen_legal();
    for (int i = 0; i < 10; ++i) {
        set_entry(start.moves[i + 1], 50 - i, BOUND_EXACT, i);
        search.excluded_moves[i] = start.moves[i + 1];
    }
    search.nb_excluded = 10;
    testing::internal::CaptureStdout();
    print_k_best();
    std::istringstream lines(testing::internal::GetCapturedStdout());
    std::string        text;
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(std::getline(lines, text)) << i;
        char expected[64];
        std::snprintf(expected, sizeof expected, " 7.%d    %2d   12  KMODE=10  ", (i + 1) % 10, 50 - i);
        EXPECT_EQ(text.substr(0, std::strlen(expected)), expected) << text;
    }
    EXPECT_FALSE(std::getline(lines, text));
}

TEST_F(Reporting, StatisticsBlockAndWhisperLine) {
    set_clock(12.5, 2500000);
    node_count                 = 2600000;
    eval_stats.full_evals      = 1300; // under a thousandth: two decimals
    eval_stats.pawn_probes     = 0;
    eval_stats.pawn_evals      = 0;
    hash_stats.probes          = 1000;
    hash_stats.hits            = 250;
    hash_stats.refutations     = 0;
    tablebase_stats            = {4, 3};
    search.iteration_score[5]  = 37;
    search.iteration_bound[5]  = BOUND_EXACT;
    search.iteration_score[6]  = 50;
    search.iteration_bound[6]  = BOUND_LOWER;
    config.opponent_name       = "Bob";
    testing::internal::CaptureStdout();
    print_statistics();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "whisper score = 0.37, ply = 6, nps = 200k, time = 12.5s\n"
              " time:12.50s, nodes:2600000, nps:200000, evals:1300 (0.05%)\n"
              " HT Hit:25.0% (250/1000), HT Refut:0.0%, HP Hit:0%, TB: 3\n");

    // No name, no whisper; no iteration exact: the first one's score would be used.
    config.opponent_name.clear();
    set_clock(0, 10);
    node_count             = 10000;
    eval_stats.full_evals  = 0;
    eval_stats.pawn_probes = 3;
    eval_stats.pawn_evals  = 1;
    hash_stats.reset();
    tablebase_stats        = {};
    testing::internal::CaptureStdout();
    print_statistics();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              " time:0.00s, nodes:10000, nps:0, evals:0 (0.0%)\n"
              " HT Hit:0% (0/0), HT Refut:0%, HP Hit:66.7%\n");
}

TEST_F(Reporting, SearchStateDump) {
    set_clock(2.0, 3000);
    node_count            = 3000;
    eval_stats            = {};
    hash_stats.reset();
    tablebase_stats       = {};
    search.global_phase   = 1;
    root.depth            = -6000;
    testing::internal::CaptureStdout();
    print_search_state(root);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Trait :white, profondeur:0, Phase:DEVELPEMT, prof2reach:7\n"
              "quiescence search:TRUE\n"
              "possibilites de ROQUE : O-O BLANC, O-O-O BLANC, O-O NOIR, O-O-O NOIR\n"
              "  nps:  1500\n"
              " time:2.00s, nodes:3000, nps:1500, evals:0 (0.0%)\n"
              " HT Hit:0% (0/0), HT Refut:0%, HP Hit:0%\n");
}

// The head of a thinking or fail-high line rebuilt from the fields read in it: the line must
// start with exactly that text.
bool well_formed(const std::string& line) {
    int  depth = 0, seconds = 0;
    long nodes = 0;
    char marker[3] = {}, score[16] = {};
    if (std::sscanf(line.c_str(), "%2d%2c %15s %d %ld", &depth, marker, score, &seconds, &nodes) != 5)
        return false;
    char shown[16];
    if (std::strstr(score, "Mat"))
        std::snprintf(shown, sizeof shown, "%s", score);
    else
        std::snprintf(shown, sizeof shown, "%5d", std::atoi(score));
    char head[80];
    std::snprintf(head, sizeof head, "%2d%2s %s  %3d  %7ld  ", depth, marker, shown, seconds, nodes);
    if (std::strcmp(marker, ":)") == 0)
        std::snprintf(head, sizeof head, "%2d:) %5s  %3d  %7ld  ", depth, score, seconds, nodes);
    return line.compare(0, std::strlen(head), head) == 0;
}

// A real search, line by line: each iteration prints its new bests (and a fail-high line before
// a re-search) and its final line, then the statistics; the mate shows as Mat03.
TEST_F(Searching, ThinkingLinesOfAMateInThree) {
    const Move         best = think("rr4k1/5ppp/8/8/8/3Q4/3R1PPP/3R2K1 w - -", 5);
    std::istringstream lines(printed);
    std::string        text;
    std::vector<std::string> all;
    while (std::getline(lines, text))
        all.push_back(text);
    ASSERT_GE(all.size(), 7u) << printed;

    int finals = 0;
    for (size_t i = 0; i + 2 < all.size(); ++i) {
        EXPECT_TRUE(well_formed(all[i])) << all[i];
        finals += all[i].compare(2, 2, "->") == 0;
    }
    EXPECT_EQ(finals, 5);
    const std::string last_final = all[all.size() - 3];
    EXPECT_EQ(last_final.substr(0, 10), " 5-> Mat03") << last_final;
    EXPECT_EQ(last_final.substr(last_final.size() - 25), "  Qd8 Rxd8 Rxd8 Rxd8 Rxd8") << last_final;
    EXPECT_EQ(best, move("d3", "d8"));
    EXPECT_EQ(all[all.size() - 2].compare(0, 6, " time:"), 0) << all[all.size() - 2];
    EXPECT_EQ(all.back().compare(0, 8, " HT Hit:"), 0) << all.back();
}

} // namespace
