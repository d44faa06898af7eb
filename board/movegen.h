// Generators and legality tests by colour. The record methods of Tboarddata (gen_all,
// gen_legal, gen_captures, filter_legal, filter_evasions) are the usual entry points.
#pragma once

#include "board/types.h"

// Write from `out` on and return the number of moves written.
template <Color Us> int gen_all_moves(Move* out, int ep_file, unsigned castle);
template <Color Us> int gen_capture_moves(Move* out, int ep_file);
int                     gen_all_white(Move* out, int ep_file, unsigned castle);
int                     gen_all_black(Move* out, int ep_file, unsigned castle);
int                     gen_captures_white(Move* out, int ep_file);
int                     gen_captures_black(Move* out, int ep_file);

// Whether a move of Us leaves its king unattacked, for a position where Us is not in check.
template <Color Us> bool is_legal(Move m);
inline bool              is_legal_white(Move m) { return is_legal<WHITE>(m); }
inline bool              is_legal_black(Move m) { return is_legal<BLACK>(m); }

// King destinations of Us free of own pieces and not attacked (only enemy-occupied ones when
// captures_only), judged with the king still on its square.
template <Color Us> Bitboard safe_king_moves(bool captures_only);
Bitboard                     safe_king_moves(bool captures_only); // for the side to move
