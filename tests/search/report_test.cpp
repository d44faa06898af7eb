// What the search prints, as exact text: thinking lines with their markers and mate texts, the
// split of long lines, the ponder, fail-high and K-best lines, the statistics block with its
// whisper line, the search-state dump; and the lines of a real search, line by line.
#include <gtest/gtest.h>

#include "base/data_rows.h"
#include "eval/evaluate.h"
#include "search/hash_table.h"
#include "search/report.h"
#include "search_fixture.h"
#include "tablebases/probe.h"

namespace {

using search_test::Searching;

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
// A Ruy Lopez, for principal variations of any length.
constexpr const char* RUY_LOPEZ =
    "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 d2d3 f8e7 c2c3 b7b5 a4b3 d7d6 h2h3 c6b8 b1a3 c8e6";
const std::string HEAD = " 7.    123   12  1234567  ";

// The report state of a search in iteration 7 after six, from the start position, 12.4 s and
// 1234567 nodes in, e4 scored 123 exactly.
class Reporting : public Searching {
  protected:
    void SetUp() override {
        Searching::SetUp();
        ASSERT_TRUE(set_position(START));
        search.records[0] = root;
        hash_tables.clear();
        search.pondering       = 0;
        search.ponder_state    = PONDER_NOTHING_YET;
        search.iteration_depth = 7;
        search.last_iteration  = 6;
        search.node_counter    = 0;
        search.nb_excluded     = 0;
        for (int d = 0; d < MAX_ITERATIONS; ++d) {
            search.iteration_start[d] = search.iteration_end[d] = -1.0;
            search.iteration_nodes[d]                           = 0;
            search.iteration_score[d] = search.iteration_bound[d] = SCORE_NOT_COMPUTED;
        }
        set_clock(12.4, 1234567);
        e4 = move("e2", "e4");
        set_entry(e4, 123, BOUND_EXACT);
    }
    static void set_clock(double seconds, int64_t nodes) {
        search.iteration_start[1] = 1000.0;
        search.iteration_end[6]   = 1000.0 + seconds;
        search.iteration_nodes[1] = nodes;
    }
    static void set_entry(Move m, int score, int flags, int index = 0) {
        search.root_moves[index] = {m, uint8_t(flags), score, 7, 0};
        search.nb_root_moves     = std::max(search.nb_root_moves, index + 1);
    }
    // The table holds the first `length` moves of the Ruy Lopez as the line from the start.
    static void store_pv(int length) {
        search_test::Tline line;
        ASSERT_TRUE(line.setup(START));
        const std::string moves = RUY_LOPEZ;
        for (int i = 0; i < length; ++i) {
            const Move m = search_test::legal_move(line.node(), moves.substr(5 * i, 2).c_str(),
                                                   moves.substr(5 * i + 2, 2).c_str());
            search_test::store_here(line.node(), ONE_PLY * (length - i), BOUND_EXACT, 0, m);
            line.play(m);
        }
    }
    static std::string pv(Move m, const char* prefix = "") {
        return printed_by([&] { print_pv(m, prefix); });
    }

