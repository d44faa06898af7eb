// Winning chances: how much of its advantage a side can hope to convert, out of 60. The driver
// scales the score of the side that is ahead by it.
#include "board/boarddata.h"
#include "eval/eval_bitboards.h"
#include "eval/evaluate.h"
#include "eval/weights.h"

using namespace eval_bb;
using namespace weights;

namespace {

// Bishop and rook pawns of C against a king in the corner the bishop cannot cover.
template <Color C> bool wrong_bishop_draw(const Tboard& b) {
    const Color    them  = ~C;
    const Bitboard pawns = b.pawns_bb[C];
    if (!pawns || b.nb_bishops[C] != 1)
        return false;
    const int file = file_of(lsb(pawns));
    if ((file != 0 && file != 7) || (pawns & ~file_bb[file]))
        return false;
    const Square promotion = relative_square(C, make_square(file, 7));
    if (square_colour_set(lsb(b.bishops_bb[C])) == square_colour_set(promotion))
        return false;
    const Square their_king = b.king_sq[them];
    const Square our_king   = b.king_sq[C];
    const int    king_file  = file_of(their_king);
    if (king_file < file - 1 || king_file > file + 1)
        return false;
    if (distance[our_king][promotion] < distance[their_king][promotion])
        return false;
    const Square front     = C == WHITE ? 63 - std::countl_zero(pawns) : lsb(pawns);
    const int    king_rank = relative_rank_of<C>(their_king);
    return king_rank >= 6 || king_rank > relative_rank_of<C>(front);
}

// Side c, ahead with its queen, was in check at each of its last five turns to move, with no
// capture or pawn move since: the other side is checking it over and over.
bool checked_over_and_over(const Tboarddata& node, Color c) {
    const Tboarddata* record = &node;
    int               p      = board_state.ply;
    if (node.side != c) {
        record = record->parent;
        --p;
    }
    if (p < PERPETUAL_PLIES || node.halfmove_clock < PERPETUAL_PLIES)
        return false;
    for (int k = 0; k <= PERPETUAL_PLIES; k += 2) {
        if (!record || !record->in_check())
            return false;
        record = record->parent ? record->parent->parent : nullptr;
    }
    return true;
}

} // namespace

int win_factor(const Tboarddata& node, int side) {
    const Tboard& b    = board_state;
    const Color   us   = Color(side & 1);
    const Color   them = ~us;

    if (b.nb_rooks[us] || b.nb_pieces[us] > 2)
        return FULL_FACTOR;

    if (b.nb_pieces[us] == 1) {
        if (b.nb_queens[us] == 1 && b.nb_queens[them] == 1 && b.nb_pieces[them] == 1)
            return WIN_FACTOR_QUEEN_VS_QUEEN;
        if (us == WHITE ? wrong_bishop_draw<WHITE>(b) : wrong_bishop_draw<BLACK>(b))
            return WIN_FACTOR_WRONG_BISHOP;
        if (b.nb_bishops[us] == 1 && b.nb_pieces[them] == 1 && b.nb_bishops[them] == 1
            && square_colour_set(lsb(b.bishops_bb[us])) != square_colour_set(lsb(b.bishops_bb[them])))
            return WIN_FACTOR_OPPOSITE_BISHOPS;
    }

    if (!b.nb_queens[us] && !b.nb_pawns[us]) {
        if (b.nb_knights[us] == b.nb_pieces[us])
            return WIN_FACTOR_KNIGHTS_ONLY;
        if (b.nb_pieces[us] == 1) // the bishop
            return WIN_FACTOR_LONE_BISHOP;
        if (!b.nb_pieces[them] && b.nb_pawns[them] <= 1)
            return FULL_FACTOR;
        return b.nb_pieces[us] == 2 ? WIN_FACTOR_TWO_PIECES : FULL_FACTOR;
    }
    if (!b.nb_queens[us])
        return FULL_FACTOR;
    return checked_over_and_over(node, us) ? WIN_FACTOR_PERPETUAL : FULL_FACTOR;
}
