// The lazy move picker of full-width nodes: each call places the moves of the next stage that
// has any, so a cut-off early in the list costs none of the later stages.
#include <utility>

#include "board/board.h"
#include "board/boarddata.h"
#include "search/ordering.h"

namespace {

// Moves the move to position v when it stands there or later; true when it was found there.
bool bring_forward(Move* list, int v, int count, Move move) {
    for (int p = v; p <= count; ++p)
        if (list[p] == move) {
            std::swap(list[p], list[v]);
            return true;
        }
    return false;
}

// Brings the stored killers of a ply forward in their order; returns the next free position.
int place_killers(const Tkiller_slot& slot, Move* list, int v, int count) {
    for (int j = 0; j < slot.count; ++j)
        if (bring_forward(list, v, count, slot.killer[j]))
            ++v;
    return v;
}

// Position of the move of v..count with the largest positive history value (the first found
// on ties); 0 when none is positive.
int best_history_position(Color side, const Move* list, int v, int count) {
    int best_position = 0;
    int best_value    = 0;
    for (int p = v; p <= count; ++p) {
        if (move_to(list[p]) == NO_SQUARE)
            continue;
        const int value = history_of(side, list[p]);
        if (value > best_value) {
            best_value    = value;
            best_position = p;
        }
    }
    return best_position;
}

} // namespace

int pick_next_moves(Tboarddata& node, int& ordered, int stage, int count) {
    Move*     list = node.moves;
    const int ply  = board_state.ply;
    int       v    = ordered + 1;

    if (stage < STAGE_HASH_MOVE && move_kind(node.hash_move) != KIND_NONE
        && bring_forward(list, v, count, node.hash_move)) {
        ordered = v;
        return STAGE_HASH_MOVE;
    }
    if (stage < STAGE_GOOD_CAPTURES && v <= count) {
        const int captures = keep_captures(list + v, count - v + 1);
        // Every capture that does not win material by the simple count is judged by see.
        const int good = order_captures(list + v, captures, 1);
        if (good > 0) {
            ordered = v + good - 1;
            return STAGE_GOOD_CAPTURES;
        }
    }
    if (stage < STAGE_KILLERS) {
        const int next = place_killers(quiet_killers.slot[ply], list, v, count);
        if (next > v) {
            ordered = next - 1;
            return STAGE_KILLERS;
        }
    }
    if (stage < STAGE_COUNTERMOVE && ply != 0 && move_to(node.move) != NO_SQUARE) {
        const Move reply = countermove_table[move_from(node.move)][move_to(node.move)];
        if (move_kind(reply) != KIND_NONE && bring_forward(list, v, count, reply)) {
            ordered = v;
            return STAGE_COUNTERMOVE;
        }
    }
    if (stage < STAGE_CAPTURE_KILLERS) {
        const int next = place_killers(capture_killers.slot[ply], list, v, count);
        if (next > v) {
            ordered = next - 1;
            return STAGE_CAPTURE_KILLERS;
        }
    }
    const Color side = node.side_to_move();
    if (stage < STAGE_HISTORY) {
        if (const int p = best_history_position(side, list, v, count)) {
            std::swap(list[p], list[v]);
            ordered = v;
            return STAGE_HISTORY;
        }
    }
    // The second history move, then the rest as generated.
    if (const int p = best_history_position(side, list, v, count))
        std::swap(list[p], list[v]);
    ordered = count;
    return STAGE_DONE;
}

int find_move(const Tboarddata& node, Move move) {
    for (int p = 1; p <= node.nb_moves; ++p)
        if (node.moves[p] == move)
            return p;
    return 0;
}
