// The working piece-square table: make-move keeps the base score with it, and the evaluation
// owns its values (it fills the table at start-up and adjusts it for each search).
#pragma once

#include <cstdint>

// [colour][piece type][phase][square], owner's view. Make-move's base score reads the knight,
// bishop, rook, queen and king rows; the pawn rows serve the pawn-structure evaluation only.
extern int32_t piece_square[2][7][3][64];
