// The full passed-pawn evaluation: the stored passed-pawn score knows only the pawns; this one
// looks at the kings, the pieces and the side to move, and runs the race between passers.
#include <algorithm>
#include <cstdlib>

#include "board/boarddata.h"
#include "eval/eval_bitboards.h"
#include "eval/pawn_structure.h"
#include "eval/weights.h"

using namespace eval_bb;
using namespace weights;

namespace {

constexpr int NO_PLIES = 1000;

// What each side's passers can do on their own: the fastest one overall and the fastest that
// the enemy king cannot catch, in plies until it promotes.
struct Trace {
    int fastest[2]     = {NO_PLIES, NO_PLIES};
    int unstoppable[2] = {NO_PLIES, NO_PLIES};
};

template <Color C> int steps_to_go(Square s) {
    const int rr = relative_rank_of<C>(s);
    return rr == 1 ? 5 : 7 - rr; // the first move may be a double step
}

template <Color C> Square promotion_square(Square s) {
    return relative_square(C, make_square(file_of(s), 7));
}

template <Color C> int plies_to_promote(Square s, Color side_to_move) {
    return 2 * steps_to_go<C>(s) - (side_to_move == C ? 1 : 0);
}

// The square rule: the enemy king is too far from the promotion square.
template <Color C> bool out_of_reach(const Tboard& b, Square s, Color side_to_move) {
    const bool blocked = file_ahead<C>(s) & b.occupied();
    const int  need    = steps_to_go<C>(s) + (blocked ? 1 : 0) + (side_to_move != C ? 1 : 0);
    return distance[b.king_sq[~C]][promotion_square<C>(s)] > need;
}

template <Color C> void measure_race(const Tboard& b, Bitboard passers, Color side_to_move, Trace& race) {
    for (Bitboard rest = passers & b.pawns_bb[C]; rest;) {
        const Square s     = pop_lsb(rest);
        const int    plies = plies_to_promote<C>(s, side_to_move);
        race.fastest[C]    = std::min(race.fastest[C], plies);
        if (out_of_reach<C>(b, s, side_to_move))
            race.unstoppable[C] = std::min(race.unstoppable[C], plies);
    }
}

// The rook or queen standing first behind the pawn on its file, if any: +1 ours, -1 theirs.
template <Color C> int heavy_piece_behind(const Tboard& b, Square s) {
    const Square behind = b.first_piece(s, behind_dir<C>());
    if (behind == NO_SQUARE)
        return 0;
    const int type = b.board_type[behind];
    if (type != ROOK && type != QUEEN)
        return 0;
    return (b.pieces_bb[C] & square_bb(behind)) ? 1 : -1;
}

// The passer's value from the plain table read at an effective rank: how far it has to go,
// slowed by blockers, rooks behind it and the kings around its path.
template <Color C> int base_value(const Tboard& b, Square s, int phase) {
    const int      d     = 7 - relative_rank_of<C>(s);
    const Bitboard path  = file_ahead<C>(s);
    const bool     block = path & b.occupied();
    int            x     = (2 * d + (block ? 1 : 0)) * PASSER_STEP;

    const int rook = heavy_piece_behind<C>(b, s);
    x += rook < 0 ? PASSER_ROOK_BEHIND : rook > 0 ? -PASSER_ROOK_BEHIND : 0;
    const Square front = s + forward_step<C>();
    if (b.pieces_bb[~C] & square_bb(front))
        x += b.board_type[front] == KNIGHT ? PASSER_KNIGHT_BLOCK : PASSER_OTHER_BLOCK;
    const int near_theirs = popcount(path & within_distance[b.king_sq[~C]][1]);
    const int near_ours   = popcount(path & within_distance[b.king_sq[C]][1]);
    x += PASSER_KING_SQUARE * (near_theirs - near_ours);
    if (near_ours == d)
        x -= PASSER_ESCORTED;
    x = std::clamp(x, PASSER_X_MIN, PASSER_X_MAX);

    const int  t     = PASSER_X_ORIGIN - x;
    const int  q     = t / PASSER_X_RANK;
    const int  r     = t % PASSER_X_RANK;
    const int* table = PASSED_PLAIN[phase];
    return r == 0 ? table[q] : table[q] + (table[q + 1] - table[q]) * r / PASSER_X_RANK;
}

// What the enemy's cheapest piece gives up to stop the pawn.
int stopping_value(const Tboard& b, Color them) {
    if (b.nb_knights[them] || b.nb_bishops[them])
        return PIECE_VALUE[KNIGHT];
    if (b.nb_rooks[them])
        return PIECE_VALUE[ROOK];
    return PIECE_VALUE[QUEEN];
}

// Sum of the values of C's passers (positive for C).
template <Color C> int side_passers(const Tboarddata& node, const Tpawn_entry& entry, const Trace& race) {
    const Tboard&   b                  = board_state;
    constexpr Color them               = ~C;
    const Color     mover              = Color(node.side);
    const int       phase              = node.phase;
    const Bitboard  own                = b.pawns_bb[C];
    const bool      no_enemy_pieces    = b.nb_pieces[them] == 0;
    bool            outside_bonus_left = entry.outside_files[C] && !entry.outside_files[them];
    int             total              = 0;

    // Walk the passers from C's own side of the board, so that both colours meet them in the same order.
    Bitboard rest = entry.passed_pawns & own;
    if (C == BLACK)
        rest = flip(rest);
    while (rest) {
        const Square s       = relative_square(C, pop_lsb(rest));
        const int    rr      = relative_rank_of<C>(s);
        const int    d       = 7 - rr;
        const Square queen   = promotion_square<C>(s);
        const bool   blocked = file_ahead<C>(s) & b.occupied();

        // On the seventh with the way free, nothing can stop it: worth a queen less a pawn.
        if (mover == C && rr == 6 && !node.in_check()
            && (race.fastest[them] == NO_PLIES || race.fastest[them] > ENEMY_FASTEST_PLIES)
            && !(b.occupied() & square_bb(queen)) && heavy_piece_behind<C>(b, s) >= 0
            && !b.attacked_by<them>(queen)) {
            total += PASSER_ON_SEVENTH;
            continue;
        }

        int        base      = base_value<C>(b, s, phase);
        const bool supported = (pawn_attackers_of<C>(s) & own) || (beside(s) & own);
        if (supported) {
            int floor = PASSED_SUPPORTED[phase][rr];
            if (no_enemy_pieces)
                floor = floor * SUPPORTED_ALONE_NUM / SUPPORTED_ALONE_DEN;
            base = std::max(base, floor);
        } else if (own & file_and_neighbours[file_of(s)] & ~file_bb[file_of(s)])
            base = std::max(base, PASSED_PLAIN[phase][rr]);
        if (outside_bonus_left && (entry.outside_files[C] & (1u << file_of(s)))) {
            outside_bonus_left = false;
            int bonus          = OUTSIDE_PASSER[phase][rr];
            if (b.piece_material[them] <= b.piece_material[C] && b.nb_pawns[them] < b.nb_pawns[C])
                bonus += OUTSIDE_RACE_BONUS;
            base += bonus / (b.nb_queens[them] + 1 + b.nb_pieces[them]);
        }

        int value;
        if (no_enemy_pieces) {
            if (out_of_reach<C>(b, s, mover)) {
                value = UNSTOPPABLE_BASE - UNSTOPPABLE_PER_STEP * d;
                if (race.unstoppable[them] != NO_PLIES)
                    value /= std::abs(plies_to_promote<C>(s, mover) - race.unstoppable[them]) + 2;
            } else {
                const int lead = distance[b.king_sq[them]][queen] - distance[b.king_sq[C]][queen];
                value          = base + PASSER_KING_RACE * std::max(0, lead);
            }
        } else {
            value = std::min(STOPPER_CAP, stopping_value(b, them)) - STOPPER_DISCOUNT;
            if (d != 1)
                value = ((10 - d) * value / 10) * (10 - d) / 10;
            value /= 3 * (b.nb_queens[them] + b.nb_pieces[them] + (blocked ? 1 : 0)) + 1;
        }
        total += std::max(value, base);
    }
    return total;
}

} // namespace

int evaluate_passed_pawns(const Tboarddata& node, const Tpawn_entry& entry) {
    const Tboard& b = board_state;
    if (!entry.passed_pawns)
        return 0;
    const Color mover = Color(node.side);
    Trace       race;
    measure_race<WHITE>(b, entry.passed_pawns, mover, race);
    measure_race<BLACK>(b, entry.passed_pawns, mover, race);
    const int white = side_passers<WHITE>(node, entry, race);
    const int black = side_passers<BLACK>(node, entry, race);
    return mover == WHITE ? white - black : black - white;
}
