// What the search start records of the root position; several evaluation terms compare with it.
#pragma once

#include <cstdint>

struct Tboarddata;

struct Troot_snapshot {
    int32_t  nb_pawns[2]       = {0, 0};
    int32_t  piece_material[2] = {0, 0};
    int32_t  white_balance     = 0;
    int32_t  side              = 0; // the root side: the side the engine plays in this search
    uint32_t castle            = 0;
};

extern Troot_snapshot root_snapshot;

// Records the position on the board, whose record is `root`, as the root of the coming search.
void take_root_snapshot(const Tboarddata& root);
