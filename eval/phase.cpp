// The game phase only moves forward along a line of play: opening, then middle game, then endgame.
#include "base/config.h"
#include "board/boarddata.h"
#include "eval/root_snapshot.h"

int Tboarddata::compute_phase(int prev) const {
    const Tboard& b = board_state;
    if (prev == 2)
        return 2;
    // Queens count twice here.
    const int white_weight = b.nb_pieces[WHITE] + b.nb_queens[WHITE];
    const int black_weight = b.nb_pieces[BLACK] + b.nb_queens[BLACK];
    if (white_weight < 4 && black_weight < 4
        && (b.nb_queens[WHITE] == 0 || b.nb_rooks[WHITE] == 0 || black_weight < 3)
        && (b.nb_queens[BLACK] == 0 || b.nb_rooks[BLACK] == 0 || white_weight < 3))
        return 2;
    if (prev == 1)
        return 1;
    if (config.in_game && b.ply + b.game_ply >= 40)
        return 1;
    const Color root     = Color(root_snapshot.side);
    const int   home     = root == WHITE ? 0 : 7;
    const int   on_first = popcount(b.pieces_bb[root] & rank_bb[home]);
    if (on_first <= 4)
        return 1;
    if (castle & castle_rights_of(root))
        return 0;
    return b.nb_pieces[root] <= 6 ? 1 : 0;
}
