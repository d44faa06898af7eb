#include "tablebases/probe.h"

#include "board/boarddata.h"
#include "base/config.h"

Ttablebase_stats tablebase_stats;

int probe(Tboarddata& node) {
    if (!config.USE_TB)
        return 0;
    const Tboard& b   = board_state;
    const int     men = b.nb_pawns[WHITE] + b.nb_pawns[BLACK] + b.nb_pieces[WHITE] + b.nb_pieces[BLACK] + 2;
    if (men == 2) {
        // Bare kings: a draw, known exactly.
        draw_score(node);
        node.eval_flags = uint8_t((node.eval_flags & ~BOUND_MASK) | BOUND_EXACT | FLAG_TERMINAL);
        return 1;
    }
    // The tables themselves are not read yet: no value.
    return 0;
}
