// The recursive node search: negamax alpha-beta over the records of the current line, with the
// quiescence search folded into the same routine. The steps run in a fixed order; each one's
// reason is beside it.
#include <cstdlib>

#include "base/config.h"
#include "board/boarddata.h"
#include "board/movegen.h"
#include "eval/evaluate.h"
#include "search/draws.h"
#include "search/extensions.h"
#include "search/hash_table.h"
#include "search/ordering.h"
#include "search/score.h"
#include "search/search.h"
#include "tablebases/probe.h"

namespace {

// Depth of the first quiescence ply; its descendants go on down by one ply each.
constexpr int QUIESCENCE_DEPTH = -100 * ONE_PLY;

constexpr int FUTILITY_MARGIN     = 211;
constexpr int BIG_FUTILITY_MARGIN = 351;
constexpr int MOINS1_MARGIN       = 100;
// Forward pruning is reserved for sides that still have more than a minor piece.
constexpr int PRUNING_MATERIAL = 325;

bool made_by_null_move(const Tboarddata& node) { return move_kind(node.move) == KIND_NULL; }

// How far the node's value lies above beta, for the pruning switches; nothing when the value
// is an upper bound or the node was extended.
bool margin_above_beta(const Tboarddata& node, int beta, int& margin) {
    if (node.castle & CASTLE_EXTENDED_FLAG)
        return false;
    switch (node.eval_flags & BOUND_MASK) {
    case BOUND_UPPER: return false;
    case BOUND_EXACT: margin = result_score(node) - beta; return true;
    default: margin = node.static_score; return true;
    }
}

bool futility_fires(const Tboarddata& node, int beta) {
    int margin = 0;
    if (!margin_above_beta(node, beta, margin))
        return false;
    const int material = board_state.piece_material[node.side];
    if (config.USE_FUTILITY_SUPERIEUR && margin >= FUTILITY_MARGIN && node.depth < 2 * ONE_PLY
        && material > PRUNING_MATERIAL)
        return true;
    return config.USE_BIG_FUTILITY_SUPERIEUR && margin >= BIG_FUTILITY_MARGIN && node.depth < 3 * ONE_PLY
           && material > PRUNING_MATERIAL;
}

bool legal_move(const Tboarddata& node, Move m) {
    return node.side == WHITE ? is_legal<WHITE>(m) : is_legal<BLACK>(m);
}

void store_in_table(Tboarddata& node, Move best_move) {
    hash_tables.fill(node, best_move);
    hash_tables.store();
}

} // namespace

bool Tsearch::may_store(const Tboarddata& node) const {
    return !abort_flag && node.depth >= ONE_PLY && std::abs(result_score(node)) != SCORE_INFINITE
           && hash_tables.has_slots();
}

