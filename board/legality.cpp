// Legality is decided lazily: a node cut off before it needs the legal list never pays for it.
#include "board/boarddata.h"
#include "board/movegen.h"

template <Color Us> bool is_legal(Move m) {
    constexpr Color Them = ~Us;
    const Tboard&   b    = board_state;
    const int       kind = move_kind(m);
    if (kind == KIND_KING)
        return !b.attacked_by<Them>(move_to(m));
    if (is_castling_kind(kind)) {
        constexpr int base = Us == WHITE ? 0 : 56;
        return kind == KIND_CASTLE_KING ? !b.attacked_by<Them>(base + 5) && !b.attacked_by<Them>(base + 6)
                                        : !b.attacked_by<Them>(base + 3) && !b.attacked_by<Them>(base + 2);
    }
    const Square king = b.king_sq[Us];
    const Square from = move_from(m);
    if (king == NO_SQUARE)
        return true;
    const int d = direction_to[king][from];
    if (d == NO_DIRECTION || (between[king][from] & b.occupied()))
        return true;
    // The piece shields the king: it may only move along the line of a slider behind it.
    const Square   behind  = b.first_piece(from, d);
    const Bitboard sliders = is_straight(d) ? b.rooks_queens_bb[Them] : b.bishops_queens_bb[Them];
    if (behind != NO_SQUARE && (sliders & set_mask[behind]))
        return direction_to[king][move_to(m)] == d;
    return true;
}

template bool is_legal<WHITE>(Move);
template bool is_legal<BLACK>(Move);

template <Color Us> Bitboard safe_king_moves(bool captures_only) {
    constexpr Color Them = ~Us;
    const Tboard&   b    = board_state;
    const Square    king = b.king_sq[Us];
    if (king == NO_SQUARE)
        return 0;
    Bitboard targets = king_attacks[king] & ~b.pieces_bb[Us];
    if (captures_only)
        targets &= b.pieces_bb[Them];
    const Square enemy_king = b.king_sq[Them];
    if (enemy_king != NO_SQUARE && distance[king][enemy_king] <= 2)
        targets &= ~king_attacks[enemy_king];
    if (b.pawns_bb[Them] & within_distance[king][2]) {
        const Bitboard pawns        = b.pawns_bb[Them];
        const Bitboard pawn_attacks = Them == WHITE
                                          ? ((pawns & ~file_bb[0]) << 7) | ((pawns & ~file_bb[7]) << 9)
                                          : ((pawns & ~file_bb[0]) >> 9) | ((pawns & ~file_bb[7]) >> 7);
        targets &= ~pawn_attacks;
    }
    Bitboard safe = 0;
    while (targets) {
        const Square s = pop_lsb(targets);
        if (!b.attacked_by_pieces<Them>(s))
            safe |= set_mask[s];
    }
    return safe;
}

template Bitboard safe_king_moves<WHITE>(bool);
template Bitboard safe_king_moves<BLACK>(bool);

Bitboard safe_king_moves(bool captures_only) {
    const Tboarddata* record = board_state.current_record;
    return record->side == WHITE ? safe_king_moves<WHITE>(captures_only)
                                 : safe_king_moves<BLACK>(captures_only);
}

namespace {

template <Color Us> int keep_legal(Move* list, int count) {
    int kept = 0;
    for (int i = 1; i <= count; ++i)
        if (is_legal<Us>(list[i]))
            list[++kept] = list[i];
    return kept;
}

template <Color Us> int keep_evasions(const Tboarddata& record, Move* list, int count) {
    constexpr Color Them = ~Us;
    const Tboard&   b    = board_state;
    const Square    king = b.king_sq[Us];

    // Squares behind the king on a slider's line stay attacked once the king steps there.
    Bitboard forbidden = 0;
    for (int i = 0; i < record.nb_checkers; ++i) {
        const Square checker = record.checker_sq[i];
        const int    type    = b.board_type[checker];
        if (type == PAWN || type == KNIGHT)
            continue;
        const Square beyond = rays[king][0][direction_to[checker][king]];
        if (beyond != NO_SQUARE)
            forbidden |= set_mask[beyond];
    }
    Bitboard mask = 0;
    if (record.nb_checkers == 1) {
        const Square checker = record.checker_sq[0];
        mask                 = set_mask[checker];
        const int type       = b.board_type[checker];
        if (type == BISHOP || type == ROOK || type == QUEEN)
            mask |= between[checker][king];
    }

    int kept = 0;
    for (int i = 1; i <= count; ++i) {
        const Move m    = list[i];
        const int  kind = move_kind(m);
        bool       keep;
        if (is_castling_kind(kind))
            keep = false;
        else if (kind == KIND_KING)
            keep = !(forbidden & set_mask[move_to(m)]) && !b.attacked_by<Them>(move_to(m));
        else {
            const Square blocked = kind == KIND_EN_PASSANT ? move_to(m) - (Us == WHITE ? 8 : -8) : move_to(m);
            keep = ((mask & set_mask[move_to(m)]) || (kind == KIND_EN_PASSANT && (mask & set_mask[blocked])))
                   && is_legal<Us>(m);
        }
        if (keep)
            list[++kept] = m;
    }
    return kept;
}

} // namespace

void Tboarddata::filter_legal() {
    nb_moves = side == WHITE ? keep_legal<WHITE>(moves, nb_moves) : keep_legal<BLACK>(moves, nb_moves);
}

void Tboarddata::filter_evasions() {
    nb_moves = side == WHITE ? keep_evasions<WHITE>(*this, moves, nb_moves)
                             : keep_evasions<BLACK>(*this, moves, nb_moves);
}
