// Moves written in standard algebraic notation (Nf3, exd5, e8=Q, O-O), as EPD "bm" lists and PGN
// move text give them, read against the legal moves of a position.
#pragma once

#include "board/types.h"

struct Tboarddata;

// The legal move of `node` (its legal list must be generated) that `token` names; 0 when the
// token is not a move, names no legal move, or fits more than one. Letters 'o' and digits '0'
// read as 'O', a leading 'P' is dropped, and check and annotation marks (+ # ! ?) are ignored.
Move read_san_move(const Tboarddata& node, const char* token);
