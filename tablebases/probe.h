// Endgame tablebase probe of the search.
#pragma once

#include <cstdint>

#include "tablebases/registry.h"

struct Tboarddata;
class Tboard;

struct Ttablebase_stats {
    int64_t probes = 0; // probe attempts that reached a table lookup
    int64_t hits   = 0;
};
extern Ttablebase_stats tablebase_stats;

// 1 when the node's score was set from a table (or from the bare-kings rule), 0 otherwise.
int probe(Tboarddata& node);

// Where a position's value lives: class, table side, invert flag, en-passant square and index.
struct Ttable_key {
    int      id     = 0;
    int      side   = 0;
    int      invert = 0;
    int      ep     = tb::NO_EP;
    uint32_t index  = tb::NO_INDEX;
};
// The piece counts of the board, White first.
Tcounts board_counts(const Tboard& b);
// The slot of the board's position in the class `signed_id` (negative: stored with the sides
// exchanged), with `ep_file` the en-passant file of the last move (67 when none).
Ttable_key table_key(const Tboard& b, int side_to_move, int ep_file, int signed_id);
// The search score of a table byte (not TB_NO_VALUE).
int tablebase_score(int value);
