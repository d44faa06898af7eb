// Depth extensions: forcing moves are searched deeper so that their point shows up inside the
// horizon. The node is the current record; its move has just been made.
#include "search/extensions.h"

#include "base/config.h"
#include "eval/evaluate.h"
#include "eval/root_snapshot.h"
#include "search/ordering.h"

namespace {

constexpr int QUIESCENCE_START = -100 * ONE_PLY; // depth of the first quiescence ply
constexpr int ENDGAME          = 2;

// Recaptures.
constexpr int WINNING_RECAPTURE_MARGIN = 20;
constexpr int BALANCE_TOLERANCE        = 50;
constexpr int HEAVY_PIECE              = 500; // equal trades of such pieces count on any square
constexpr int PAWN_ENDING_EXTENSION    = 3 * ONE_PLY;

constexpr int PASSED_PAWN_THREAT = 100;

// Combinations.
constexpr int COMBINATION_MAX_PLY = 5;
constexpr int FULL_COMBINATION    = 3 * ONE_PLY;
constexpr int SMALL_COMBINATION   = 2 * ONE_PLY;
constexpr int FEW_REPLIES         = 4;

bool extended(const Tboarddata& node) { return node.castle & CASTLE_EXTENDED_FLAG; }
bool combination(const Tboarddata& node) { return node.castle & CASTLE_COMBINATION_FLAG; }

// No piece stands strictly between a and b (a and b on one line, or equal).
bool clear_between(Square a, Square b) { return a == b || !(between[a][b] & board_state.occupied()); }

bool pawn_of_guards(Color c, Square s) {
    const Bitboard origins = c == WHITE ? pawn_from_below[s] : pawn_from_above[s];
    return board_state.pawns_bb[c] & origins;
}

// The material balance for `c`, pawns counted 100.
int balance_for(Color c) {
    const Tboard& b = board_state;
    const int white = (b.nb_pawns[WHITE] - b.nb_pawns[BLACK]) * exchange_value(PAWN) + b.piece_material[WHITE]
                      - b.piece_material[BLACK];
    return c == WHITE ? white : -white;
}

// The capture before this one by the other side: the parent's move, or, when that move only
// answered a check, the move before the check.
const Tboarddata* previous_capture_record(const Tboarddata& node) {
    const Tboarddata* parent = node.parent;
    if (board_state.ply >= 4 && parent->parent && parent->parent->in_check())
        return parent->parent->parent;
    return parent;
}

// Rule for a capture: flags a winning recapture and extends equal trades.
int recapture_extension(Tboarddata& node) {
    if (board_state.ply < 2 || !node.parent)
        return 0;
    const Tboarddata* before = previous_capture_record(node);
    if (!before || !move_captured(before->move))
        return 0;
    const Move m           = node.move;
    const Move prev        = before->move;
    const int  taken       = exchange_value(move_captured(m));
    const int  taken_prev  = exchange_value(move_captured(prev));
    const bool same_square = move_to(m) == move_to(prev);

    if (same_square && taken > taken_prev + WINNING_RECAPTURE_MARGIN) {
        const Color mover  = ~node.side_to_move();
        const int   root   = mover == WHITE ? root_snapshot.white_balance : -root_snapshot.white_balance;
        const int   change = balance_for(mover) - root;
        if (change >= -BALANCE_TOLERANCE && change <= BALANCE_TOLERANCE + taken)
            node.castle |= CASTLE_COMBINATION_FLAG;
    }
    if (taken == taken_prev && (same_square || taken >= HEAVY_PIECE)) {
        if (taken <= exchange_value(PAWN))
            return ONE_PLY;
        const Tboard& b = board_state;
        // Into a pure pawn ending: the result must be seen to the end.
        return b.nb_pieces[WHITE] == 0 && b.nb_pieces[BLACK] == 0 ? PAWN_ENDING_EXTENSION : ONE_PLY;
    }
    return 0;
}

// After a null move at the horizon of an endgame, a strong passed pawn may be the threat.
bool passed_pawn_threat(const Tboarddata& node, int alpha) {
    if ((node.eval_flags & BOUND_MASK) != BOUND_EXACT || node.eval_score > alpha || node.phase != ENDGAME
        || node.depth >= ONE_PLY)
        return false;
    int passed = current_pawn_entry.passed_score[ENDGAME];
    if (passed == SCORE_NOT_COMPUTED)
        return false;
    if (node.side == BLACK)
        passed = -passed;
    return passed > PASSED_PAWN_THREAT;
}

// A rook in the endgame going for the enemy's first rank, where a pawn of ours covers the
// square of its file.
bool rook_to_first_rank(const Tboarddata& node) {
    const Tboard& b          = board_state;
    const Color   mover      = ~node.side_to_move();
    const Color   enemy      = node.side_to_move();
    const Square  from       = move_from(node.move);
    const Square  to         = move_to(node.move);
    const int     first_rank = enemy == WHITE ? 0 : 7;
    const Square  target     = make_square(file_of(to), first_rank);
    if (!pawn_of_guards(mover, target))
        return false;
    const Square king = b.king_sq[enemy];
    if (rank_of(from) == rank_of(to) && king != NO_SQUARE && rank_of(king) == first_rank
        && clear_between(to, target) && clear_between(king, target))
        return true;
    return file_of(from) == file_of(to) && to == target;
}

// Moves of the node's list that end on `s`.
int moves_to(const Tboarddata& node, Square s) {
    int n = 0;
    for (int i = 1; i <= node.nb_moves; ++i)
        n += move_to(node.moves[i]) == s;
    return n;
}

bool only_king_moves(const Tboarddata& node) {
    for (int i = 1; i <= node.nb_moves; ++i)
        if (move_kind(node.moves[i]) != KIND_KING)
            return false;
    return true;
}

bool any_capture(const Tboarddata& node) {
    for (int i = 1; i <= node.nb_moves; ++i)
        if (move_captured(node.moves[i]))
            return true;
    return false;
}

// The phase of the root position, `ply` records up the line.
int root_phase(const Tboarddata& node) {
    const Tboarddata* r = &node;
    for (int up = board_state.ply; up > 0 && r->parent; --up)
        r = r->parent;
    return r->phase;
}

} // namespace

