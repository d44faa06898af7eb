// Depth extensions of the node search, in depth units (60 per ply).
#pragma once

#include "board/boarddata.h"

// Checks, single replies, queen promotions, pawns reaching the last ranks, recaptures, endgame
// rook moves and threats on the enemy king: 0, 60 or 180. Sets the combination flag of the
// node on a winning recapture.
int extension(Tboarddata& node, int alpha);

// Extra depth for the forcing lines that follow a winning recapture: 0, 60, 120 or 180.
int combination_extension(const Tboarddata& node);
