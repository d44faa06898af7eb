// Iterative deepening at the root: the root move list with its own ordering, principal-variation
// search with fail-high re-searches, the panic state, and the K-best mode.
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/config.h"
#include "base/console.h"
#include "board/boarddata.h"
#include "eval/evaluate.h"
#include "search/draws.h"
#include "search/hash_table.h"
#include "search/report.h"
#include "search/score.h"
#include "search/search.h"

namespace {

// Whether entry a goes after entry b in the root list.
bool goes_after(const Troot_move& a, const Troot_move& b) {
    if (a.depth != b.depth)
        return a.depth < b.depth;
    if (b.score == SCORE_NOT_COMPUTED)
        return false;
    if (a.score == SCORE_NOT_COMPUTED)
        return true;
    const bool a_upper = (a.flags & BOUND_MASK) == BOUND_UPPER;
    const bool b_upper = (b.flags & BOUND_MASK) == BOUND_UPPER;
    if (a_upper != b_upper)
        return a_upper;
    if (a.score == b.score)
        return a.subtree < b.subtree;
    return a.score < b.score;
}

// A drop of more than this below the previous iteration's score lets the clock run longer.
constexpr int PANIC_DROP = 40;

} // namespace

void Tsearch::sort_root_moves() {
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int i = 0; i + 1 < nb_root_moves; ++i)
            if (goes_after(root_moves[i], root_moves[i + 1])) {
                const Troot_move t = root_moves[i];
                root_moves[i]      = root_moves[i + 1];
                root_moves[i + 1]  = t;
                swapped            = true;
            }
    }
}

bool Tsearch::searches_root_move(Move m) const {
    if (nb_search_moves == 0)
        return true;
    for (int i = 0; i < nb_search_moves; ++i)
        if (search_moves[i] == m)
            return true;
    return false;
}

Troot_move* Tsearch::find_root_move(Move m) {
    for (int i = 0; i < nb_root_moves; ++i)
        if (root_moves[i].move == m)
            return &root_moves[i];
    return nullptr;
}

void Tsearch::run_root_moves(Tboarddata& root, int& alpha, int beta, int& best, Move& result) {
    Tboarddata& child = records[1];
    const int   d     = iteration_depth;
    // Every new best re-sorts the list: the pass walks the order it began with, or a later pass
    // of the K-best mode, whose moves are all scored at this depth already, would search some
    // twice and others never.
    Move order[MAX_ROOT_MOVES];
    for (int k = 0; k < nb_root_moves; ++k)
        order[k] = root_moves[k].move;
    for (int i = 1; i <= nb_root_moves; ++i) {
        root_moves_left = nb_root_moves - i;
        const Move m    = order[i - 1];
        bool       skip = false;
        for (int k = 0; k < nb_excluded; ++k)
            skip |= excluded_moves[k] == m;
        if (skip)
            continue;

        const int serial_before = node_serial;
        child.make_child(m, &root, true);
        const int k_best      = config.in_game ? 1 : config.K_BEST_MODE;
        bool      re_searched = false;
        if (i > k_best && config.USE_PVS_SEARCH && beta - alpha > 1 && root.depth > ONE_PLY) {
            const int saved_depth = child.depth;
            search_node(child, negate_bound(alpha + 1), negate_bound(alpha));
            child.depth = saved_depth;
            if (abort_flag && i != 1) {
                child.second_score = -alpha;
                child.second_flags = uint8_t((child.second_flags & ~BOUND_MASK) | BOUND_LOWER);
            }
            const int s = negate_score(result_score(child));
            if (s > alpha && !abort_flag) {
                re_searched    = true;
                last_change[d] = console.now();
                print_fail_high(m);
                child.reset();
                const int saved_panic = panic;
                if (config.in_game)
                    panic = 1;
                search_node(child, negate_bound(beta), negate_bound(alpha));
                panic = saved_panic;
                if (abort_flag) {
                    // Keep the move at alpha + 1: it beat the best so far before the clock ran out.
                    child.second_flags &= uint8_t(~BOUND_MASK);
                    child.second_score = SCORE_NOT_COMPUTED;
                    child.eval_flags   = uint8_t((child.eval_flags & ~BOUND_MASK) | BOUND_UPPER);
                    child.eval_score   = -1 - alpha;
                } else if (negate_score(result_score(child)) < best) {
                    print_pv(result, "");
                    last_change[d] = console.now();
                }
            }
        } else {
            search_node(child, negate_bound(beta), negate_bound(alpha));
            if (abort_flag && i != 1) {
                child.second_score = -alpha;
                child.second_flags = uint8_t((child.second_flags & ~BOUND_MASK) | BOUND_LOWER);
            }
        }
        unmake(m, &root);
        assert(board_state.is_consistent(root.side_to_move()));

        const int     s     = negate_score(result_score(child));
        const uint8_t flags = bound_swap(result_flags(child));
        Troot_move&   entry = *find_root_move(m);
        entry.score         = s;
        entry.flags         = flags;
        entry.depth         = d;
        entry.subtree       = node_serial - serial_before;

        if (s > best) {
            best              = s;
            result            = m;
            root.second_score = s;
            root.second_flags = flags;
            sort_root_moves();
            if (!re_searched)
                last_change[d] = console.now();
            if (may_store(root)) {
                hash_tables.fill(root, result);
                hash_tables.store();
            }
            print_pv(result, "");
            const bool   waiting_ponder = pondering && ponder_state != PONDER_HIT;
            const double since_start    = console.now() - iteration_start[1];
            if (!panic && config.in_game && d >= 2 && i == 1 && !abort_flag
                && s + PANIC_DROP < iteration_score[d - 1]) {
                panic = 1;
                if (d >= config.noise && !waiting_ponder && since_start >= 1.0)
                    console.print("Arghh!, using my panic time (%.1lf s instead of %.1lf s)\n",
                                  2 * time_target, time_target);
            }
            if (panic && s + PANIC_DROP >= iteration_score[d - 1]) {
                panic = 0;
                if (d >= config.noise && !(config.in_game && waiting_ponder) && since_start >= 1.0)
                    console.print(" Ouf!, leaving panic state :-)\n");
            }
            if (s >= beta) {
                root.second_flags = uint8_t((root.second_flags & ~BOUND_MASK) | BOUND_LOWER);
                if (i == nb_root_moves)
                    root_moves_left = 0;
                return;
            }
            if (s > alpha)
                alpha = s;
        }
        if (abort_flag) {
            if (i == 1) {
                root.second_flags = uint8_t((root.second_flags & ~BOUND_MASK) | BOUND_LOWER);
                root.second_score = -SCORE_INFINITE;
            }
            return;
        }
    }
    // Every position walked: the root takes the flags of the best entry.
    root.second_flags = root_moves[0].flags;
}

