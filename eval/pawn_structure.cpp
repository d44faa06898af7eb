#include "eval/pawn_structure.h"

#include "board/boarddata.h"
#include "eval/eval_bitboards.h"
#include "eval/evaluate.h"
#include "eval/hash_pawns.h"
#include "eval/psqt.h"
#include "eval/root_snapshot.h"
#include "eval/weights.h"

using namespace eval_bb;

namespace {

constexpr Bitboard FILES_B_TO_G = ~(FILE_A | FILE_H);
constexpr Bitboard RANKS_3_4    = 0xFFFFULL << 16;
constexpr Bitboard RANKS_5_6    = 0xFFFFULL << 32;

// Holes of side C in its own half.
template <Color C> Bitboard holes(const Tboard& b) {
    const Bitboard own       = b.pawns_bb[C];
    const Bitboard enemy     = b.pawns_bb[~C];
    const Bitboard all_pawns = own | enemy;
    const Bitboard candidates =
        (C == WHITE ? RANKS_3_4 : RANKS_5_6) & FILES_B_TO_G & ~all_pawns & ~pawn_attacks<C>(own);
    constexpr int fs   = forward_step<C>();
    Bitboard      weak = 0;
    for (Bitboard rest = candidates; rest;) {
        const Square s = pop_lsb(rest);
        if (adjacent_behind<C>(s) & own)
            continue; // a pawn can still come up and guard it
        if (pawn_attackers_of<~C>(s) & enemy) {
            weak |= square_bb(s);
            continue;
        }
        if (!(within_distance[s][1] & own))
            continue;
        // Shielded: own pawns still stand ahead on its file and on the files of both squares
        // diagonally behind it, so the square stays covered from the front.
        const bool shielded = (file_ahead<C>(s) & own)
                              && (file_of(s) == 0 || (file_ahead<C>(s - 1 - fs) & own))
                              && (file_of(s) == 7 || (file_ahead<C>(s + 1 - fs) & own));
        if (!shielded)
            weak |= square_bb(s);
    }
    return weak;
}

template <Color C> Bitboard passed(const Tboard& b) {
    Bitboard result = 0;
    for (Bitboard rest = b.pawns_bb[C]; rest;) {
        const Square s = pop_lsb(rest);
        if (!(pawn_front_span[C][s] & b.pawns_bb[~C]))
            result |= square_bb(s);
    }
    return result;
}

// The two running totals of one side.
struct Tside_pawn_score {
    int pawns  = 0;
    int passed = 0;
};

// The pawn-structure evaluation of side C's pawns; adds C's weak and backward pawns to the
// shared sets.
template <Color C> Tside_pawn_score score_side(const Tboard& b, int phase, Bitboard passers,
                                               Bitboard& weak_set, Bitboard& backward_set) {
    using namespace weights;
    const Bitboard   own   = b.pawns_bb[C];
    const Bitboard   enemy = b.pawns_bb[~C];
    const Bitboard   all   = own | enemy;
    Tside_pawn_score score;

    int on_file[8];
    for (int f = 0; f < 8; ++f)
        on_file[f] = popcount(own & file_bb[f]);

    // Islands: a run of two or more files with pawns, closed by an empty file or the board's edge.
    for (int c = 2; c <= 8; ++c)
        if ((c == 8 || on_file[c] == 0) && on_file[c - 1] && on_file[c - 2]) {
            score.pawns -= PAWN_ISLAND;
            c += 2;
        }

    Bitboard isolated = 0;
    for (int f = 0; f < 8; ++f)
        if (on_file[f] && (f == 0 || !on_file[f - 1]) && (f == 7 || !on_file[f + 1]))
            isolated |= own & file_bb[f];
    weak_set |= isolated;

    const Bitboard protected_pawns = own & pawn_attacks<C>(own);
    Bitboard       open_ahead      = 0;
    for (Bitboard rest = own; rest;) {
        const Square s = pop_lsb(rest);
        if (!(file_ahead<C>(s) & all))
            open_ahead |= square_bb(s);
    }

    Bitboard backward = 0;
    for (Bitboard rest = own & ~protected_pawns; rest;) {
        const Square s = pop_lsb(rest);
        if ((adjacent_ahead<C>(s) & own) && !((adjacent_behind<C>(s) | beside(s)) & own)) {
            backward |= square_bb(s);
            if (open_ahead & square_bb(s))
                score.pawns -= BACKWARD_OPEN;
        }
    }
    backward_set |= backward;

    // Other weak pawns: advanced pawns that their neighbours cannot reach any more.
    Bitboard other_weak = 0;
    for (Bitboard rest = own & ~protected_pawns & ~backward & ~isolated; rest;) {
        const Square s = pop_lsb(rest);
        if (relative_rank_of<C>(s) < 3)
            continue;
        const bool enemy_behind = file_behind<C>(s) & enemy;
        bool       weak         = enemy_behind;
        if (!((beside(s) | adjacent_ahead<C>(s)) & own) && (adjacent_behind<C>(s) & own)) {
            // Walk back on each neighbouring file from the square beside it: is the first pawn
            // met one of ours, able to come up?
            bool helper = false;
            for (const int df : {-1, 1}) {
                const int f = file_of(s) + df;
                if (f < 0 || f > 7)
                    continue;
                const Square   side_square = s + df;
                const Bitboard column      = (square_bb(side_square) | file_behind<C>(side_square)) & all;
                if (!column)
                    continue;
                const Square first = C == WHITE ? 63 - std::countl_zero(column) : lsb(column);
                if (own & square_bb(first))
                    helper = true;
            }
            weak = !helper || enemy_behind;
        }
        if (weak)
            other_weak |= square_bb(s);
    }
    weak_set |= other_weak;

    // Breakthrough: a protected, blocked pawn on the sixth with a lever beside it.
    for (Bitboard rest = own & protected_pawns & relative_rank_bb<C>(5); rest;) {
        const Square s = pop_lsb(rest);
        if (!(enemy & square_bb(s + forward_step<C>())) || (pawn_attackers_of<~C>(s) & enemy))
            continue;
        const int  f     = file_of(s);
        const int  fs    = forward_step<C>();
        const auto lever = [&](int df) {
            return (own & square_bb(s + df - fs)) && !(enemy & square_bb(s + df))
                   && ((df < 0 ? f == 1 : f == 6) || !(enemy & square_bb(s + 2 * df + fs)));
        };
        if ((f >= 1 && lever(-1)) || (f <= 6 && lever(+1)))
            score.pawns += BREAKTHROUGH[phase];
    }

    const Bitboard weak_own = (isolated | other_weak) & own;
    for (Bitboard rest = weak_own; rest;) {
        const Square s = pop_lsb(rest);
        score.pawns -= (open_ahead & square_bb(s)) ? WEAK_PAWN_OPEN[phase] : WEAK_PAWN_CLOSED[phase];
    }

    for (Bitboard rest = own; rest;) {
        const Square   s   = pop_lsb(rest);
        const Bitboard bit = square_bb(s);
        const int      rr  = relative_rank_of<C>(s);
        score.pawns += piece_square[C][PAWN][phase][s];
        const int n = on_file[file_of(s)];
        if (n >= 2) {
            if (open_ahead & bit) {
                score.pawns -= DOUBLED_FRONT * n / 4;
                if (weak_own & bit)
                    score.pawns -= DOUBLED_FRONT_WEAK * n / 4;
            } else
                score.pawns -= DOUBLED_OTHER * n / 4;
        }
        const bool supported = (protected_pawns & bit) || (beside(s) & own);
        if (!(passers & bit))
            score.pawns += (protected_pawns & bit) ? PAWN_PROTECTED[phase][rr] : PAWN_UNPROTECTED[phase][rr];
        else
            score.passed += supported ? PASSED_SUPPORTED[phase][rr] : PASSED_PLAIN[phase][rr];
    }
    return score;
}

template <Color C> uint8_t outside_files(const Tboard& b, Bitboard passers) {
    uint8_t files = 0;
    for (Bitboard rest = passers & b.pawns_bb[C]; rest;) {
        const Square s = pop_lsb(rest);
        if (is_outside_pawn(s, C))
            files |= uint8_t(1u << file_of(s));
    }
    return files;
}

} // namespace

