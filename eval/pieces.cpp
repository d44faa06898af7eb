// Piece placement: outposts, bishop mobility and bad bishops, rooks on files and on the seventh,
// trapped rooks, queen confinement, attacks on targets, king tropism turned into an attack
// score, holes, and the king in pawn endings.
#include <algorithm>
#include <cstdlib>

#include "board/boarddata.h"
#include "eval/eval_bitboards.h"
#include "eval/psqt.h"
#include "eval/root_snapshot.h"
#include "eval/terms.h"
#include "eval/weights.h"

using namespace eval_bb;
using namespace weights;

namespace {

constexpr Square sq(int file, int rank) { return make_square(file, rank); }

// Squares of the seventh rank the rook sweeps in the endgame; no enemy piece may stand there.
constexpr Bitboard SEVENTH_RANK_SWEEP = 0xFFULL << 48;

// Two squares of C's first rank, by file.
template <Color C> Bitboard home_squares(int file_a, int file_b) {
    return square_bb(relative_square(C, sq(file_a, 0))) | square_bb(relative_square(C, sq(file_b, 0)));
}

struct Tside_pieces {
    int placement = 0;
    int units     = 0; // attack units against the enemy king
};

// A table read at x / 2, with the truncated average of two neighbours for odd x.
// Callers keep x below 2N - 1; the index is held inside the table all the same.
template <size_t N> int half_step(const int (&table)[N], int x) {
    const size_t i    = std::min(size_t(x / 2), N - 1);
    const size_t next = std::min(i + 1, N - 1);
    return x % 2 == 0 ? table[i] : (table[i] + table[next]) / 2;
}

// Enemy knights and bishops pinned by C's sliders to something worth more than themselves.
template <Color C> Bitboard pinned_minors(const Tboard& b) {
    constexpr Color them   = ~C;
    Bitboard        pinned = 0;
    for (Bitboard rest = b.knights_bb[them] | b.bishops_bb[them]; rest;) {
        const Square m       = pop_lsb(rest);
        Bitboard     sliders = b.rook_attacks_from(m) & b.rooks_queens_bb[C];
        if (b.board_type[m] == KNIGHT)
            sliders |= b.bishop_attacks_from(m) & b.bishops_queens_bb[C];
        while (sliders) {
            const Square x      = pop_lsb(sliders);
            const Square behind = b.first_piece(m, direction_to[x][m]);
            if (behind == NO_SQUARE || (b.pieces_bb[them] & square_bb(behind)) == 0)
                continue;
            const int type = b.board_type[behind];
            if (type == PAWN)
                continue;
            if (type == KING || (type == QUEEN && b.board_type[x] != QUEEN) || !b.attacked_by<them>(behind)) {
                pinned |= square_bb(m);
                break;
            }
        }
    }
    return pinned;
}

template <Color C> bool has_outpost_cover(const Tboard& b, Square s) {
    return !(adjacent_ahead<C>(s) & b.pawns_bb[~C]);
}

template <Color C> int outpost(const Tboard& b, Square s, int value) {
    if (!value || !has_outpost_cover<C>(b, s))
        return 0;
    if (pawn_attackers_of<C>(s) & b.pawns_bb[C])
        return value;
    return value * OUTPOST_UNPROTECTED_NUM / OUTPOST_UNPROTECTED_DEN;
}

template <Color C> Tside_pieces side_pieces(const Tboarddata& node, const Tpawn_entry& entry) {
    const Tboard&   b                  = board_state;
    constexpr Color them               = ~C;
    const Bitboard  occupied           = b.occupied();
    const Bitboard  empty              = ~occupied;
    const Bitboard  own_pawns          = b.pawns_bb[C];
    const Bitboard  their_pawns        = b.pawns_bb[them];
    const Bitboard  their_pawn_attacks = pawn_attacks<them>(their_pawns);
    const Square    their_king         = b.king_sq[them];
    const Square    our_king           = b.king_sq[C];
    const bool      root               = root_snapshot.side == C;
    const Bitboard  targets            = (entry.weak_pawns & their_pawns) | pinned_minors<C>(b);
    const Bitboard  seventh            = relative_rank_bb<C>(6);
    const bool      their_king_home    = relative_rank_of<C>(their_king) == 7;
    const bool      seventh_useless    = !their_king_home && !(their_pawns & seventh);
    Tside_pieces    result;

    for (Bitboard rest = b.knights_bb[C]; rest;) {
        const Square s = pop_lsb(rest);
        result.placement += outpost<C>(b, s, knight_outpost[C][s]);
        result.units += TROPISM_MINOR_ROOK[distance[s][their_king]];
        result.placement += TARGET_ATTACK * popcount(knight_attacks[s] & targets);
    }

    for (Bitboard rest = b.bishops_bb[C]; rest;) {
        const Square   s       = pop_lsb(rest);
        const Bitboard attacks = b.bishop_attacks_from(s);
        const Bitboard reach   = attacks & empty;
        const int      x       = 2 * popcount(reach) - popcount(reach & (EDGES | their_pawn_attacks));
        result.placement += half_step(BISHOP_MOBILITY, x);
        if (x == 0 && (file_of(s) == 0 || file_of(s) == 7))
            result.placement -= BISHOP_NO_MOBILITY_EDGE;

        // Own pawns fixed on the bishop's colour, when the enemy has no bishop for the other colour.
        const Bitboard colour  = square_colour_set(s);
        int            blocked = 0;
        if (!(b.bishops_bb[them] & ~colour)) {
            blocked = popcount(own_pawns & colour & backward<C>(their_pawns));
            result.placement -= BAD_BISHOP_BLOCKED * blocked;
        }
        const int material = b.piece_material[C];
        if (material == LONE_BISHOP_MATERIAL || material == BISHOP_ROOK_MATERIAL) {
            const int d        = popcount(own_pawns & colour) - blocked;
            const int per_pawn = material == LONE_BISHOP_MATERIAL ? BAD_BISHOP_ALONE : BAD_BISHOP_WITH_ROOK;
            if (d > 0)
                result.placement -= per_pawn * d;
        }
        result.placement += outpost<C>(b, s, bishop_outpost[C][s]);
        result.units += TROPISM_MINOR_ROOK[distance[s][their_king]];
        result.placement += TARGET_ATTACK * popcount(attacks & targets);
    }
    if (b.nb_bishops[C] == 2)
        result.placement += (BISHOP_PAIR_PAWNS - b.nb_pawns[C]) * BISHOP_PAIR_FACTOR;

    for (Bitboard rest = b.rooks_bb[C]; rest;) {
        const Square   s       = pop_lsb(rest);
        const Bitboard attacks = b.rook_attacks_from(s);
        const Bitboard free    = attacks & empty & ~their_pawn_attacks;
        const int      rank    = relative_rank_of<C>(s);
        const int      file    = file_of(s);
        if (rank == 0) {
            // Shut in beside its own king, which stepped over without castling.
            const Bitboard queen_side_king = home_squares<C>(1, 2);
            const Bitboard king_side_king  = home_squares<C>(5, 6);
            const Bitboard king            = square_bb(our_king);
            if ((file <= 1 && (king & queen_side_king)) || (file >= 6 && (king & king_side_king)))
                result.placement -= root ? ROOK_SHUT_IN_ROOT : ROOK_SHUT_IN_OTHER;
        } else {
            if (rank >= 2 && (file == 0 || file == 7) && !free)
                result.placement -= ROOK_EDGE_IMMOBILE;
            if (rank >= 6) {
                const bool west_closed = file == 0 || (occupied & square_bb(s - 1));
                const bool east_closed = file == 7 || (occupied & square_bb(s + 1));
                if (west_closed && east_closed && popcount(free & file_bb[file]) < 2)
                    result.placement -= root ? ROOK_TRAPPED_ROOT : ROOK_TRAPPED_OTHER;
            }
        }
        if (!((own_pawns | their_pawns) & file_bb[file]))
            result.placement += rank == 6 ? ROOK_OPEN_FILE_ON_7TH : ROOK_OPEN_FILE;
        else if (!(own_pawns & file_bb[file]))
            result.placement += ROOK_HALF_OPEN_FILE;
        if (node.phase != ENDGAME && !b.nb_knights[them] && !b.nb_bishops[them]
            && (pawn_attackers_of<C>(s) & own_pawns) && has_outpost_cover<C>(b, s))
            result.placement += rook_outpost[C][s];
        result.units += TROPISM_MINOR_ROOK[distance[s][their_king]];
        result.placement += TARGET_ATTACK * popcount(attacks & targets);

        if (rank == 6) {
            if (seventh_useless)
                result.placement -= ROOK_USELESS_7TH;
            else {
                const Bitboard sweep = C == WHITE ? SEVENTH_RANK_SWEEP : flip(SEVENTH_RANK_SWEEP);
                if (node.phase == ENDGAME && their_king_home && (entry.passed_pawns & own_pawns)
                    && !(sweep & b.pieces_bb[them]))
                    result.placement += ROOK_7TH_ENDGAME;
                if (attacks & seventh & b.rooks_queens_bb[C])
                    result.placement += ROOK_7TH_DOUBLED;
            }
        }
    }

    for (Bitboard rest = b.queens_bb[C]; rest;) {
        const Square   s       = pop_lsb(rest);
        const Bitboard attacks = b.queen_attacks_from(s);
        const int      rank    = relative_rank_of<C>(s);
        if (rank >= 5) {
            const Bitboard free = attacks & empty & ~their_pawn_attacks;
            const int      x    = 2 * popcount(free) - popcount(free & EDGES);
            if (x < QUEEN_CONFINEMENT_LIMIT)
                result.placement -= half_step(QUEEN_CONFINEMENT, x);
        }
        int d = std::abs(file_of(s) - file_of(their_king)) / QUEEN_FILE_DIVISOR + distance[s][their_king];
        if (d >= 7)
            d = 7;
        else if (d < 6 && (b.knights_bb[C] & within_distance[their_king][7 - d]))
            result.units += QUEEN_KNIGHT_HELP;
        result.units += TROPISM_QUEEN[d];
        result.placement += TARGET_ATTACK * popcount(attacks & targets);
        if (rank == 6) {
            if (seventh_useless)
                result.placement -= QUEEN_USELESS_7TH;
            else if (attacks & seventh & b.rooks_queens_bb[C])
                result.placement += QUEEN_7TH_DOUBLED;
        }
    }

    if (node.phase == ENDGAME) {
        const Bitboard weak_near = king_attacks[our_king] & their_pawns & entry.weak_pawns;
        result.placement += KING_NEAR_WEAK_PAWN * popcount(weak_near);
        // Kings facing each other at an even distance: the side to move has to give way.
        if (!b.nb_pieces[WHITE] && !b.nb_pieces[BLACK] && node.side == C
            && direction_to[our_king][their_king] != NO_DIRECTION && distance[our_king][their_king] % 2 == 0)
            result.placement -= KING_OPPOSITION;
    }
    return result;
}

// Holes in C's half that an enemy bishop can use, and weak pawns of C blockaded by a minor.
template <Color C> int holes_and_blockades(const Tpawn_entry& entry) {
    const Tboard&   b    = board_state;
    constexpr Color them = ~C;
    int             q    = 0;
    if (b.nb_pieces[them] >= 2) {
        const auto weight = [&](Bitboard colour) {
            if (!(b.bishops_bb[them] & colour))
                return 0;
            return (b.bishops_bb[C] & colour) ? HOLE_WEIGHT_SHARED : HOLE_WEIGHT_ALONE;
        };
        q -= weight(LIGHT_SQUARES) * entry.weak_light[C];
        q -= weight(DARK_SQUARES) * entry.weak_dark[C];
    }
    const Bitboard inner    = ~(FILE_A | FILE_H | 0xFFULL | (0xFFULL << 56));
    const Bitboard weak     = entry.weak_pawns & b.pawns_bb[C] & inner;
    const Bitboard blockers = b.knights_bb[them] | b.bishops_bb[them];
    q -= BLOCKADED_WEAK_PAWN * popcount(forward<C>(weak) & blockers);
    return q;
}

// Pawn ending with all pawns on one wing: the king nearer to more of them is worth something.
int pawn_ending_kings() {
    const Tboard&  b     = board_state;
    const Bitboard pawns = b.pawns_bb[WHITE] | b.pawns_bb[BLACK];
    if ((pawns & files_left_of[3]) && (pawns & files_right_of[4]))
        return 0;
    const Square wk   = b.king_sq[WHITE];
    const Square bk   = b.king_sq[BLACK];
    const int    d    = distance[wk][bk];
    const int    diff = popcount(pawns & within_distance[wk][d]) - popcount(pawns & within_distance[bk][d]);
    if (std::abs(diff) < 2)
        return 0;
    if (diff > 0) {
        const int value = diff == 2 ? PAWN_ENDING_KING_SMALL : PAWN_ENDING_KING_LARGE;
        return rank_of(wk) <= 2 ? value / 2 : value;
    }
    const int value = diff == -2 ? PAWN_ENDING_KING_SMALL : PAWN_ENDING_KING_LARGE;
    return rank_of(bk) >= 5 ? -value / 2 : -value;
}

} // namespace

