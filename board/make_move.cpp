// Make and unmake: every board-state change is incremental, and make works out the checkers of
// the child without a full attack scan (only an en-passant capture needs one).
#include "base/console.h"
#include "board/boarddata.h"
#include "board/piece_square.h"

int32_t piece_square[2][7][3][64];

namespace {

// Castling squares by colour and kind (12 king side, 13 queen side).
struct Castling {
    Square king_from, king_to, rook_from, rook_to;
};
constexpr Castling CASTLING[2][2] = {{{4, 6, 7, 5}, {4, 2, 0, 3}}, {{60, 62, 63, 61}, {60, 58, 56, 59}}};

constexpr const Castling& castling_of(Color c, int kind) { return CASTLING[c][kind - KIND_CASTLE_KING]; }

void report_unknown(int code, bool to_bug_file) {
    console.print("piece %d inconnue\n", code);
    if (to_bug_file)
        write_bug_epd();
}

// Records in the current record the checkers of the enemy king after a move of Us.
template <Color Us> void find_checkers(Tboarddata& child, Move m) {
    constexpr Color Them = ~Us;
    const Tboard&   b    = board_state;
    const Square    k    = b.king_sq[Them];
    if (k == NO_SQUARE)
        return;
    const int    kind = move_kind(m);
    const Square to   = move_to(m);
    const Square from = move_from(m);

    if (kind == KIND_EN_PASSANT) {
        // The capture can uncover sliders on two lines: look from scratch, unless it was illegal.
        if (b.attacked_by<Them>(b.king_sq[Us]))
            return;
        Bitboard checkers = b.attackers<Us>(k);
        for (int n = 0; checkers && n < 2; ++n)
            child.add_checker(pop_lsb(checkers));
        return;
    }
    if (kind == KIND_NULL)
        return;

    const Bitboard occupied = b.occupied();
    if (is_castling_kind(kind)) {
        const Square rook = castling_of(Us, kind).rook_to;
        if ((rook_rays[rook] & set_mask[k]) && !(between[rook][k] & occupied))
            child.add_checker(rook);
        return;
    }

    // Direct check by the piece now on `to`.
    switch (kind) {
    case KIND_PAWN:
        if (king_adjacent[to][k] && ((Us == WHITE ? pawn_from_below[k] : pawn_from_above[k]) & set_mask[to]))
            child.add_checker(to);
        break;
    case KIND_KNIGHT:
    case KIND_PROMO_KNIGHT:
        if (knight_attacks[to] & set_mask[k])
            child.add_checker(to);
        break;
    case KIND_BISHOP:
    case KIND_PROMO_BISHOP:
        if ((bishop_rays[to] & set_mask[k]) && !(between[to][k] & occupied))
            child.add_checker(to);
        break;
    case KIND_ROOK:
    case KIND_PROMO_ROOK:
        if ((rook_rays[to] & set_mask[k]) && !(between[to][k] & occupied))
            child.add_checker(to);
        break;
    case KIND_QUEEN:
    case KIND_PROMO_QUEEN:
        if ((queen_rays[to] & set_mask[k]) && !(between[to][k] & occupied))
            child.add_checker(to);
        break;
    default: break;
    }

    // Discovered check: a slider of ours behind the vacated square, now with a clear line.
    const int d = direction_to[k][from];
    if (d == NO_DIRECTION || direction_to[k][to] == d)
        return;
    const Square behind = b.first_piece(from, d);
    if (behind == NO_SQUARE)
        return;
    const Bitboard sliders = is_straight(d) ? b.rooks_queens_bb[Us] : b.bishops_queens_bb[Us];
    if ((sliders & set_mask[behind]) && !(between[k][behind] & occupied))
        child.add_checker(behind);
}

template <Color Us> void apply_move(Tboarddata& child, Move m) {
    constexpr Color Them = ~Us;
    Tboard&         b    = board_state;
    const int       kind = move_kind(m);
    const Square    to   = move_to(m);
    const Square    from = move_from(m);

    b.hash_key ^= side_key;
    child.nb_checkers = 0;

    if (const int captured = move_captured(m)) {
        if (captured >= PAWN && captured <= QUEEN) {
            const Square victim = kind == KIND_EN_PASSANT ? (Us == WHITE ? to - 8 : to + 8) : to;
            b.take_piece(Them, captured, victim);
        } else {
            report_unknown(captured, true);
        }
    }

    switch (kind) {
    case KIND_PAWN:
    case KIND_KNIGHT:
    case KIND_BISHOP:
    case KIND_ROOK:
    case KIND_QUEEN:
    case KIND_KING: b.shift_piece(Us, kind, from, to); break;
    case KIND_PROMO_KNIGHT:
    case KIND_PROMO_BISHOP:
    case KIND_PROMO_ROOK:
    case KIND_PROMO_QUEEN:
        b.take_piece(Us, PAWN, from);
        b.add_piece(Us, promoted_type(kind), to);
        break;
    case KIND_EN_PASSANT: b.shift_piece(Us, PAWN, from, to); break;
    case KIND_CASTLE_KING:
    case KIND_CASTLE_QUEEN: {
        const Castling& c = castling_of(Us, kind);
        b.shift_piece(Us, KING, c.king_from, c.king_to);
        b.shift_piece(Us, ROOK, c.rook_from, c.rook_to);
        break;
    }
    case KIND_NULL: break;
    default: report_unknown(kind, true); return;
    }

    find_checkers<Us>(child, m);
}

template <Color Us> void take_back(Move m) {
    constexpr Color Them = ~Us;
    Tboard&         b    = board_state;
    const int       kind = move_kind(m);
    const Square    to   = move_to(m);
    const Square    from = move_from(m);

    switch (kind) {
    case KIND_PAWN:
    case KIND_KNIGHT:
    case KIND_BISHOP:
    case KIND_ROOK:
    case KIND_QUEEN:
    case KIND_KING: b.shift_piece(Us, kind, to, from); break;
    case KIND_EN_PASSANT: b.shift_piece(Us, PAWN, to, from); break;
    case KIND_PROMO_KNIGHT:
    case KIND_PROMO_BISHOP:
    case KIND_PROMO_ROOK:
    case KIND_PROMO_QUEEN:
        b.take_piece(Us, promoted_type(kind), to);
        b.add_piece(Us, PAWN, from);
        break;
    case KIND_CASTLE_KING:
    case KIND_CASTLE_QUEEN: {
        const Castling& c = castling_of(Us, kind);
        b.shift_piece(Us, KING, c.king_to, c.king_from);
        b.shift_piece(Us, ROOK, c.rook_to, c.rook_from);
        break;
    }
    case KIND_NULL: break;
    default: report_unknown(kind, false); break;
    }

    const int captured = move_captured(m);
    if (captured >= PAWN && captured <= QUEEN)
        b.add_piece(Them, captured, kind == KIND_EN_PASSANT ? (Us == WHITE ? to - 8 : to + 8) : to);
}

// Rights lost when a move leaves or lands on a corner.
unsigned rights_touched(Square s) {
    switch (s) {
    case 0: return WHITE_OOO;
    case 7: return WHITE_OO;
    case 56: return BLACK_OOO;
    case 63: return BLACK_OO;
    default: return 0;
    }
}

int psq(Color c, int type, int phase, Square s) { return piece_square[c][type][phase][s]; }

} // namespace