Bitboard is_weak_square() { return holes<WHITE>(board_state) | holes<BLACK>(board_state); }

Bitboard is_passed_pawn() { return passed<WHITE>(board_state) | passed<BLACK>(board_state); }

bool is_outside_pawn(Square s, int side) {
    const Tboard&  b     = board_state;
    const Color    us    = Color(side & 1);
    const Bitboard enemy = b.pawns_bb[~us];
    if ((b.nb_pawns[WHITE] == 1 && b.nb_pawns[BLACK] == 1) || !enemy)
        return false;
    const int      f   = file_of(s);
    const Bitboard all = b.pawns_bb[WHITE] | b.pawns_bb[BLACK];
    // Wing to the right of the d-file: nothing further right, every enemy pawn to its left.
    if (f >= 3 && (f == 7 || !(files_right_of[f + 1] & all)) && (enemy & files_left_of[f])
        && !(enemy & files_right_of[f]))
        return true;
    return f <= 4 && (f == 0 || !(files_left_of[f - 1] & all)) && (enemy & files_right_of[f])
           && !(enemy & files_left_of[f]);
}

bool is_weak_pawn(Square s) {
    const Tboard& b = board_state;
    return b.board_type[s] == PAWN && (current_pawn_entry.weak_pawns & square_bb(s));
}

