// The developer benchmark's search: the eight benchmark positions searched one by one to a fixed
// depth under fixed settings, from cleared tables. Its total node count is a signature of the
// search: any change to the order of moves, the pruning or the evaluation moves it.
#pragma once

#include <cstdint>

#include "board/types.h"

// Table sizes of the benchmark, whatever the settings file asks for: the node count depends on
// them.
constexpr int BENCH_SIZE_HT = 8;
constexpr int BENCH_SIZE_HP = 2;

struct Tbench_result {
    Move    best_move = 0;
    int     side      = 0; // side to move of the position
    int     score     = 0; // root score of the last iteration
    int64_t nodes     = 0; // calls of the node search, root included
    double  seconds   = 0;
};

// Puts the search switches at the defaults of the settings table, the opponent unknown, the
// tablebases off, K-best mode off, the printing of thinking lines off, and rebuilds both hash
// tables at the benchmark sizes.
void use_bench_settings();

// Searches benchmark position `index` to `depth` plies, untimed and outside a game, so that the
// draw score ignores clocks and opponent. Both hash tables and the ordering tables start empty.
// The search's own statistics lines still go to standard output.
Tbench_result bench_position(int index, int depth);