Move Tsearch::root_search(Tboarddata& root, int alpha, int beta) {
    root.node_id = ++node_serial;
    Move result  = 0;

    if (check_repetition(root))
        return 0;
    if (root.in_check() && root.gen_legal() == GEN_CHECKMATE) {
        print_pv(0, "->");
        return 0;
    }
    if (root.halfmove_clock >= 100) {
        draw_score(root);
        print_pv(0, "->");
        return 0;
    }
    if (!root.legal_done)
        root.gen_legal();
    if (root.nb_moves == 0) {
        if (root.in_check())
            root.eval_score = SCORE_MATED;
        else
            draw_score(root);
        root.eval_flags = uint8_t((root.eval_flags & ~BOUND_MASK) | BOUND_EXACT | FLAG_TERMINAL);
        return 0;
    }
    if (nb_root_moves == 0)
        for (int i = 1; i <= root.nb_moves && nb_root_moves < MAX_ROOT_MOVES; ++i)
            if (searches_root_move(root.moves[i]))
                root_moves[nb_root_moves++] = {root.moves[i], 0, SCORE_NOT_COMPUTED, 0, 0};

    result = root_moves[0].move;
    eval(root, -SCORE_INFINITE, SCORE_INFINITE);
    ++node_counter;

    const int alpha_given = alpha;
    const int beta_given  = beta;
    int       best        = -SCORE_INFINITE;
    run_root_moves(root, alpha, beta, best, result);
    panic = 0;

    const int k_best = config.K_BEST_MODE;
    // An aborted pass ends the K-best mode: further passes would only report unsearched moves.
    while (!config.in_game && k_best > 1 && !abort_flag) {
        excluded_moves[nb_excluded++] = result;
        if (nb_excluded < k_best) {
            char prefix[8];
            std::snprintf(prefix, sizeof prefix, ".%d", nb_excluded % 10);
            print_pv(result, prefix);
        }
        if (nb_excluded == k_best || nb_excluded == nb_root_moves) {
            print_k_best();
            break;
        }
        alpha = alpha_given;
        beta  = beta_given;
        best  = -SCORE_INFINITE;
        run_root_moves(root, alpha, beta, best, result);
        panic = 0;
    }
    // Each pass of the K-best mode leaves its own best as the result; what the search gives back
    // (and stores, and shows on the final line) is the best of the first pass.
    if (nb_excluded > 0) {
        result = excluded_moves[0];
        if (const Troot_move* first = find_root_move(result)) {
            root.second_score = first->score;
            root.second_flags = first->flags;
        }
    }

    sort_root_moves();
    // An aborted iteration stores nothing: its result covers only the moves it reached.
    if (!(result_flags(root) & FLAG_DRAW_RULE) && may_store(root)) {
        hash_tables.fill(root, result);
        hash_tables.store();
    }
    print_pv(result, "->");
    return result;
}
