// The key of the position after a move, computed from the key alone: the principal variation
// and the book follow lines through positions that are never set up on the board.
#include "board/tables.h"
#include "search/hash_table.h"

namespace {

struct Tcastle_squares {
    Square king_from, king_to, rook_from, rook_to;
};
// By colour, then king side / queen side.
constexpr Tcastle_squares CASTLE_SQUARES[2][2] = {{{4, 6, 7, 5}, {4, 2, 0, 3}},
                                                  {{60, 62, 63, 61}, {60, 58, 56, 59}}};

uint64_t piece_shift(int side, int type, Square from, Square to) {
    return piece_keys[side][type][from] ^ piece_keys[side][type][to];
}

} // namespace

uint64_t key_after_move(Move move, uint64_t key, int side) {
    const int    them = side ^ 1;
    const int    kind = move_kind(move);
    const Square to   = move_to(move);
    const Square from = move_from(move);
    key ^= side_key;

    if (const int captured = move_captured(move); captured >= PAWN && captured <= QUEEN) {
        // The pawn taken en passant stands one rank behind the target, seen from the capturer.
        const Square victim = kind == KIND_EN_PASSANT ? (side == WHITE ? to - 8 : to + 8) : to;
        key ^= piece_keys[them][captured][victim];
    }

    if (kind >= KIND_PAWN && kind <= KIND_KING) {
        key ^= piece_shift(side, kind, from, to);
    } else if (is_promotion_kind(kind)) {
        key ^= piece_keys[side][PAWN][from] ^ piece_keys[side][promoted_type(kind)][to];
    } else if (kind == KIND_EN_PASSANT) {
        key ^= piece_shift(side, PAWN, from, to);
    } else if (is_castling_kind(kind)) {
        const Tcastle_squares& c = CASTLE_SQUARES[side & 1][kind - KIND_CASTLE_KING];
        key ^=
            piece_shift(side, KING, c.king_from, c.king_to) ^ piece_shift(side, ROOK, c.rook_from, c.rook_to);
    }
    return key;
}