void Tboarddata::make_child(Move m, Tboarddata* from_parent, bool with_depth) {
    Tboard&     b      = board_state;
    Tboarddata* origin = from_parent ? from_parent : this;

    // The parent may be this very record: read what the child needs before writing it.
    const Color    mover        = origin->side_to_move();
    const unsigned rights       = origin->castle & CASTLE_RIGHTS_MASK;
    const int      parent_depth = origin->depth;
    const int      parent_clock = origin->halfmove_clock;
    const int      parent_phase = origin->phase;
    parent                      = origin;

    node_id = ++node_serial;
    ++node_count;
    b.current_record = this;
    legal_done       = 0;
    all_done         = 0;
    reset();

    move = m;
    if (origin != this)
        moves = origin->moves + origin->nb_moves + 2;
    ++b.ply;

    side              = ~mover;
    castle            = (castle & ~CASTLE_RIGHTS_MASK) | rights;
    const int    kind = move_kind(m);
    const Square to   = move_to(m);
    const Square from = move_from(m);
    ep_file           = kind == KIND_PAWN && (from - to == 16 || to - from == 16) ? file_of(to) : NO_SQUARE;
    depth             = with_depth ? parent_depth - ONE_PLY : 0;

    if (mover == WHITE)
        apply_move<WHITE>(*this, m);
    else
        apply_move<BLACK>(*this, m);

    b.key_history[b.game_ply + b.ply] = b.hash_key;

    if (castle & CASTLE_RIGHTS_MASK) {
        if (to != NO_SQUARE)
            castle &= ~(rights_touched(from) | rights_touched(to));
        if (kind == KIND_KING || is_castling_kind(kind))
            castle &= ~castle_rights_of(mover);
    }

    const bool resets_clock =
        kind == KIND_PAWN || is_promotion_kind(kind) || kind == KIND_EN_PASSANT || move_captured(m) != 0;
    halfmove_clock = resets_clock ? 0 : parent_clock + 1;

    phase = b.current_phase = compute_phase(parent_phase);
    update_base_score();

    if (origin == this)
        parent = nullptr;
}

