// The small terms of the driver: trades when ahead, knights and rooks by pawn count,
// development, trapped bishops, castling rights, the g-file storm, the advanced-passer test.
#include <algorithm>

#include "board/boarddata.h"
#include "eval/eval_bitboards.h"
#include "eval/root_snapshot.h"
#include "eval/terms.h"
#include "eval/weights.h"

using namespace eval_bb;
using namespace weights;

namespace {

constexpr Square sq(int file, int rank) { return make_square(file, rank); }

// Bonus of side c, ahead by `ahead` (positive), for the pieces it traded since the root and
// the pawns it kept.
int trade_for(Color c, int ahead) {
    const Tboard& b       = board_state;
    const int     root    = root_snapshot.piece_material[c];
    const int     current = b.piece_material[c];
    int           bonus   = 0;
    if (root > current)
        bonus = std::min(TRADE_BONUS_MAX, (root - current) * ahead / TRADE_DIVISOR);
    return bonus + (b.nb_pawns[c] - root_snapshot.nb_pawns[c]) * TRADE_PAWN_LOSS;
}

// Knights and bishops of c still on the first rank, and the two pawn pairs that keep them in.
template <Color C> int undeveloped() {
    const Tboard&  b     = board_state;
    const Bitboard home  = relative_rank_bb<C>(0);
    const Bitboard pawns = b.pawns_bb[C];
    auto has   = [&](Square white_square) { return pawns & square_bb(relative_square(C, white_square)); };
    int  count = popcount((b.knights_bb[C] | b.bishops_bb[C]) & home);
    if (has(sq(4, 1)) && has(sq(6, 1)))
        ++count;
    if (has(sq(1, 1)) && has(sq(3, 1)))
        ++count;
    // Only promoted minor pieces on the first rank can go past the tables.
    return std::min(count, MAX_UNDEVELOPED);
}

// Whether side c castled on one of its own moves since the root.
bool castled_since_root(const Tboarddata& node, Color c) {
    const Tboarddata* record = &node;
    int               ply    = board_state.ply;
    if (record->side == c) { // the record's move was the enemy's
        record = record->parent;
        --ply;
    }
    for (; record && ply > 0; ply -= 2) {
        if (is_castling_kind(move_kind(record->move)))
            return true;
        record = record->parent ? record->parent->parent : nullptr;
    }
    return false;
}

// Penalty (positive) of side c for castling rights kept or lost since the root.
int castling_for(const Tboarddata& node, Color c) {
    const Tboard& b = board_state;
    if (!(root_snapshot.castle & castle_rights_of(c)) || !b.nb_queens[~c])
        return 0;
    if (node.castle & castle_rights_of(c))
        return CASTLING_RIGHT_KEPT;
    return castled_since_root(node, c) ? 0 : CASTLING_RIGHT_LOST;
}

// A bishop of C on a7 or h7 cut off by a pawn on b6/b7 (g6/g7) that the enemy holds.
template <Color C> int trapped_bishop() {
    const Tboard&  b       = board_state;
    const Bitboard corners = square_bb(relative_square(C, sq(0, 6)))    // a7
                             | square_bb(relative_square(C, sq(7, 6))); // h7
    const Bitboard found = b.bishops_bb[C] & corners;
    if (!found)
        return 0;
    const Square bishop = lsb(found); // the lowest-numbered: a7 for White, a2 for Black
    const int    df     = file_of(bishop) == 0 ? 1 : -1;
    const Square level6 = relative_square(C, sq(file_of(bishop) + df, 5)); // b6 or g6
    const Square level7 = relative_square(C, sq(file_of(bishop) + df, 6)); // b7 or g7
    const bool   pawn   = b.pawns_bb[~C] & (square_bb(level6) | square_bb(level7));
    if (!pawn || !b.attacked_by<~C>(level6))
        return 0;
    return root_snapshot.side == C ? TRAPPED_BISHOP_ROOT : TRAPPED_BISHOP_OTHER;
}

template <Color C> bool advanced_passer_of(const Tpawn_entry& entry) {
    const Tboard& b    = board_state;
    const Color   them = ~C;
    if (b.nb_pieces[them] + b.nb_queens[them] > 3)
        return false;
    const Bitboard passers = entry.passed_pawns & b.pawns_bb[C];
    if (b.nb_pieces[them] == 0)
        return passers != 0;
    if (b.nb_pieces[them] == 1)
        return passers & (relative_rank_bb<C>(5) | relative_rank_bb<C>(6));
    return b.pawns_bb[C] & relative_rank_bb<C>(6);
}

// The storm against the root side R's castled king; positive is the size of the penalty.
template <Color R> bool g_file_storm_against() {
    const Tboard&  b         = board_state;
    const Color    them      = ~R;
    const int      king_file = file_of(b.king_sq[R]);
    const Bitboard storm = square_bb(relative_square(R, sq(6, 2))) | square_bb(relative_square(R, sq(6, 3)));
    return king_file >= 6 && (b.pawns_bb[them] & storm) && b.nb_queens[them] && (b.pawns_bb[R] & file_bb[5]);
}

} // namespace

