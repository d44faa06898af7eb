#include "eval/root_snapshot.h"

#include "board/boarddata.h"

Troot_snapshot root_snapshot;

void take_root_snapshot(const Tboarddata& root) {
    const Tboard& b = board_state;
    for (const Color c : {WHITE, BLACK}) {
        root_snapshot.nb_pawns[c]       = b.nb_pawns[c];
        root_snapshot.piece_material[c] = b.piece_material[c];
    }
    root_snapshot.white_balance = (b.nb_pawns[WHITE] - b.nb_pawns[BLACK]) * PIECE_VALUE[PAWN]
                                  + b.piece_material[WHITE] - b.piece_material[BLACK];
    root_snapshot.side   = root.side;
    root_snapshot.castle = root.castle & CASTLE_RIGHTS_MASK;
}