void unmake(Move m, Tboarddata* parent) {
    Tboard& b        = board_state;
    b.current_record = parent;
    b.current_phase  = parent->phase;
    b.hash_key ^= side_key;
    --b.ply;
    if (parent->side == WHITE)
        take_back<WHITE>(m);
    else
        take_back<BLACK>(m);
}

void Tboarddata::update_base_score() {
    const Color us    = side_to_move();
    const Color mover = ~us;
    if (board_state.ply == 0 || !parent || parent == this || phase != parent->phase) {
        base_score = base_score_from_scratch(phase, us);
        return;
    }
    int          score    = -parent->base_score;
    const int    kind     = move_kind(move);
    const Square to       = move_to(move);
    const Square from     = move_from(move);
    const int    captured = move_captured(move);
    if (captured > PAWN && captured <= QUEEN)
        score -= psq(us, captured, phase, to);
    else if (captured > QUEEN)
        console.print("piece %d inconnue\n", captured);

    if (kind >= KIND_KNIGHT && kind <= KIND_KING)
        score += psq(mover, kind, phase, from) - psq(mover, kind, phase, to);
    else if (is_promotion_kind(kind))
        score -= psq(mover, promoted_type(kind), phase, to);
    else if (is_castling_kind(kind)) {
        const Castling& c = castling_of(mover, kind);
        score += psq(mover, KING, phase, c.king_from) - psq(mover, KING, phase, c.king_to);
        score += psq(mover, ROOK, phase, c.rook_from) - psq(mover, ROOK, phase, c.rook_to);
    }
    base_score = score;
}

int base_score_from_scratch(int phase, Color side_to_move) {
    const Tboard& b     = board_state;
    int           score = 0;
    for (Square s = 0; s < 64; ++s) {
        const int type = b.board_type[s];
        if (type <= PAWN)
            continue;
        const Color c = b.board[s] > 0 ? WHITE : BLACK;
        score += c == WHITE ? psq(WHITE, type, phase, s) : -psq(BLACK, type, phase, s);
    }
    return side_to_move == WHITE ? score : -score;
}

int Tboarddata::is_fifty_move_draw() {
    if (halfmove_clock < 100)
        return 0;
    draw_score(*this);
    eval_flags = uint8_t((eval_flags | BOUND_EXACT | FLAG_DRAW_RULE) & ~2);
    return 1;
}
