// Whole searches: mates and their scores, draws by rule on the line and in the game, the stop
// rules of the think driver outside the clock, and the mate arithmetic. (That a search depends on
// nothing a search before it left: the bench signature, whose positions run one after another.)
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <thread>

#include "base/command_codes.h"
#include "base/console.h"
#include "base/data_rows.h"
#include "platform/platform.h"
#include "search/hash_table.h"
#include "search/score.h"
#include "search_fixture.h"
#include "tools/benchmark_positions.h"

namespace {

using search_test::Searching;

constexpr int MATE_IN_ONE = 32000 - 1;

TEST(ScoreArithmetic, NegationMovesMatesOnePlyAndBoundsFollow) {
    for (const Trow& row : read_rows("search/data/score_negation.txt")) {
        EXPECT_EQ(negate_score(row.number(0)), row.number(1)) << row.where;
        if (!row[2].empty()) {
            EXPECT_EQ(negate_bound(row.number(2)), row.number(3)) << row.where;
        }
    }
    // A child score s beats the child bound b exactly when the parent's view of s beats the bound
    // b was made from (30999 and 31000 both become -30999: the boundary itself is left out).
    for (int b : {-31990, -31001, -30998, -50, 0, 50, 30998, 31001, 31990})
        for (int s = -32000; s <= 32000; s += 7)
            EXPECT_TRUE(s == negate_bound(b) || std::abs(s) == 30999 || std::abs(s) == 31000
                        || (s > negate_bound(b)) == (negate_score(s) < b))
                << "b " << b << " s " << s;
}

// position | depth, in a game (clocks of 1000 s), half-move clock[, max_sd[, min_sd]] | best move
// (coordinates, "-" for none, "*" for any), root score (mates as 32000 less the plies; ">n" for
// more than n, "*" for any), last iteration, flags of the best move's root entry (T terminal, D
// draw by rule, - none required)
TEST_F(Searching, ResultsOfWholeSearches) {
    const int max_sd = config.max_sd, min_sd = config.min_sd;
    for (const Trow& row : read_rows("search/data/searches.txt")) {
        const std::vector<std::string> s = words(row[1]), r = words(row[2]);
        config.time_left = config.otim_left = 100000;
        config.max_sd                       = s.size() > 3 ? std::stoi(s[3]) : max_sd;
        config.min_sd                       = s.size() > 4 ? std::stoi(s[4]) : min_sd;
        ASSERT_TRUE(set_position(row[0].c_str())) << row.where;
        root.halfmove_clock    = std::stoi(s[2]);
        const Move        best = think(std::stoi(s[0]), std::stoi(s[1]));
        const std::string text = best ? coord_text(best, root.side_to_move()) : "-";
        EXPECT_TRUE(r[0] == "*" || text == r[0]) << row.where << ": " << text;
        EXPECT_TRUE(
            r[1] == "*"
            || (r[1][0] == '>' ? root_score() > std::stoi(r[1].substr(1)) : root_score() == std::stoi(r[1])))
            << row.where << ": " << root_score();
        EXPECT_EQ(search.last_iteration, std::stoi(r[2])) << row.where;
        const int flags = best ? entry(best).flags : root.eval_flags;
        EXPECT_TRUE(r[3] == "-"
                    || (r[3] == "T" ? flags == (BOUND_EXACT | FLAG_TERMINAL) : (flags & FLAG_DRAW_RULE) != 0))
            << row.where;
    }
    // A lone legal move in a game: five iterations, and a word about the time saved.
    EXPECT_NE(printed.find("Brelok has used less time because there is only one legal move\n"),
              std::string::npos);
    EXPECT_EQ(search.abort_reason, ABORT_TIME);
    // A budget spent before the search starts: no iteration after the first.
    ASSERT_TRUE(set_position(BENCHMARK_POSITIONS[4]));
    EXPECT_EQ(
        printed_by([&] { search.think(root, 1, 0, 9, -1.0, 0, nullptr, 0); }).find("has used less time"),
        std::string::npos);
    EXPECT_EQ(search.last_iteration, 1);
    EXPECT_EQ(search.abort_reason, ABORT_TIME);
    // A short budget right after a long tick period: the search's finer period starts at once,
    // so it ends near its budget, not when the old period runs out; and the most a clock can pay
    // ends it even before the least depth asked for.
    Tkeep least_depth(config.min_sd);
    config.min_sd = 64;
    config.tick_period.store(60000);
    config.tick.store(0);
    platform::wake_ticker();
    while (!config.tick.load()) // the ticker has ticked, then gone to sleep for a minute
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const double started = console.now();
    printed_by([&] { search.think(root, 0, 0, 30, Ttime_budget(0.02, 0.02), 0, nullptr, 0); });
    EXPECT_LT(console.now() - started, 0.5);
    EXPECT_EQ(search.abort_reason, ABORT_TIME);
}

TEST_F(Searching, PositionOfTheGameHistoryIsADrawInAGameOnly) {
    const char* fen = "r5k1/5ppp/8/8/8/8/3R1PPP/3R2K1 w - -"; // Rd8+ mates in two
    ASSERT_TRUE(set_position(fen));
    const Move         rd8 = move("d2", "d8");
    search_test::Tline line; // the position after Rd8+ stood on the board two plies before the root
    ASSERT_TRUE(line.setup(fen, 4));
    line.play(rd8);
    const uint64_t after_rd8 = board_state.hash_key;
    line.unwind();
    config.time_left = config.otim_left = 100000;
    for (const int in_game : {1, 0}) {
        ASSERT_TRUE(set_position(fen, 4));
        root.halfmove_clock        = 10;
        board_state.key_history[3] = after_rd8;
        board_state.key_history[2] = board_state.key_history[1] = board_state.key_history[0] = 0;
        EXPECT_EQ(think(4, in_game) == rd8, in_game == 0);
        EXPECT_EQ(in_game ? entry(rd8).score : root_score(), in_game ? 0 : 32000 - 3);
    }
}

// A search stopped by a command while a root move that failed high is searched again stores
// nothing of the iteration it cuts short, neither below the root nor at it: the table stays as
// the stop found it.
TEST_F(Searching, AnAbortedSearchStoresNothing) {
    std::vector<Thash_slot>   at_stop;
    uint64_t                  root_move = 0;  // the root move searched last at full depth, by its key
    int                       again     = -1; // nodes into its second search
    search_test::Twatch_nodes watch([&] {
        const int d = search.iteration_depth;
        if (board_state.ply == 1 && search.records[1].depth == (d - 1) * ONE_PLY) {
            again     = board_state.hash_key == root_move && d >= 4 ? 0 : -1;
            root_move = board_state.hash_key;
        }
        if (again < 0 || ++again < 200)
            return int(CMD_NONE);
        at_stop.assign(&hash_tables.slot_at(0), &hash_tables.slot_at(0) + hash_tables.nb_slots() + 1);
        return int(CMD_MOVE_NOW);
    });
    think(BENCHMARK_POSITIONS[0], 9);
    ASSERT_EQ(search.abort_reason, CMD_MOVE_NOW);
    int changed = 0;
    for (size_t i = 0; i < at_stop.size(); ++i)
        changed += std::memcmp(&at_stop[i], &hash_tables.slot_at(int32_t(i)), sizeof(Thash_slot)) != 0;
    EXPECT_EQ(changed, 0);
}

// Internal iterative deepening searches a node without a hash move two plies shallower, and
// again with alpha open when that fails low: both times from the node's own depth, each search
// adding the check extension itself.
TEST_F(Searching, ShallowSearchesBothStartTwoPliesBelowTheNode) {
    think("rnbqkbnr/ppp2ppp/8/1B1pp3/4P3/8/PPPP1PPP/RNBQK1NR b KQkq -", 1); // the search set up
    std::vector<int>          depths;
    search_test::Twatch_nodes watch([&] {
        if (board_state.ply == 0)
            depths.push_back(root.depth);
        return int(CMD_NONE);
    });
    hash_tables.clear();
    search.abort_flag = 0;
    root.depth        = 3 * ONE_PLY;
    search.search_node(root, 500, 501); // far above what Black has: the first fails low
    EXPECT_EQ(depths, (std::vector<int>{3 * ONE_PLY, ONE_PLY, ONE_PLY}));
}

TEST_F(Searching, BareKingsAreADrawWithTheTablebasesOn) {
    for (const int tablebases : {1, 0}) {
        config.USE_TB = tablebases;
        think("8/8/4k3/8/8/8/3K4/8 w - -", 3);
        EXPECT_TRUE(root_score() == 0 || !tablebases);
        for (int i = 0; i < search.nb_root_moves; ++i) // without them nothing is known exactly
            EXPECT_EQ(search.root_moves[i].flags & (tablebases ? BOUND_MASK | FLAG_TERMINAL : FLAG_TERMINAL),
                      tablebases ? BOUND_EXACT | FLAG_TERMINAL : 0)
                << i;
    }
}

TEST_F(Searching, IterationsRunToTheLimitAndKeepTheirFigures) {
    const Move best = think(BENCHMARK_POSITIONS[2], 4);
    EXPECT_NE(best, 0u);
    EXPECT_EQ(search.last_iteration, 4);
    EXPECT_EQ(search.iteration_best[4], best);
    for (int d = 1; d <= 4; ++d) {
        EXPECT_GT(search.iteration_nodes[d], 0) << d;
        EXPECT_NE(search.iteration_score[d], SCORE_NOT_COMPUTED) << d;
        EXPECT_GE(search.iteration_end[d], search.iteration_start[d]) << d;
    }
    EXPECT_EQ(search.iteration_score[5], SCORE_NOT_COMPUTED);
    EXPECT_EQ(search.root_moves[0].move, best); // sorted: the best first, all at the last depth
    for (int i = 0; i < search.nb_root_moves; ++i) {
        EXPECT_EQ(search.root_moves[i].depth, 4);
        EXPECT_TRUE(i == 0 || (search.root_moves[i].flags & BOUND_MASK) == BOUND_UPPER
                    || search.root_moves[0].score >= search.root_moves[i].score);
    }
    EXPECT_NE(search.predicted_reply, 0u); // the second move of the line in the table
}

// The mate first, then two more, the third followed by the summary of all three.
TEST_F(Searching, KBestModeReportsTheBestMovesInTurn) {
    config.K_BEST_MODE = 3;
    config.noise       = 3;
    const Move best    = think("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -", 3);
    EXPECT_EQ(best, move("d1", "d8"));
    EXPECT_EQ(root_score(), MATE_IN_ONE);
    EXPECT_EQ(search_test::without_figures(printed), test_data("search/data/k_best_search.txt"));
    EXPECT_EQ(search.nb_excluded, 3);
}

// Each pass of the K-best mode searches every root move not yet reported, though the list is
// re-sorted at every new best while the pass walks it.
TEST_F(Searching, KBestPassesSearchEveryMoveLeft) {
    config.K_BEST_MODE = 3;
    std::map<std::pair<int, int>, std::set<uint64_t>> reached; // root moves, by iteration and pass
    search_test::Twatch_nodes                         watch([&] {
        if (board_state.ply == 1)
            reached[{search.iteration_depth, search.nb_excluded}].insert(board_state.hash_key);
        return int(CMD_NONE);
    });
    think(BENCHMARK_POSITIONS[0], 3);
    ASSERT_EQ(reached.size(), 9u);
    for (const auto& [when, moves] : reached)
        EXPECT_EQ(int(moves.size()), search.nb_root_moves - when.second) << when.first << " " << when.second;
}

} // namespace
