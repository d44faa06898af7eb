// Pseudo-legal and capture generators. Squares come off bitboards lowest bit first, so every
// group of moves is in ascending square order; the order of the groups is part of the search's
// behaviour (move ordering ties), so keep it.
#include "board/boarddata.h"
#include "board/movegen.h"

namespace {

constexpr Bitboard NOT_FILE_A = ~Bitboard(0x0101010101010101);
constexpr Bitboard NOT_FILE_H = ~Bitboard(0x8080808080808080);

template <Color Us> constexpr int forward() { return Us == WHITE ? 8 : -8; }
template <Color Us> constexpr int promotion_rank() { return Us == WHITE ? 7 : 0; }
template <Color Us> constexpr int start_rank() { return Us == WHITE ? 1 : 6; }

// Squares attacked by the pawns of Us.
template <Color Us> Bitboard pawn_attack_span(Bitboard pawns) {
    return Us == WHITE ? ((pawns & NOT_FILE_A) << 7) | ((pawns & NOT_FILE_H) << 9)
                       : ((pawns & NOT_FILE_A) >> 9) | ((pawns & NOT_FILE_H) >> 7);
}

// Pawns of Us that attack the square.
template <Color Us> Bitboard pawns_attacking(const Tboard& b, Square s) {
    return b.pawns_bb[Us] & (Us == WHITE ? pawn_from_below[s] : pawn_from_above[s]);
}

// The four promotions, in the given order of kinds.
inline Move* add_promotions(Move* out, Square to, Square from, int captured, const int (&order)[4]) {
    for (int kind : order)
        *out++ = make_move(to, from, kind, captured);
    return out;
}

constexpr int QUIET_ORDER[4]   = {KIND_PROMO_BISHOP, KIND_PROMO_ROOK, KIND_PROMO_QUEEN, KIND_PROMO_KNIGHT};
constexpr int CAPTURE_ORDER[4] = {KIND_PROMO_QUEEN, KIND_PROMO_ROOK, KIND_PROMO_BISHOP, KIND_PROMO_KNIGHT};

// En passant, left out when both pawns stand between our king and an enemy rook or queen on
// the rank: taking them both off the rank would expose the king.
template <Color Us> Move* add_en_passant(const Tboard& b, Move* out, int ep_file) {
    if (ep_file == NO_SQUARE)
        return out;
    constexpr Color Them   = ~Us;
    const Square    target = make_square(ep_file, Us == WHITE ? 5 : 2);
    const Square    victim = target - forward<Us>();
    const Square    king   = b.king_sq[Us];
    for (Bitboard pawns = pawns_attacking<Us>(b, target); pawns;) {
        const Square from = pop_lsb(pawns);
        if (king != NO_SQUARE && rank_of(king) == rank_of(victim)) {
            const Bitboard occupied = b.occupied() & ~set_mask[from] & ~set_mask[victim];
            const Bitboard seen     = rank_attacks[king][(occupied >> (king & 56)) & 255];
            if (seen & b.rooks_queens_bb[Them] & rank_bb[rank_of(king)])
                continue;
        }
        *out++ = make_move(target, from, KIND_EN_PASSANT, PAWN);
    }
    return out;
}

template <Color Us> Move* add_pawn_captures(const Tboard& b, Move* out, const int (&promotion_order)[4]) {
    for (Bitboard targets = pawn_attack_span<Us>(b.pawns_bb[Us]) & b.pieces_bb[~Us]; targets;) {
        const Square to       = pop_lsb(targets);
        const int    captured = b.board_type[to];
        for (Bitboard pawns = pawns_attacking<Us>(b, to); pawns;) {
            const Square from = pop_lsb(pawns);
            if (rank_of(to) == promotion_rank<Us>())
                out = add_promotions(out, to, from, captured, promotion_order);
            else
                *out++ = make_move(to, from, KIND_PAWN, captured);
        }
    }
    return out;
}

template <Color Us> Move* add_pawn_pushes(const Tboard& b, Move* out) {
    const Bitboard empty = ~b.occupied();
    for (Bitboard pawns = b.pawns_bb[Us]; pawns;) {
        const Square from = pop_lsb(pawns);
        const Square to   = from + forward<Us>();
        if (!(empty & set_mask[to]))
            continue;
        if (rank_of(to) == promotion_rank<Us>()) {
            out = add_promotions(out, to, from, 0, QUIET_ORDER);
            continue;
        }
        *out++ = make_move(to, from, KIND_PAWN);
        if (rank_of(from) == start_rank<Us>() && (empty & set_mask[to + forward<Us>()]))
            *out++ = make_move(to + forward<Us>(), from, KIND_PAWN);
    }
    return out;
}

template <int Type> Bitboard piece_targets(const Tboard& b, Square from) {
    if constexpr (Type == KNIGHT)
        return knight_attacks[from];
    else if constexpr (Type == BISHOP)
        return b.bishop_attacks_from(from);
    else if constexpr (Type == ROOK)
        return b.rook_attacks_from(from);
    else
        return b.queen_attacks_from(from);
}

template <int Type> Move* add_piece_moves(const Tboard& b, Move* out, Bitboard pieces, Bitboard allowed) {
    while (pieces) {
        const Square from = pop_lsb(pieces);
        for (Bitboard targets = piece_targets<Type>(b, from) & allowed; targets;) {
            const Square to = pop_lsb(targets);
            *out++          = make_move(to, from, Type, b.board_type[to]);
        }
    }
    return out;
}

template <Color Us> Move* add_all_piece_moves(const Tboard& b, Move* out, Bitboard allowed) {
    out = add_piece_moves<KNIGHT>(b, out, b.knights_bb[Us], allowed);
    out = add_piece_moves<BISHOP>(b, out, b.bishops_bb[Us], allowed);
    out = add_piece_moves<ROOK>(b, out, b.rooks_bb[Us], allowed);
    return add_piece_moves<QUEEN>(b, out, b.queens_bb[Us], allowed);
}

template <Color Us> Move* add_king_moves(const Tboard& b, Move* out, Bitboard targets) {
    const Square from = b.king_sq[Us];
    while (targets) {
        const Square to = pop_lsb(targets);
        *out++          = make_move(to, from, KIND_KING, b.board_type[to]);
    }
    return out;
}

template <Color Us> Move* add_castlings(const Tboard& b, Move* out, unsigned rights) {
    constexpr int  base     = Us == WHITE ? 0 : 56;
    const Bitboard occupied = b.occupied();
    if ((rights & (Us == WHITE ? WHITE_OO : BLACK_OO))
        && !(occupied & (set_mask[base + 5] | set_mask[base + 6])))
        *out++ = CASTLE_KING_MOVE;
    if ((rights & (Us == WHITE ? WHITE_OOO : BLACK_OOO))
        && !(occupied & (set_mask[base + 1] | set_mask[base + 2] | set_mask[base + 3])))
        *out++ = CASTLE_QUEEN_MOVE;
    return out;
}

template <Color Us> Move* add_quiet_promotions(const Tboard& b, Move* out) {
    const Bitboard empty = ~b.occupied();
    for (Bitboard pawns = b.pawns_bb[Us] & rank_bb[promotion_rank<Us>() - forward<Us>() / 8]; pawns;) {
        const Square from = pop_lsb(pawns);
        const Square to   = from + forward<Us>();
        if (empty & set_mask[to])
            out = add_promotions(out, to, from, 0, CAPTURE_ORDER);
    }
    return out;
}

} // namespace

