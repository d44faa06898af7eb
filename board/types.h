// The engine's vocabulary: squares, colours, piece codes, bitboards and the 32-bit move word.
// Every shift or mask on a move word lives here.
#pragma once

#include <bit>
#include <cstdint>

using Bitboard = uint64_t;
using Move     = uint32_t;
using Square   = int; // 0..63, a1 = 0, h1 = 7, h8 = 63

constexpr Square NO_SQUARE = 67; // absent king, no en-passant file, both squares of castling

enum Color : int { WHITE = 0, BLACK = 1 };
constexpr Color operator~(Color c) { return Color(c ^ 1); }

enum PieceType : int { EMPTY = 0, PAWN = 1, KNIGHT = 2, BISHOP = 3, ROOK = 4, QUEEN = 5, KING = 6 };

// Signed piece code: +type for White, -type for Black.
constexpr int signed_piece(Color c, int type) { return c == WHITE ? type : -type; }

constexpr int    file_of(Square s) { return s & 7; }
constexpr int    rank_of(Square s) { return s >> 3; }
constexpr Square make_square(int file, int rank) { return rank * 8 + file; }
// The square as seen from the other side (a1 <-> a8): evaluation terms are written for White.
constexpr Square flip_rank(Square s) { return s ^ 56; }
constexpr Square relative_square(Color c, Square s) { return c == WHITE ? s : s ^ 56; }
constexpr int    relative_rank(Color c, int rank) { return c == WHITE ? rank : 7 - rank; }

// Move kinds (bits 16-23 of the move word). 1..6 are the piece types moving.
enum MoveKind : int {
    KIND_NONE         = 0,
    KIND_PAWN         = 1,
    KIND_KNIGHT       = 2,
    KIND_BISHOP       = 3,
    KIND_ROOK         = 4,
    KIND_QUEEN        = 5,
    KIND_KING         = 6,
    KIND_PROMO_KNIGHT = 7,
    KIND_PROMO_BISHOP = 8,
    KIND_PROMO_ROOK   = 9,
    KIND_PROMO_QUEEN  = 10,
    KIND_EN_PASSANT   = 11,
    KIND_CASTLE_KING  = 12,
    KIND_CASTLE_QUEEN = 13,
    KIND_NULL         = 14,
    NB_KINDS          = 15
};

constexpr Move make_move(Square to, Square from, int kind, int captured = 0) {
    return Move(to) | Move(from) << 8 | Move(kind) << 16 | Move(captured) << 24;
}
constexpr Square move_to(Move m) { return Square(m & 0xFF); }
constexpr Square move_from(Move m) { return Square((m >> 8) & 0xFF); }
constexpr int    move_kind(Move m) { return int((m >> 16) & 0xFF); }
constexpr int    move_captured(Move m) { return int(m >> 24); }
constexpr Move   with_captured(Move m, int captured) { return (m & 0x00FFFFFFu) | Move(captured) << 24; }

constexpr bool is_promotion_kind(int kind) { return kind >= KIND_PROMO_KNIGHT && kind <= KIND_PROMO_QUEEN; }
constexpr bool is_castling_kind(int kind) { return kind == KIND_CASTLE_KING || kind == KIND_CASTLE_QUEEN; }
// The piece a promotion of this kind puts on the board (7..10 -> knight..queen).
constexpr int promoted_type(int kind) { return kind - 5; }
constexpr int promotion_kind(int type) { return type + 5; }

constexpr Move CASTLE_KING_MOVE  = make_move(NO_SQUARE, NO_SQUARE, KIND_CASTLE_KING);
constexpr Move CASTLE_QUEEN_MOVE = make_move(NO_SQUARE, NO_SQUARE, KIND_CASTLE_QUEEN);
constexpr Move NULL_MOVE         = make_move(NO_SQUARE, NO_SQUARE, KIND_NULL);

// Castling rights (low four bits of the record's `castle`).
enum CastleRight : unsigned {
    WHITE_OO           = 1,
    WHITE_OOO          = 2,
    BLACK_OO           = 4,
    BLACK_OOO          = 8,
    CASTLE_RIGHTS_MASK = 15
};
constexpr unsigned castle_rights_of(Color c) {
    return c == WHITE ? WHITE_OO | WHITE_OOO : BLACK_OO | BLACK_OOO;
}

// Bitboard helpers.
constexpr Bitboard square_bb(Square s) { return Bitboard(1) << s; }
inline int         lsb(Bitboard b) { return std::countr_zero(b); }
inline int         popcount(Bitboard b) { return std::popcount(b); }
inline Square      pop_lsb(Bitboard& b) {
         Square s = lsb(b);
         b &= b - 1;
         return s;
}

// Scores.
constexpr int SCORE_NOT_COMPUTED = 32700;
constexpr int SCORE_INFINITE     = 32500;
constexpr int SCORE_MATED        = -32000;

// Depth is counted in sixtieths of a ply.
constexpr int ONE_PLY = 60;

constexpr int PIECE_VALUE[7] = {0, 100, 325, 325, 500, 975, 0};