namespace eval_terms {

int trade(Color side_to_move, int balance) {
    if (balance >= TRADE_AHEAD_THRESHOLD)
        return trade_for(side_to_move, balance);
    if (balance <= -TRADE_AHEAD_THRESHOLD)
        return -trade_for(~side_to_move, -balance);
    return 0;
}

int g_file_storm(const Tboarddata& node) {
    const Tboard& b = board_state;
    if (node.phase == ENDGAME || ((b.pawns_bb[WHITE] | b.pawns_bb[BLACK]) & file_bb[7]))
        return 0;
    const Color root = Color(root_snapshot.side);
    const bool  hit  = root == WHITE ? g_file_storm_against<WHITE>() : g_file_storm_against<BLACK>();
    if (!hit)
        return 0;
    return node.side == root ? -G_FILE_STORM : G_FILE_STORM;
}

int trapped_bishops() { return -trapped_bishop<WHITE>() + trapped_bishop<BLACK>(); }

int knights_and_rooks_by_pawns() {
    const Tboard& b = board_state;
    if (b.nb_knights[WHITE] == b.nb_knights[BLACK] && b.nb_rooks[WHITE] == b.nb_rooks[BLACK])
        return 0;
    const int t = (b.nb_pawns[WHITE] + b.nb_pawns[BLACK] - PAWN_COUNT_PIVOT) * PAWN_VALUE / 2;
    return (b.nb_knights[WHITE] - b.nb_knights[BLACK]) * t / KNIGHT_PAWN_DIVISOR
           - (b.nb_rooks[WHITE] - b.nb_rooks[BLACK]) * t / ROOK_PAWN_DIVISOR;
}

int development(int phase) {
    const Tboard& b = board_state;
    if (phase == ENDGAME)
        return 0;
    if (b.nb_knights[WHITE] + b.nb_bishops[WHITE] < DEVELOPMENT_MIN_MINORS
        || b.nb_knights[BLACK] + b.nb_bishops[BLACK] < DEVELOPMENT_MIN_MINORS)
        return 0;
    const int white = undeveloped<WHITE>();
    const int black = undeveloped<BLACK>();
    int       t     = 0;
    if (phase == OPENING) {
        if (!(b.queens_bb[WHITE] & square_bb(sq(3, 0))))
            t -= DEVELOPMENT_QUEEN_OUT[white];
        if (!(b.queens_bb[BLACK] & square_bb(sq(3, 7))))
            t += DEVELOPMENT_QUEEN_OUT[black];
    }
    const int d = white - black;
    t += d >= 0 ? -DEVELOPMENT_BEHIND[d] : DEVELOPMENT_BEHIND[-d];
    // Scaled by White's force alone, for both sides' counts.
    return attacking_force(WHITE) * t / FORCE_CAP;
}

int castling(const Tboarddata& node) {
    if (!(root_snapshot.castle & CASTLE_RIGHTS_MASK))
        return 0;
    return -castling_for(node, WHITE) + castling_for(node, BLACK);
}

bool advanced_passer(Color c, const Tpawn_entry& entry) {
    return c == WHITE ? advanced_passer_of<WHITE>(entry) : advanced_passer_of<BLACK>(entry);
}

} // namespace eval_terms