int extension(Tboarddata& node, int alpha) {
    if (node.depth <= QUIESCENCE_START)
        return 0;
    if (node.in_check())
        return ONE_PLY;
    if (node.parent && node.parent->all_done && node.parent->nb_moves == 1)
        return ONE_PLY; // the only reply
    const Move   m    = node.move;
    const int    kind = move_kind(m);
    const Square to   = move_to(m);
    if (kind == KIND_PROMO_QUEEN)
        return ONE_PLY;
    if (kind == KIND_PAWN && (rank_of(to) <= 1 || rank_of(to) >= 6))
        return ONE_PLY;
    if (move_captured(m))
        if (const int e = recapture_extension(node))
            return e;
    if (kind == KIND_NULL && passed_pawn_threat(node, alpha))
        return ONE_PLY;
    if (node.phase == ENDGAME && kind == KIND_ROOK && rook_to_first_rank(node))
        return ONE_PLY;
    if (board_state.ply > 5 && kind != KIND_QUEEN && kind != KIND_ROOK)
        return 0;
    if (node.phase == ENDGAME)
        return 0;
    return node.back_rank_threat() ? ONE_PLY : 0;
}

int combination_extension(const Tboarddata& node) {
    const int ply = board_state.ply;
    if (ply > COMBINATION_MAX_PLY || node.depth <= QUIESCENCE_START || root_phase(node) == ENDGAME)
        return 0;
    // Deep combinations are for analysis and test suites; in a game only with queens about.
    const bool search_wide = config.USE_COMBINATION_EXTENSIONS && (config.analyze_mode || !config.in_game);
    if (!board_state.nb_queens[node.side] && !search_wide)
        return 0;
    const int full  = search_wide ? FULL_COMBINATION : ONE_PLY;
    const int small = search_wide ? SMALL_COMBINATION : ONE_PLY;

    const Tboarddata* parent = node.parent;
    if (!parent || !combination(*parent))
        return 0;
    if (node.in_check()) {
        if (ply != 3 && ply != 4)
            return 0;
        const Move        taken_by = parent->move;
        const Tboarddata* grand    = parent->parent;
        if (move_kind(taken_by) == KIND_KING && move_captured(taken_by) && grand
            && moves_to(*grand, move_to(taken_by)) == 1 && only_king_moves(node))
            return full;
        if (node.nb_moves < FEW_REPLIES && !any_capture(node))
            return small;
        return 0;
    }
    if (!extended(node))
        return 0;
    const Tboarddata* grand = parent->parent;
    return ONE_PLY * (!extended(*parent) + (grand && !extended(*grand)));
}