namespace eval_terms {

int pieces(const Tboarddata& node, const Tpawn_entry& entry, const int danger[2]) {
    const Tboard&      b     = board_state;
    const Tside_pieces white = side_pieces<WHITE>(node, entry);
    const Tside_pieces black = side_pieces<BLACK>(node, entry);

    // Tropism units against each king, topped up by that king's danger.
    int against_black = white.units;
    int against_white = black.units;
    if (against_white)
        against_white += danger[WHITE] / KING_DANGER_PER_UNIT;
    if (against_black)
        against_black += danger[BLACK] / KING_DANGER_PER_UNIT;
    against_white          = std::min(against_white, MAX_ATTACK_UNITS);
    against_black          = std::min(against_black, MAX_ATTACK_UNITS);
    const int white_attack = ATTACK_SCORE[against_black] * attacking_force(WHITE) / FORCE_CAP;
    const int black_attack = ATTACK_SCORE[against_white] * attacking_force(BLACK) / FORCE_CAP;

    int score = white_attack - black_attack + white.placement - black.placement
                + holes_and_blockades<WHITE>(entry) - holes_and_blockades<BLACK>(entry)
                + (b.nb_bishops[WHITE] - b.nb_bishops[BLACK]) * BISHOP_PRESENCE;
    if (!b.nb_pieces[WHITE] && !b.nb_pieces[BLACK])
        score += pawn_ending_kings();
    return node.side == WHITE ? score : -score;
}

} // namespace eval_terms
