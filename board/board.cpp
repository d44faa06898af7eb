#include "board/board.h"

#include <cstring>

Tboard board_state;

namespace {
// Directions whose squares grow: east, north, north-east, north-west.
constexpr bool ascending(int direction) {
    return direction == EAST || direction == NORTH || direction == NORTH_EAST || direction == NORTH_WEST;
}

constexpr const char FEN_LETTERS[] = "PNBRQKpnbrqk";
} // namespace

void Tboard::clear() {
    std::memset(board, 0, sizeof board);
    std::memset(board_type, 0, sizeof board_type);
    for (Color c : {WHITE, BLACK}) {
        pieces_bb[c] = pawns_bb[c] = knights_bb[c] = bishops_bb[c] = rooks_bb[c] = queens_bb[c] = 0;
        bishops_queens_bb[c] = rooks_queens_bb[c] = 0;
        king_sq[c]                                = NO_SQUARE;
        nb_pawns[c] = nb_knights[c] = nb_bishops[c] = nb_rooks[c] = nb_queens[c] = 0;
        nb_pieces[c] = piece_material[c] = 0;
    }
    occ_r90 = occ_a1h8 = occ_h1a8 = 0;
    hash_key = pawn_key = 0;
    ply                 = 0;
}

Square Tboard::first_piece(Square s, int direction) const {
    const Bitboard on_ray = ray_bb[s][direction] & occupied();
    if (!on_ray)
        return NO_SQUARE;
    return ascending(direction) ? lsb(on_ray) : 63 - std::countl_zero(on_ray);
}

Square Tboard::straight_slider_behind(Color c, Square s, int direction) const {
    const Square first = first_piece(s, direction);
    return first != NO_SQUARE && (rooks_queens_bb[c] & set_mask[first]) ? first : NO_SQUARE;
}

bool Tboard::diagonal_slider_behind(Color c, Square s, int direction) const {
    const Square first = first_piece(s, direction);
    return first != NO_SQUARE && (bishops_queens_bb[c] & set_mask[first]);
}

bool Tboard::slider_behind(Color c, Square s, int direction) const {
    return is_straight(direction) ? straight_slider_behind(c, s, direction) != NO_SQUARE
                                  : diagonal_slider_behind(c, s, direction);
}

void Tboard::put_piece(int signed_code, Square s) {
    if (signed_code == 0 || signed_code < -KING || signed_code > KING)
        return;
    add_piece(signed_code > 0 ? WHITE : BLACK, signed_code > 0 ? signed_code : -signed_code, s);
}

void Tboard::remove_piece(int signed_code, Square s) {
    if (signed_code == 0 || signed_code < -KING || signed_code > KING)
        return;
    take_piece(signed_code > 0 ? WHITE : BLACK, signed_code > 0 ? signed_code : -signed_code, s);
}

int Tboard::put_piece_letter(char letter, Square s) {
    if (letter == ' ')
        return 1;
    const char* found = letter ? std::strchr(FEN_LETTERS, letter) : nullptr;
    if (!found)
        return 0;
    const int index = int(found - FEN_LETTERS);
    add_piece(index < 6 ? WHITE : BLACK, index % 6 + 1, s);
    return 1;
}

uint64_t Tboard::hash_key_from_scratch(Color side_to_move) const {
    uint64_t key = side_to_move == WHITE ? side_key : 0;
    for (Square s = 0; s < 64; ++s)
        if (board[s])
            key ^= piece_keys[board[s] > 0 ? WHITE : BLACK][board_type[s]][s];
    return key;
}

uint64_t Tboard::pawn_key_from_scratch() const {
    uint64_t key = 0;
    for (Square s = 0; s < 64; ++s)
        if (board_type[s] == PAWN)
            key ^= piece_keys[board[s] > 0 ? WHITE : BLACK][PAWN][s];
    return key;
}

bool Tboard::is_consistent(Color side_to_move, const char** mismatch) const {
    auto fail = [&](const char* what) {
        if (mismatch)
            *mismatch = what;
        return false;
    };
    Bitboard colour[2] = {0, 0}, types[2][7] = {}, r90 = 0, a1h8 = 0, h1a8 = 0;
    int      count[2][7] = {};
    Square   kings[2]    = {NO_SQUARE, NO_SQUARE};
    for (Square s = 0; s < 64; ++s) {
        const int code = board[s];
        if (code < -KING || code > KING)
            return fail("board");
        if (board_type[s] != (code < 0 ? -code : code))
            return fail("board_type");
        if (!code)
            continue;
        const Color c = code > 0 ? WHITE : BLACK;
        colour[c] |= square_bb(s);
        types[c][board_type[s]] |= square_bb(s);
        ++count[c][board_type[s]];
        r90 |= square_bb(rot_r90[s]);
        a1h8 |= square_bb(rot_a1h8[s]);
        h1a8 |= square_bb(rot_h1a8[s]);
        if (board_type[s] == KING)
            kings[c] = s;
    }
    if (r90 != occ_r90)
        return fail("occ_r90");
    if (a1h8 != occ_a1h8)
        return fail("occ_a1h8");
    if (h1a8 != occ_h1a8)
        return fail("occ_h1a8");
    for (Color c : {WHITE, BLACK}) {
        if (colour[c] != pieces_bb[c])
            return fail("pieces_bb");
        if (types[c][PAWN] != pawns_bb[c] || types[c][KNIGHT] != knights_bb[c]
            || types[c][BISHOP] != bishops_bb[c] || types[c][ROOK] != rooks_bb[c]
            || types[c][QUEEN] != queens_bb[c])
            return fail("piece type sets");
        if ((types[c][BISHOP] | types[c][QUEEN]) != bishops_queens_bb[c])
            return fail("bishops_queens_bb");
        if ((types[c][ROOK] | types[c][QUEEN]) != rooks_queens_bb[c])
            return fail("rooks_queens_bb");
        if (count[c][KING] > 1 || kings[c] != king_sq[c])
            return fail("king_sq");
        if (count[c][PAWN] != nb_pawns[c] || count[c][KNIGHT] != nb_knights[c]
            || count[c][BISHOP] != nb_bishops[c] || count[c][ROOK] != nb_rooks[c]
            || count[c][QUEEN] != nb_queens[c])
            return fail("piece counts");
        if (count[c][KNIGHT] + count[c][BISHOP] + count[c][ROOK] + count[c][QUEEN] != nb_pieces[c])
            return fail("nb_pieces");
        const int material = PIECE_VALUE[KNIGHT] * count[c][KNIGHT] + PIECE_VALUE[BISHOP] * count[c][BISHOP]
                             + PIECE_VALUE[ROOK] * count[c][ROOK] + PIECE_VALUE[QUEEN] * count[c][QUEEN];
        if (material != piece_material[c])
            return fail("piece_material");
    }
    if (hash_key != hash_key_from_scratch(side_to_move))
        return fail("hash_key");
    if (pawn_key != pawn_key_from_scratch())
        return fail("pawn_key");
    return true;
}