    Move e4 = 0;
};

// Lines of data/thinking_lines.txt: moves of the line in the table, score, bound, prefix, seconds
// and nodes, noise, protocol mode | the text printed ("/n" for a line end).
TEST_F(Reporting, ThinkingLines) {
    for (const Trow& row : read_rows("search/data/thinking_lines.txt")) {
        const std::vector<std::string> w = words(row[0]);
        hash_tables.clear();
        store_pv(std::stoi(w[0]));
        const int score = w[1] == "none"   ? SCORE_NOT_COMPUTED
                          : w[1] == "-inf" ? -SCORE_INFINITE
                                           : std::stoi(w[1]);
        set_entry(e4, score, int(std::string("?.<>").find(w[2][0])));
        set_clock(std::stod(w[4]), std::stoll(w[5]));
        config.noise       = std::stoi(w[6]);
        config.xboard_mode = std::stoi(w[7]);
        std::string text   = pv(w[3] == "0" ? 0 : e4, w[3] == "-" ? "" : "->");
        for (size_t at; (at = text.find('\n')) != std::string::npos;)
            text.replace(at, 1, "/n");
        EXPECT_EQ(text, row[1]) << row.where;
    }
    EXPECT_EQ(mate_text(31999) + mate_text(31995) + mate_text(31001) + mate_text(31000) + mate_text(-31999),
              "(MAT en 1)(MAT en 3)(MAT en 500)");
}

TEST_F(Reporting, PonderFailHighAndKBestLines) {
    store_pv(2);
    search.pondering     = 1; // while pondering the line goes to the log only
    search.pondered_move = e4;
    EXPECT_EQ(pv(e4), "");
    const std::string log = only_log(), line = HEAD + " PONDER(e4) e4 e5\n";
    EXPECT_EQ(log.substr(log.size() - std::min(log.size(), line.size())), line);
    search.ponder_state = PONDER_HIT; // after the hit it is an ordinary one
    EXPECT_EQ(pv(e4), HEAD + "e4 e5\n");
    config.in_game      = 1; // no fail-high or K-best line while pondering in a game without the hit
    search.ponder_state = PONDER_NOTHING_YET;
    EXPECT_EQ(printed_by([&] { print_fail_high(e4); }) + printed_by(print_k_best), "");
    config.in_game   = 0;
    search.pondering = 0;
    EXPECT_EQ(printed_by([&] { print_fail_high(e4); }), " 7:)   +++   12  1234567  e4!?\n");

    config.K_BEST_MODE = 10; // ten best moves: the tenth is numbered 0
    root.gen_legal();
    for (int i = 0; i < 10; ++i) {
        set_entry(root.moves[i + 1], 50 - i, BOUND_EXACT, i);
        search.excluded_moves[i] = root.moves[i + 1];
    }
    search.nb_excluded = 10;
    EXPECT_EQ(printed_by(print_k_best), test_data("search/data/k_best_lines.txt"));
}

TEST_F(Reporting, StatisticsWhisperAndSearchState) {
    set_clock(12.5, 2500000);
    node_count            = 2600000;
    eval_stats            = {};
    eval_stats.full_evals = 1300; // under a thousandth: two decimals
    hash_stats.reset();
    hash_stats.probes         = 1000;
    hash_stats.hits           = 250;
    tablebase_stats           = {4, 3};
    search.iteration_score[5] = 37;
    search.iteration_bound[5] = BOUND_EXACT;
    search.iteration_score[6] = 50;
    search.iteration_bound[6] = BOUND_LOWER;
    config.opponent_name      = "Bob";
    std::string shown         = printed_by(print_statistics);
    config.opponent_name.clear(); // no name, no whisper
    set_clock(0, 10);
    node_count             = 10000;
    eval_stats             = {};
    eval_stats.pawn_probes = 3;
    eval_stats.pawn_evals  = 1;
    hash_stats.reset();
    tablebase_stats = {};
    shown += printed_by(print_statistics);

    set_clock(2.0, 3000);
    node_count          = 3000;
    eval_stats          = {};
    search.global_phase = 1;
    root.depth          = -6000;
    shown += printed_by([&] { print_search_state(root); });
    EXPECT_EQ(shown, test_data("search/data/statistics_and_state.txt"));
}

// A real search: each iteration prints its new bests (a fail-high line before a re-search) and
// its final line, then the statistics.
TEST_F(Searching, ThinkingLinesOfAMateInThree) {
    const Move best = think("rr4k1/5ppp/8/8/8/3Q4/3R1PPP/3R2K1 w - -", 5);
    EXPECT_EQ(best, move("d3", "d8"));
    EXPECT_EQ(search_test::without_figures(printed), test_data("search/data/mate_in_three.txt"));
}

} // namespace
