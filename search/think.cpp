// The think driver: iterative deepening with its stop rules, and the poll: the node budget at
// every node, the clock and every waiting line of input at each tick of the ticker thread.
#include <algorithm>
#include <cassert>

#include "base/command_codes.h"
#include "base/config.h"
#include "base/console.h"
#include "board/boarddata.h"
#include "eval/evaluate.h"
#include "search/hash_table.h"
#include "search/report.h"
#include "search/score.h"
#include "search/search.h"

Tsearch        search;
Tinput_reader  search_input_reader  = nullptr;
Tbudget_source search_budget_source = nullptr;

namespace {

constexpr double EASY_MOVE_SHARE      = 0.35;
constexpr double ITERATION_TIME_SHARE = 0.65;
constexpr int    LINES_PER_TICK       = 256;

// The commands that stop a search whatever it is doing (table of commands during a search).
bool stops_any_search(int code) {
    return code == CMD_FORCE || code == CMD_MOVE_NOW || code == CMD_RESULT || code == CMD_EXIT;
}
bool stops_analysis_or_ponder(int code) {
    return code == CMD_GO || code == CMD_UNDO || code == CMD_EDIT || code == CMD_REMOVE || code == CMD_NEW
           || code == CMD_TEST || code == CMD_SPEED;
}
bool is_console_tool(int code) {
    return code == CMD_FUSION || code == CMD_MAKEBOOK || code == CMD_FILTRE || code == CMD_FILTREBIN
           || code == CMD_BADEVAL || code == CMD_STAT;
}

} // namespace

double Tsearch::elapsed() const {
    if (iteration_start[1] < 0)
        return 0;
    const double end =
        config.searching ? console.now() : iteration_end[last_iteration > 0 ? last_iteration : 1];
    return end > iteration_start[1] ? end - iteration_start[1] : 0;
}

int64_t Tsearch::total_nodes() const {
    int64_t total = node_counter;
    for (int d = 1; d < MAX_ITERATIONS; ++d)
        total += iteration_nodes[d];
    return total;
}

void Tsearch::set_deadlines(double start, const Ttime_budget& budget) {
    search_start = start;
    time_target  = budget.target;
    time_limit   = budget.limit;
    if (budget.target == 0) {
        soft_deadline = panic_deadline = 0;
        return;
    }
    soft_deadline  = start + budget.target;
    panic_deadline = config.in_game ? start + 2 * budget.target : soft_deadline;
    if (budget.limit > 0) {
        soft_deadline  = std::min(soft_deadline, start + budget.limit);
        panic_deadline = std::min(panic_deadline, start + budget.limit);
    }
}

bool Tsearch::poll_search() {
    if (abort_flag)
        return true;
    // The node budget is checked at every node, not at ticks: the search ends within a few nodes of it.
    if (node_counter >= iteration_node_limit) {
        abort_flag   = 1;
        abort_reason = ABORT_TIME;
        return true;
    }
    if (!config.tick.load(std::memory_order_relaxed))
        return false;
    config.tick.store(0, std::memory_order_relaxed);

    const bool waiting_ponder = pondering && ponder_state != PONDER_HIT;
    if (!(config.in_game && waiting_ponder) && soft_deadline != 0) {
        const double now = console.now();
        // The most the clock can pay ends the search whatever depth it has reached, at the last
        // tick before it: the next one would come too late.
        const double period = config.tick_period.load(std::memory_order_relaxed) / 1000.0;
        const bool   spent  = time_limit > 0 && now + period >= search_start + time_limit;
        if (spent || (board_state.ply >= config.min_sd && now >= (panic ? panic_deadline : soft_deadline))) {
            abort_flag   = 1;
            abort_reason = ABORT_TIME;
            return true;
        }
    }
    if (!search_input_reader)
        return false;
    // Every line already there is read at this tick, not one a tick: a burst of input must not
    // hold back a "quit" or the opponent's move behind it. A very long burst goes on at the next
    // node, so the clock is looked at in between.
    for (int lines = 0; lines < LINES_PER_TICK; ++lines) {
        const int code = search_input_reader(0);
        if (code != CMD_NONE && act_on_command(code))
            return true;
        if (code == CMD_NONE && !console.input_waiting())
            return false;
    }
    config.tick.store(1, std::memory_order_relaxed);
    return false;
}

