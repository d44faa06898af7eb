// Pawn structure: scores and sets derived from the pawns alone, kept per pawn key in the pawn
// hash, and the four square queries the evaluation self-check asks about.
#pragma once

#include "board/types.h"
#include "eval/pawn_entry.h"

struct Tboarddata;

// Holes of both colours: squares of ranks 3-4 (White) or 5-6 (Black) that no own pawn can
// ever guard again and that the enemy can use.
Bitboard is_weak_square();
// Passed pawns of both colours.
Bitboard is_passed_pawn();
// Whether a pawn of `side` on the square's file is an outside pawn: on a wing of its own, with
// every enemy pawn on the other wing.
bool is_outside_pawn(Square s, int side);
// Whether a pawn stands on the square and the current pawn entry counts it weak.
bool is_weak_pawn(Square s);

// Fills `entry` for the record's phase (bitboards, counts and the two scores of that phase) and
// copies it into the pawn hash. `against_human` turns on the penalty for pawn rams. Returns the
// pawn-structure score from the side to move's view.
int evaluate_pawn_structure(const Tboarddata& node, Tpawn_entry& entry, bool against_human);

// The passed pawns looked at with the whole board (kings, pieces, side to move), replacing the
// stored passed-pawn score when passers matter. Side to move's view; 0 without passed pawns.
int evaluate_passed_pawns(const Tboarddata& node, const Tpawn_entry& entry);
