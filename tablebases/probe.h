// Endgame tablebase probe of the search.
#pragma once

#include <cstdint>

struct Tboarddata;

struct Ttablebase_stats {
    int64_t probes = 0; // probe attempts that reached a table lookup
    int64_t hits   = 0;
};
extern Ttablebase_stats tablebase_stats;

// 1 when the node's score was set from a table (or from the bare-kings rule), 0 otherwise.
int probe(Tboarddata& node);