// What a command read during the search does to it; true when it stops the search.
bool Tsearch::act_on_command(int code) {
    const bool waiting_ponder = pondering && ponder_state != PONDER_HIT;
    auto       stop           = [&](int reason) {
        abort_flag   = 1;
        abort_reason = reason;
        return true;
    };
    const bool analysing_or_pondering = config.analyze_mode || waiting_ponder;
    if (code == CMD_MOVE) {
        if (config.analyze_mode)
            return stop(CMD_MOVE);
        if (waiting_ponder) {
            if (entered_move == pondered_move) {
                ponder_state = PONDER_HIT;
                // The clocks came just before the move: the budget is the one they give now.
                if (time_target != 0 && search_budget_source)
                    set_deadlines(search_start, search_budget_source());
                if (soft_deadline != 0 && console.now() >= soft_deadline)
                    return stop(ABORT_TIME);
                return false;
            }
            ponder_state = PONDER_MISS;
            return stop(CMD_MOVE);
        }
        return false;
    }
    if (stops_any_search(code) || (analysing_or_pondering && stops_analysis_or_ponder(code)))
        return stop(code);
    // Nothing asked for a move: an analysis goes on, any other search gives way to one.
    if (code == CMD_ANALYZE)
        return config.analyze_mode ? false : stop(CMD_ANALYZE);
    if (is_console_tool(code)) {
        console.print("%d inconnu\n", code);
        // An analysis ends as "exit" ends it, with no move played.
        if (config.analyze_mode)
            return stop(CMD_EXIT);
        return stop(CMD_MOVE_NOW);
    }
    return false;
}

