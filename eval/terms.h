// The terms of the evaluation, as the driver calls them. Each is computed for White and mirrored
// for Black; the comment says whose view the result takes.
#pragma once

#include <algorithm>

#include "board/board.h"
#include "eval/pawn_entry.h"
#include "eval/weights.h"

struct Tboarddata;

namespace eval_terms {

// The force a side attacks with: pieces, queens three times over, at most 9. It scales the
// king dangers, the king attacks and the development term.
inline int attacking_force(Color c) {
    const Tboard& b = board_state;
    return std::min(weights::FORCE_CAP, b.nb_pieces[c] + weights::QUEEN_FORCE * b.nb_queens[c]);
}

// Side to move's view. Called only when the material balance is not 0: the side that is ahead
// gains for pieces traded since the root and loses for its own pawns gone since then.
int trade(Color side_to_move, int balance);

// Side to move's view: an enemy pawn on g3/g4 against the root side's king on the g- or h-file.
int g_file_storm(const Tboarddata& node);

// White's view. Called when a bishop of either colour stands on a2, h2, a7 or h7.
int                trapped_bishops();
constexpr Bitboard TRAP_SQUARES = square_bb(8) | square_bb(15) | square_bb(48) | square_bb(55);

// White's view: knights gain and rooks lose value as pawns stay on the board.
int knights_and_rooks_by_pawns();

// White's view: minor pieces and central pawns left at home, and the queen out too early.
int development(int phase);

// White's view: castling rights kept or lost since the root.
int castling(const Tboarddata& node);

// Whether side C has a passed pawn advanced enough to call for the full passed-pawn evaluation.
bool advanced_passer(Color c, const Tpawn_entry& entry);

// Danger to each king from its shelter and the fianchetto hole: K[WHITE], K[BLACK].
void king_danger(const Tboarddata& node, Tpawn_entry& entry, int danger[2]);
// Caps each danger at 150, scaling the other side's down in proportion; White is capped first.
void cap_king_danger(int danger[2]);
// Shelter of side c's king on square k (rank part plus the cached file part).
int king_shelter(Color c, Square k, int phase, Tpawn_entry& entry);

// Pieces, mobility, king attack, holes and the pawn-ending king: side to move's view.
int pieces(const Tboarddata& node, const Tpawn_entry& entry, const int danger[2]);

} // namespace eval_terms
