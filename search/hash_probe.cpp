// The probe of the search: does the stored result of the current position decide the node?
#include "base/console.h"
#include "board/board.h"
#include "board/boarddata.h"
#include "search/hash_table.h"

int put_HT_evaluation(Tboarddata& node, int alpha, int beta) {
    ++hash_stats.probes;
    Thash_slot* slot = hash_tables.probe_slot(board_state.hash_key);
    if (!slot)
        return 0;
    if (slot->age != AGE_FRESH)
        slot->age = AGE_OLD_HIT;
    ++hash_stats.hits;
    // Even a result too shallow to use tells which move to try first.
    node.hash_move = slot->best_move;
    if (slot->depth < node.depth)
        return 0;
    bool cut = false;
    switch (slot->flags & BOUND_MASK) {
    case BOUND_EXACT: cut = true; break;
    case BOUND_UPPER: cut = slot->score <= alpha; break;
    case BOUND_LOWER: cut = slot->score >= beta; break;
    default:
        console.report_error("le type d evaluation %d n est pas reconnu ds Tboarddata::put_HT_evaluation",
                             slot->flags & BOUND_MASK);
        return 0;
    }
    if (!cut)
        return 0;
    node.eval_score = slot->score;
    node.eval_flags = uint8_t(slot->flags | FLAG_FROM_HASHTABLE);
    return 1;
}