template <Color Us> int gen_all_moves(Move* out, int ep_file, unsigned castle) {
    const Tboard& b     = board_state;
    Move* const   first = out;
    out                 = add_en_passant<Us>(b, out, ep_file);
    out                 = add_pawn_captures<Us>(b, out, QUIET_ORDER);
    out                 = add_pawn_pushes<Us>(b, out);
    out                 = add_all_piece_moves<Us>(b, out, ~b.pieces_bb[Us]);
    if (b.king_sq[Us] != NO_SQUARE)
        out = add_king_moves<Us>(b, out, king_attacks[b.king_sq[Us]] & ~b.pieces_bb[Us]);
    out = add_castlings<Us>(b, out, castle);
    return int(out - first);
}

template <Color Us> int gen_capture_moves(Move* out, int ep_file) {
    const Tboard& b     = board_state;
    Move* const   first = out;
    out                 = add_en_passant<Us>(b, out, ep_file);
    out                 = add_pawn_captures<Us>(b, out, CAPTURE_ORDER);
    out                 = add_quiet_promotions<Us>(b, out);
    out                 = add_all_piece_moves<Us>(b, out, b.pieces_bb[~Us]);
    if (b.king_sq[Us] != NO_SQUARE)
        out = add_king_moves<Us>(b, out, safe_king_moves<Us>(true));
    return int(out - first);
}

template int gen_all_moves<WHITE>(Move*, int, unsigned);
template int gen_all_moves<BLACK>(Move*, int, unsigned);
template int gen_capture_moves<WHITE>(Move*, int);
template int gen_capture_moves<BLACK>(Move*, int);

int gen_all_white(Move* out, int ep_file, unsigned castle) {
    return gen_all_moves<WHITE>(out, ep_file, castle);
}
int gen_all_black(Move* out, int ep_file, unsigned castle) {
    return gen_all_moves<BLACK>(out, ep_file, castle);
}
int gen_captures_white(Move* out, int ep_file) { return gen_capture_moves<WHITE>(out, ep_file); }
int gen_captures_black(Move* out, int ep_file) { return gen_capture_moves<BLACK>(out, ep_file); }

int Tboarddata::empty_list_outcome() {
    if (nb_moves)
        return GEN_MOVES;
    eval_flags = uint8_t((eval_flags | BOUND_EXACT | FLAG_TERMINAL) & ~2);
    if (in_check()) {
        eval_score = SCORE_MATED;
        return GEN_CHECKMATE;
    }
    draw_score(*this);
    return GEN_STALEMATE;
}

int Tboarddata::gen_all() {
    if (!all_done) {
        Move* out = moves + nb_moves + 1;
        nb_moves += side == WHITE ? gen_all_moves<WHITE>(out, ep_file, castle)
                                  : gen_all_moves<BLACK>(out, ep_file, castle);
        all_done = 1;
    }
    return empty_list_outcome();
}

int Tboarddata::gen_legal() {
    if (!legal_done) {
        gen_all();
        if (in_check())
            filter_evasions();
        else
            filter_legal();
        legal_done = 1;
    }
    return empty_list_outcome();
}

void Tboarddata::gen_captures() {
    nb_moves      = side == WHITE ? gen_capture_moves<WHITE>(moves + 1, ep_file)
                                  : gen_capture_moves<BLACK>(moves + 1, ep_file);
    captures_done = 1;
}