int Tsearch::search_node(Tboarddata& node, int alpha, int beta) {
    Tboard& b = board_state;

    // 1. Entry.
    node.reset();
    ++node_counter;

    // 2. Repetition on the line or in the game.
    if (check_repetition(node))
        return 1;

    // 3. Tablebases: exact values near the end of the game.
    if (popcount(b.occupied()) <= 5 && node.depth > QUIESCENCE_DEPTH && probe(node)) {
        if (node.depth < ONE_PLY || std::abs(result_score(node)) == SCORE_INFINITE
            || !hash_tables.has_slots())
            return 1;
        store_in_table(node, 0);
        return 1;
    }

    // 4. In check: the evasions are the whole list; none means mate.
    if (node.in_check() && node.gen_legal() == GEN_CHECKMATE)
        return 1;

    // 5. Fifty moves.
    if (node.halfmove_clock >= 100) {
        draw_score(node);
        node.eval_flags = uint8_t((node.eval_flags & ~BOUND_MASK) | BOUND_EXACT | FLAG_DRAW_RULE);
        return 1;
    }

    // 6. Mate distance: nothing here can be worse than being mated at the next move.
    if (beta > -SCORE_INFINITE && beta <= -31998) {
        node.eval_score = -31998;
        node.set_bound(BOUND_LOWER);
        return 1;
    }

    // 7. Evaluate. On a lazy cut above the window the evaluation leaves its margin over beta in
    // the second score, which the move loop reuses as the best score: keep it where the pruning
    // rules read it.
    eval(node, alpha, beta);
    if ((node.eval_flags & BOUND_MASK) == BOUND_LOWER)
        node.static_score = node.second_score;

    // 8. Ply limit; the ranges of the settings keep it within the records of the line.
    int limit = iteration_depth + config.selectivite;
    if (limit > config.max_sd)
        limit = config.max_sd;
    if (b.ply >= limit)
        return 1;

    // 9. Time and input.
    if (poll_search())
        return 1;

    // 10. Extensions.
    const int depth_before = node.depth;
    node.depth += extension(node, alpha);
    if (node.depth > depth_before)
        node.castle |= CASTLE_EXTENDED_FLAG;
    node.depth += combination_extension(node);
    if (node.depth > depth_before)
        node.castle |= CASTLE_EXTENDED_FLAG;

    // 11. Lines twice as long as the iteration lose half a ply.
    if (node.depth > QUIESCENCE_DEPTH && b.ply >= 2 * iteration_depth)
        node.depth -= ONE_PLY / 2;

    // 12. Transposition table.
    if (node.depth > QUIESCENCE_DEPTH && node.put_HT_evaluation(alpha, beta)) {
        ++hash_stats.refutations;
        return 1;
    }

    // 13. Internal iterative deepening: a shallow search finds a move to try first.
    if (config.USE_INTERNAL_ITERATIVE_DEEPENING && node.depth >= 3 * ONE_PLY
        && move_kind(node.hash_move) == 0) {
        // Both shallow searches start from the node's own depth: each adds the extensions
        // itself, and the first may leave the depth of a quiescence node behind.
        const int saved_depth   = node.depth;
        const int shallow_depth = depth_before - 2 * ONE_PLY;
        node.depth              = shallow_depth;
        search_node(node, alpha, beta);
        if ((result_flags(node) & BOUND_MASK) == BOUND_UPPER) {
            node.depth = shallow_depth;
            search_node(node, -SCORE_INFINITE, beta);
        }
        node.put_HT_evaluation(alpha, beta);
        node.depth = saved_depth;
    }

    // 14. Null move: if passing still holds beta, so would a real move.
    const Color us = node.side_to_move();
    if (config.USE_NULL_MOVE && node.depth > QUIESCENCE_DEPTH && node.depth >= 2 * ONE_PLY && !node.in_check()
        && !(made_by_null_move(node) && node.parent && made_by_null_move(*node.parent))
        && beta != SCORE_INFINITE && b.piece_material[WHITE] && b.piece_material[BLACK]
        && !(global_phase == 2 && b.piece_material[us] <= PRUNING_MATERIAL && node.depth > 4 * ONE_PLY)) {
        Tboarddata& child = records[b.ply + 1];
        child.make_child(NULL_MOVE, &node, true);
        // Two null moves in a row search the grandparent's position three plies shallower.
        child.depth += made_by_null_move(node) ? ONE_PLY : -2 * ONE_PLY;
        search_node(child, negate_bound(beta), negate_bound(beta - 1));
        const int s = negate_score(result_score(child));
        unmake(NULL_MOVE, &node);
        if (s >= beta) {
            node.second_flags = 0;
            node.eval_score   = config.USE_FAILSOFT ? s : beta;
            node.set_bound(BOUND_LOWER);
            return 1;
        }
    }

    // 15. A node well above beta is searched a ply shallower.
    if (config.USE_MOINS1 && node.depth >= ONE_PLY && node.depth < 4 * ONE_PLY) {
        int margin = 0;
        if (margin_above_beta(node, beta, margin) && margin > MOINS1_MARGIN)
            node.depth -= ONE_PLY;
    }

    // 16. The move list: all moves, or the captures worth trying in quiescence.
    bool full_width = node.depth > QUIESCENCE_DEPTH && node.depth >= ONE_PLY && !futility_fires(node, beta);
    int  count      = 0;
    if (full_width) {
        // A shallow search of this node may have ended in quiescence and left its captures in
        // the list: the full list starts afresh then, or they would be searched twice.
        if (node.captures_done && !node.all_done)
            node.nb_moves = 0;
        node.gen_all();
        count = node.nb_moves;
    } else {
        if (node.parent && node.parent->depth > QUIESCENCE_DEPTH)
            node.depth = QUIESCENCE_DEPTH;
        const int stand_pat = node.eval_score;
        if (stand_pat < beta) {
            const int delta = alpha - stand_pat - 10 > 0 ? alpha - stand_pat - 10 : 0;
            // A full list (evasions, or left by a shallow search) keeps all its moves, the
            // captures brought to the front: a deeper search of this node still needs them all.
            int captures = 0;
            if (node.all_done) {
                captures = keep_captures(node.moves + 1, node.nb_moves);
            } else {
                node.gen_captures();
                captures = node.nb_moves;
            }
            count = order_captures(node.moves + 1, captures, delta);
        }
        if (count == 0) {
            if (stand_pat <= alpha) {
                node.eval_score = alpha;
                node.set_bound(BOUND_UPPER);
            }
            if (node.eval_score >= beta)
                node.set_bound(BOUND_LOWER);
            return 1;
        }
    }

    // 17. Move loop.
    const bool  legal_known = node.legal_done;
    int         ordered     = full_width ? 0 : count;
    int         stage       = 0;
    int         searched    = 0;
    int         stopped_at  = count;
    int         best_child  = 0;
    Move        best_move   = 0;
    Tboarddata& child       = records[b.ply + 1];
    for (int i = 1; i <= count; ++i) {
        if (i > ordered)
            stage = pick_next_moves(node, ordered, stage, count);
        const Move m = node.moves[i];
        if (!legal_known && !legal_move(node, m))
            continue;
        ++searched;
        child.make_child(m, &node, true);
        if (config.USE_PVS_SEARCH && searched > 1 && beta - alpha > 1 && node.depth > ONE_PLY) {
            const int saved_depth = child.depth;
            search_node(child, negate_bound(alpha + 1), negate_bound(alpha));
            const int s = negate_score(result_score(child));
            child.depth = saved_depth;
            if (alpha < s && s < beta)
                search_node(child, negate_bound(beta), negate_bound(alpha));
        } else {
            search_node(child, negate_bound(beta), negate_bound(alpha));
        }
        unmake(m, &node);

        if (abort_flag) {
            if (i == 1) {
                node.second_flags = 0;
                node.eval_score   = -SCORE_INFINITE;
                node.set_bound(BOUND_LOWER);
            }
            stopped_at = i;
            break;
        }
        const int c = result_score(child);
        if (searched == 1 || c < best_child) {
            best_child        = c;
            best_move         = m;
            node.second_score = negate_score(c);
            node.second_flags = bound_swap(result_flags(child));
        }
        if (node.second_score >= beta) {
            // Fail hard; a cut at the last move is marked like any other.
            node.second_score = beta;
            node.second_flags = uint8_t((node.second_flags & ~BOUND_MASK) | BOUND_LOWER);
            stopped_at        = i;
            break;
        }
        if (node.second_score > alpha)
            alpha = node.second_score;
    }

    // 18. After the loop.
    if (searched == 0 && node.depth > QUIESCENCE_DEPTH) {
        // Stalemate: the value is the draw score alone, nothing of the evaluation's flags.
        draw_score(node);
        node.eval_flags = BOUND_EXACT | FLAG_TERMINAL;
    }
    if (!full_width && searched > 0 && node.eval_score > node.second_score)
        node.second_flags = 0; // standing pat beats every capture
    if (may_store(node))
        store_in_table(node, best_move);
    if (!best_move)
        return 1; // nothing searched to the end: nothing for the ordering tables
    if (stopped_at >= 2)
        update_killers(move_captured(best_move) ? capture_killers : quiet_killers, best_move, b.ply);
    if (b.ply != 0 && !made_by_null_move(node))
        record_countermove(node, best_move);
    if (move_kind(best_move) != KIND_NULL)
        add_history(node.side_to_move(), best_move, 5 * (20 - b.ply));
    return 1;
}
