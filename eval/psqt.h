// Piece-square and outpost tables. Base tables are written from White's side; the working
// tables below are per colour, already mirrored for Black (square s of Black reads the White
// value at s ^ 56), so that make-move and the evaluation index them by the real square.
#pragma once

#include <cstdint>

#include "board/piece_square.h"
#include "board/types.h"

// Outpost values by colour and square (owner's view, mirrored for Black).
extern int32_t knight_outpost[2][64];
extern int32_t bishop_outpost[2][64];
extern int32_t rook_outpost[2][64];

// Builds every working table from the base tables, with no per-search adjustment. Start-up.
void init_piece_square_tables();

// Refreshes the working tables for a search whose root side is `root_side`: the base values,
// then the root side's middle-game knight table pushed away from the edges and the enemy's
// back rank, where a knight wastes the engine's own attacking time.
void refresh_piece_square_tables(Color root_side);