Move Tsearch::think(Tboarddata& root, int in_game, int pondering_search, int max_depth, Ttime_budget budget,
                    int stable_limit, const Move* expected, int nb_expected) {
    Tboard& b        = board_state;
    nb_root_moves    = 0;
    config.in_game   = in_game;
    config.searching = 1;
    pondering        = pondering_search;
    if (!in_game) {
        b.game_ply       = 0;
        b.key_history[0] = b.hash_key;
    }
    abort_flag   = 0;
    abort_reason = ABORT_NONE;
    if (pondering)
        ponder_state = PONDER_NOTHING_YET;

    depth_limit = max_depth == 0 || max_depth > config.max_sd ? config.max_sd : max_depth;
    if (depth_limit < config.min_sd)
        depth_limit = config.min_sd;
    static_assert(DEEPEST_PLY < MAX_PLY && DEEPEST_PLY < MAX_ITERATIONS, "the line holds the deepest ply");
    assert(depth_limit <= DEEPEST_PLY); // the ranges of max_sd and min_sd

    records[0]       = root;
    b.current_record = &records[0];
    Tboarddata& top  = records[0];

    set_deadlines(console.now(), budget);
    prepare_search(top, budget.target);

    Move best           = 0;
    int  stable_count   = 0;
    bool past_the_limit = true;
    for (int d = 1; d <= depth_limit; ++d) {
        iteration_depth    = d;
        iteration_start[d] = console.now();
        last_iteration     = d - 1;
        node_counter       = 0;
        nb_excluded        = 0;
        // What the earlier iterations left of the node budget.
        iteration_node_limit = node_limit > 0 ? node_limit - total_nodes() : INT64_MAX;
        top.reset();
        top.depth = d * ONE_PLY;
        b.ply     = 0;

        const Move move    = root_search(top, -SCORE_INFINITE, SCORE_INFINITE);
        iteration_best[d]  = move;
        iteration_end[d]   = console.now();
        iteration_score[d] = result_score(top);
        iteration_bound[d] = result_flags(top) & BOUND_MASK;
        iteration_nodes[d] = node_counter;
        node_counter       = 0;
        last_iteration     = d;
        if (move)
            best = move;

        bool expected_found = false;
        for (int k = 0; k < nb_expected; ++k)
            expected_found |= expected[k] == move;
        if (nb_expected > 0) {
            stable_count = expected_found ? stable_count + 1 : 0;
            if (stable_limit != 0 && stable_count >= stable_limit) {
                past_the_limit = false;
                break;
            }
        }
        // A mate distance asked for replaces this rule: a longer mate found early does not end it.
        if (iteration_score[d] >= MATE_RANGE && iteration_bound[d] != BOUND_UPPER && d >= 3 && in_game
            && !config.analyze_mode && mate_limit == 0) {
            past_the_limit = false;
            break;
        }
        // A mate as short as the one asked for, or shorter, ends the search at once.
        if (mate_limit > 0 && iteration_score[d] >= -SCORE_MATED + 1 - 2 * mate_limit
            && iteration_score[d] <= -SCORE_MATED && iteration_bound[d] != BOUND_UPPER) {
            past_the_limit = false;
            break;
        }
        if (node_limit > 0 && !abort_flag && total_nodes() >= node_limit) {
            abort_flag   = 1;
            abort_reason = ABORT_TIME;
        }
        if (abort_flag) {
            past_the_limit = false;
            break;
        }
        const bool waiting_ponder = pondering && ponder_state != PONDER_HIT;
        if (d >= 5 && in_game && !waiting_ponder && top.nb_moves == 1 && !config.analyze_mode) {
            console.print("Brelok has used less time because there is only one legal move\n");
            abort_flag     = 1;
            abort_reason   = ABORT_TIME;
            past_the_limit = false;
            break;
        }
        if (time_target != 0 && !pondering && in_game
            && console.now() - iteration_start[1] >= EASY_MOVE_SHARE * time_target && move
            && move_kind(move) != KIND_NULL) {
            const Color root_side = top.side_to_move();
            Bitboard    own       = hanging[root_side];
            // Castlings carry no from-square.
            if (move_from(move) != NO_SQUARE)
                own &= ~square_bb(move_from(move));
            if (move_captured(move) != PAWN)
                own &= ~b.pawns_bb[root_side];
            if (move_to(move) != NO_SQUARE && (hanging[~root_side] & square_bb(move_to(move))) && !own) {
                console.print("%s has used less time because it seems to be an 'easy' move\n", "Brelok");
                abort_flag     = 1;
                abort_reason   = ABORT_TIME;
                past_the_limit = false;
                break;
            }
        }
        // An iteration begun after 65% of the time would rarely end before the deadline. The
        // floor is the iteration depth: between iterations the ply counter is always 0.
        if (time_target != 0 && in_game && !waiting_ponder && d >= config.min_sd
            && console.now() - iteration_start[1] >= ITERATION_TIME_SHARE * time_target) {
            abort_flag     = 1;
            abort_reason   = ABORT_TIME;
            past_the_limit = false;
            break;
        }
    }
    if (past_the_limit) {
        abort_flag     = 1;
        abort_reason   = ABORT_DEPTH_LIMIT;
        last_iteration = depth_limit;
    }

    // The score of the latest exact iteration, else the first one's.
    int score = iteration_score[1];
    for (int d = last_iteration; d >= 1; --d)
        if (iteration_bound[d] == BOUND_EXACT) {
            score = iteration_score[d];
            break;
        }
    final_score    = score;
    final_bound    = iteration_bound[last_iteration > 0 ? last_iteration : 1];
    final_duration = iteration_end[last_iteration] - iteration_start[last_iteration];

    root             = top;
    b.current_record = &root;
    // The limits of an interface hold for one think.
    node_limit           = 0;
    mate_limit           = 0;
    nb_search_moves      = 0;
    iteration_node_limit = INT64_MAX;

    if (!in_game || !(pondering && ponder_state == PONDER_MISS && abort_reason == CMD_MOVE))
        print_statistics();
    config.searching = 0;

    predicted_reply = 0;
    if (best) {
        Move      line[MAX_PLY];
        const int length = hash_line_from_position(b.hash_key, root.side_to_move(), best, line, MAX_PLY);
        if (length >= 2)
            predicted_reply = line[1];
    }
    return best;
}