int evaluate_pawn_structure(const Tboarddata& node, Tpawn_entry& entry, bool against_human) {
    const Tboard& b     = board_state;
    const int     phase = node.phase;

    const Bitboard weak_squares = is_weak_square();
    const Bitboard white_half   = weak_squares & RANKS_3_4;
    const Bitboard black_half   = weak_squares & RANKS_5_6;
    entry.weak_dark[WHITE]      = uint8_t(popcount(white_half & DARK_SQUARES));
    entry.weak_dark[BLACK]      = uint8_t(popcount(black_half & DARK_SQUARES));
    entry.weak_light[WHITE]     = uint8_t(popcount(white_half & LIGHT_SQUARES));
    entry.weak_light[BLACK]     = uint8_t(popcount(black_half & LIGHT_SQUARES));

    const Bitboard passers     = is_passed_pawn();
    entry.passed_pawns         = passers;
    entry.outside_files[WHITE] = outside_files<WHITE>(b, passers);
    entry.outside_files[BLACK] = outside_files<BLACK>(b, passers);
    entry.zero[0] = entry.zero[1] = 0;

    if (entry.key != b.pawn_key)
        entry.reset_scores();

    Bitboard               weak_set = 0, backward_set = 0;
    const Tside_pawn_score white = score_side<WHITE>(b, phase, passers, weak_set, backward_set);
    const Tside_pawn_score black = score_side<BLACK>(b, phase, passers, weak_set, backward_set);
    int                    pawns = white.pawns - black.pawns;

    // A human opponent tends to lock the position: rams cost the engine's side.
    if (against_human) {
        const int rams   = popcount((b.pawns_bb[WHITE] << 8) & b.pawns_bb[BLACK]);
        const int charge = rams * weights::PAWN_RAM_VS_HUMAN;
        pawns += root_snapshot.side == WHITE ? -charge : charge;
    }

    entry.weak_pawns          = weak_set | backward_set;
    entry.key                 = b.pawn_key;
    entry.pawn_score[phase]   = pawns;
    entry.passed_score[phase] = white.passed - black.passed;
    if (Tpawn_entry* slot = hash_pawns.slot(b.pawn_key))
        *slot = entry;
    return node.side == WHITE ? pawns : -pawns;
}
