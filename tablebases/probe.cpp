#include "tablebases/probe.h"

#include "base/config.h"
#include "board/boarddata.h"

Ttablebase_stats tablebase_stats;

namespace {

constexpr int KPPKP = 36;

// Seven kppkp positions with Black to move are mated in 127 moves, which no byte can hold.
bool mated_in_127(const Ttable_key& key) {
    static constexpr uint32_t INDEXES[7] = {56802428, 56811076, 56849992, 56858640,
                                            59592489, 67775659, 71071628};
    if (key.id != KPPKP || key.side != BLACK)
        return false;
    for (uint32_t i : INDEXES)
        if (key.index == i)
            return true;
    return false;
}

// A side's men in class order: queens, rooks, bishops, knights, pawns.
int men_in_class_order(const Tboard& b, Color c, int* squares) {
    int n = 0;
    for (Bitboard set : {b.queens_bb[c], b.rooks_bb[c], b.bishops_bb[c], b.knights_bb[c], b.pawns_bb[c]})
        while (set && n < 3)
            squares[n++] = pop_lsb(set);
    return n;
}

} // namespace

Tcounts board_counts(const Tboard& b) {
    return {b.nb_pawns[WHITE],  b.nb_knights[WHITE], b.nb_bishops[WHITE], b.nb_rooks[WHITE],
            b.nb_queens[WHITE], b.nb_pawns[BLACK],   b.nb_knights[BLACK], b.nb_bishops[BLACK],
            b.nb_rooks[BLACK],  b.nb_queens[BLACK]};
}

Ttable_key table_key(const Tboard& b, int side_to_move, int ep_file, int signed_id) {
    Ttable_key key;
    key.invert         = signed_id < 0;
    key.id             = key.invert ? -signed_id : signed_id;
    key.side           = key.invert ? side_to_move ^ 1 : side_to_move;
    const Color first  = key.invert ? BLACK : WHITE; // the side the class names first
    const Color second = ~first;

    // The en-passant square counts only when a pawn of the side to move can take on it.
    if (ep_file >= 0 && ep_file < 8) {
        const Square   target = side_to_move == WHITE ? ep_file + 40 : ep_file + 16;
        const Bitboard takers = side_to_move == WHITE ? pawn_from_below[target] & b.pawns_bb[WHITE]
                                                      : pawn_from_above[target] & b.pawns_bb[BLACK];
        if (takers)
            key.ep = target;
    }

    tb::Tmen men;
    int      own[3] = {}, other[3] = {};
    men_in_class_order(b, first, own);
    men_in_class_order(b, second, other);
    men.wk    = b.king_sq[first];
    men.bk    = b.king_sq[second];
    men.w1    = own[0];
    men.w2    = own[1];
    men.b1    = other[0];
    key.index = tb_classes[key.id].index[key.side](men, key.invert, key.ep);
    return key;
}

int tablebase_score(int value) {
    if (value == 0)
        return 0;
    if (value == -128) // wins: mates in 127 moves
        return 32000 - 253;
    if (value == -127) // loses: mated in 126 moves
        return -(32000 - 252);
    return value > 0 ? 2 * value + 31747 : 2 * value - 31748;
}

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
    // Five-man tables are large: only near the root or with depth to spare.
    if (men >= 5 && b.ply >= 4 && node.depth < 4 * ONE_PLY)
        return 0;
    ++tablebase_stats.probes;

    const int signed_id = tablebases.lookup(board_counts(b));
    if (signed_id == 0)
        return 0;
    const Ttable_key key = table_key(b, node.side, node.ep_file, signed_id);
    if (!tablebases.registered(key.id, key.side))
        return 0;
    int score;
    if (mated_in_127(key)) {
        score = -(32000 - 254);
    } else {
        const int value = tablebases.read_entry(key.id, key.side, key.index);
        if (value == TB_NO_VALUE) {
            node.eval_score = SCORE_NOT_COMPUTED;
            return 0;
        }
        score = tablebase_score(value);
    }
    if (score == 0)
        draw_score(node);
    else
        node.eval_score = score;
    node.eval_flags =
        uint8_t((node.eval_flags & ~BOUND_MASK) | BOUND_EXACT | FLAG_TERMINAL | FLAG_FROM_TABLEBASE);
    ++tablebase_stats.hits;
    return 1;
}
