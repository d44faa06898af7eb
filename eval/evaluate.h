// The static evaluation: the score of the position on the board for the side to move, added up
// term by term in a fixed order, with lazy cut-offs around the search window and a final scaling
// by the winning chances of the side that is ahead.
#pragma once

#include <cstdint>

#include "board/types.h"
#include "eval/pawn_entry.h"

struct Tboarddata;

// Evaluates the position of `node` (the current record) for the window (alpha, beta) and stores
// the score in eval_score, the kind in eval_flags (exact, or a lazy bound) and, on a lazy cut
// above the window, the margin in second_score.
void eval(Tboarddata& node, int alpha, int beta);

// How much of its advantage side `side` can turn into a win, out of 60 (60: all of it).
int win_factor(const Tboarddata& node, int side);

// The pawn entry of the last evaluated pawn structure; the piece and king terms read it.
extern Tpawn_entry current_pawn_entry;

struct Teval_stats {
    uint64_t pawn_probes = 0;
    uint64_t pawn_evals  = 0;
    uint64_t full_evals  = 0;
};
extern Teval_stats eval_stats;

// Whether the opponent is taken to be a human (an opponent name has been received).
bool opponent_is_human();

// What the search start does for the evaluation before its first iteration: forget the current
// pawn entry, record the root snapshot, refresh the working piece-square tables for the root
// side, recompute the root's phase and base score.
void prepare_evaluation(Tboarddata& root);
