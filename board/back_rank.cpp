// Does the move just made threaten mate on the defender's first rank? The search extends such
// moves. Written for the defender Us; the attacker is the side that just moved.
#include "board/boarddata.h"
#include "board/movegen.h"

namespace {

template <Color Us> struct Back_rank {
    static constexpr Color Them = ~Us;
    const Tboard&          b    = board_state;
    Square                 king;

    static constexpr int first_rank  = Us == WHITE ? 0 : 7;
    static constexpr int second_rank = Us == WHITE ? 1 : 6;
    // "North" for the defender: from its first rank towards the attacker.
    static constexpr int away = Us == WHITE ? NORTH : SOUTH;

    bool no_safe_square_on_second_rank() const {
        return !(safe_king_moves<Us>(false) & rank_bb[second_rank]);
    }

    // Can the attacker's piece on p land on s with mate in view? s must be on a line with the
    // king, reachable, undefended by our pieces, and not easily blocked or recaptured.
    bool attack_square_holds(Square p, Square s) const {
        const Bitboard occupied = b.occupied();
        if ((b.pieces_bb[Them] & set_mask[s]) || s == king)
            return false;
        if ((between[p][s] & occupied) || (between[s][king] & occupied))
            return false;
        if (b.attacked_by_pieces<Us>(s))
            return false;
        if (!king_adjacent[s][king]) {
            const Square t = rays[king][0][direction_to[king][s]];
            return at_most_one_bit(b.attackers<Us>(t)); // the king alone guards the gap
        }
        if (at_most_one_bit(b.attackers<Them>(s)))
            return b.slider_behind(Them, p, direction_to[s][p]);
        return true;
    }

    // Every square next to the king that matters is blocked by our own piece, is s, or stays
    // covered from s.
    bool king_boxed_in(Square s, Bitboard relevant) const {
        for (Bitboard around = king_attacks[king] & relevant; around;) {
            const Square q = pop_lsb(around);
            if (!(b.pieces_bb[Us] & set_mask[q]) && q != s && !(queen_rays[s] & set_mask[q]))
                return false;
        }
        return true;
    }

    bool after_pawn_capture(Square from) const {
        const Square rook = b.straight_slider_behind(Them, from, away);
        if (rook == NO_SQUARE)
            return false;
        const Square s = make_square(file_of(rook), first_rank);
        return attack_square_holds(rook, s) && no_safe_square_on_second_rank();
    }

    bool after_knight_move(Square to) const {
        if (distance[to][king] >= 4)
            return false;
        const Square queen = lsb(b.queens_bb[Them]);
        for (Bitboard targets = knight_attacks[to] & king_attacks[king] & queen_rays[queen]; targets;) {
            const Square s = pop_lsb(targets);
            if (attack_square_holds(queen, s) && king_boxed_in(s, rank_bb[first_rank] | queen_rays[queen]))
                return true;
        }
        return false;
    }

    bool after_bishop_move(Square from, Square to) const {
        if (distance[to][king] >= distance[from][king])
            return false;
        const bool same_colour = ((file_of(to) + rank_of(to)) & 1) == ((file_of(king) + rank_of(king)) & 1);
        if (same_colour) {
            const Bitboard common = bishop_rays[king] & bishop_rays[to];
            return common && attack_square_holds(to, lsb(common)) && !safe_king_moves<Us>(false);
        }
        // A bishop covering the g-pawn's square can let a rook or queen mate on the corner.
        const Square corner = make_square(7, first_rank);
        const Square g_pawn = make_square(6, second_rank);
        if (file_of(king) < 5 || rank_of(king) != first_rank)
            return false;
        if (file_of(from) != 7 && !(b.bishop_attacks_from(to) & set_mask[g_pawn]))
            return false;
        const Square rook = b.straight_slider_behind(Them, corner, away);
        if (rook == NO_SQUARE || (b.pieces_bb[Them] & set_mask[corner]) || king == corner)
            return false;
        return attack_square_holds(rook, corner) && no_safe_square_on_second_rank();
    }

    bool after_rook_move(Square to) const {
        if (relative_rank(Us, rank_of(to)) < 2)
            return false;
        return attack_square_holds(to, make_square(file_of(to), first_rank))
               && no_safe_square_on_second_rank();
    }

    bool after_queen_move(Square to) const {
        if (relative_rank(Us, rank_of(to)) < 2)
            return false;
        const Square in_front = king + (Us == WHITE ? 8 : -8);
        for (Bitboard targets = queen_rays[to] & (king_attacks[king] | rank_bb[first_rank]); targets;) {
            const Square s = pop_lsb(targets);
            if (attack_square_holds(to, s) && (s == in_front || no_safe_square_on_second_rank())
                && king_boxed_in(s, rank_bb[first_rank] | queen_rays[to]))
                return true;
        }
        return false;
    }

    bool threatened(const Tboarddata& record) {
        king = b.king_sq[Us];
        if (king == NO_SQUARE || rank_of(king) != first_rank || record.in_check() || !b.queens_bb[Them])
            return false;
        const Move   m    = record.move;
        const Square to   = move_to(m);
        const Square from = move_from(m);
        if (to == NO_SQUARE)
            return false;
        if (b.ply > 5 && (b.pawns_bb[Us] & (Us == WHITE ? pawn_from_below[to] : pawn_from_above[to])))
            return false;
        switch (move_kind(m)) {
        case KIND_PAWN: return move_captured(m) && after_pawn_capture(from);
        case KIND_KNIGHT: return after_knight_move(to);
        case KIND_BISHOP: return after_bishop_move(from, to);
        case KIND_ROOK: return after_rook_move(to);
        case KIND_QUEEN: return after_queen_move(to);
        default: return false;
        }
    }
};

} // namespace

int Tboarddata::back_rank_threat() const {
    if (side == WHITE) {
        Back_rank<WHITE> test;
        return test.threatened(*this);
    }
    Back_rank<BLACK> test;
    return test.threatened(*this);
}
