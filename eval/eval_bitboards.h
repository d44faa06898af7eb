// Colour-relative bitboard helpers of the evaluation: every term is written once for a side C,
// "ahead" meaning toward the enemy.
#pragma once

#include <bit>

#include "board/tables.h"
#include "board/types.h"

namespace eval_bb {

constexpr Bitboard FILE_A        = 0x0101010101010101ULL;
constexpr Bitboard FILE_H        = FILE_A << 7;
constexpr Bitboard EDGES         = FILE_A | FILE_H | 0xFFULL | (0xFFULL << 56);
constexpr Bitboard LIGHT_SQUARES = 0x55AA55AA55AA55AAULL; // rank + file odd; a1 is dark
constexpr Bitboard DARK_SQUARES  = ~LIGHT_SQUARES;

constexpr Bitboard square_colour_set(Square s) {
    return (LIGHT_SQUARES >> s) & 1 ? LIGHT_SQUARES : DARK_SQUARES;
}

// One rank toward the enemy / toward home.
template <Color C> constexpr Bitboard forward(Bitboard b) { return C == WHITE ? b << 8 : b >> 8; }
template <Color C> constexpr Bitboard backward(Bitboard b) { return C == WHITE ? b >> 8 : b << 8; }
template <Color C> constexpr int      forward_step() { return C == WHITE ? 8 : -8; }
template <Color C> constexpr int      ahead_dir() { return C == WHITE ? NORTH : SOUTH; }
template <Color C> constexpr int      behind_dir() { return C == WHITE ? SOUTH : NORTH; }

// Squares attacked by the pawns of C standing on `pawns`.
template <Color C> constexpr Bitboard pawn_attacks(Bitboard pawns) {
    return C == WHITE ? ((pawns << 9) & ~FILE_A) | ((pawns << 7) & ~FILE_H)
                      : ((pawns >> 7) & ~FILE_A) | ((pawns >> 9) & ~FILE_H);
}
// Where a pawn of C stands when it attacks s.
template <Color C> inline Bitboard pawn_attackers_of(Square s) {
    return C == WHITE ? pawn_from_below[s] : pawn_from_above[s];
}

// The two squares beside s on its rank.
constexpr Bitboard beside(Square s) {
    const Bitboard b = square_bb(s);
    return ((b << 1) & ~FILE_A) | ((b >> 1) & ~FILE_H);
}

template <Color C> inline Bitboard file_ahead(Square s) { return ray_bb[s][ahead_dir<C>()]; }
template <Color C> inline Bitboard file_behind(Square s) { return ray_bb[s][behind_dir<C>()]; }
// Neighbouring files, strictly ahead of / behind the rank of s.
template <Color C> inline Bitboard adjacent_ahead(Square s) {
    return C == WHITE ? neighbour_files_above[s] : neighbour_files_below[s];
}
template <Color C> inline Bitboard adjacent_behind(Square s) {
    return C == WHITE ? neighbour_files_below[s] : neighbour_files_above[s];
}

template <Color C> constexpr int      relative_rank_of(Square s) { return relative_rank(C, rank_of(s)); }
template <Color C> constexpr Bitboard relative_rank_bb(int rank) {
    return 0xFFULL << (8 * relative_rank(C, rank));
}

// A set seen from the other side: a1 <-> a8 for every square.
constexpr Bitboard flip(Bitboard b) { return __builtin_bswap64(b); }

} // namespace eval_bb
