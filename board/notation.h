// Moves and positions as text: coordinate form (e2e4), the short algebraic form of the thinking
// lines (Nf3, exd5), kind names, FEN placement and the board diagram.
#pragma once

#include <string>

#include "board/types.h"

extern const char* const SQUARE_NAMES[64];
extern const char* const KIND_NAMES[NB_KINDS];       // English, castlings with a leading blank
extern const char* const KIND_SHORT_NAMES[NB_KINDS]; // French letters
extern const char* const KIND_SAN_LETTERS[NB_KINDS];
extern const char* const PIECE_NAMES[7];

// Writes "e2e4", "e7e8q", "e1g1"; the buffer holds at least 6 characters. side other than 0 or 1
// writes castlings as "O-O"/"O-O-O".
int move_to_coord(Move m, char* out, int side);
// The same as a string, for the lines the protocols build.
std::string coord_text(Move m, Color side);
// Reads the coordinate form against a board of piece types; 1 on success, 0 on failure. No
// legality check: the caller looks the word up in the legal list.
int coord_to_move(Move& m, const char* text, const uint8_t piece_types[64]);
// Short algebraic form; the buffer holds at least 9 characters.
int  move_to_short(Move m, char* out, bool with_origin);
void print_move(Move m);

namespace Ttools {
std::string SIGNED_PIECE2SAN(const int8_t signed_board[64]);
}

void print_board();
