// King danger: the pawn shelter in front of each king (its file part cached per pawn structure
// in the pawn entry), the pawn storm against it and the hole left by a missing fianchetto pawn.
#include <algorithm>

#include "board/boarddata.h"
#include "eval/eval_bitboards.h"
#include "eval/hash_pawns.h"
#include "eval/root_snapshot.h"
#include "eval/terms.h"
#include "eval/weights.h"

using namespace eval_bb;
using namespace weights;

namespace {

constexpr Square sq(int file, int rank) { return make_square(file, rank); }

// Enemy pawns here, on the third and fourth ranks of the king's wing, are storming it (White's
// side; mirrored for Black).
constexpr Bitboard STORM_ZONE_KING_SIDE = (square_bb(sq(5, 2)) | square_bb(sq(6, 2)) | square_bb(sq(7, 2)))
                                          | (square_bb(sq(5, 3)) | square_bb(sq(6, 3)) | square_bb(sq(7, 3)));
constexpr Bitboard STORM_ZONE_QUEEN_SIDE =
    (square_bb(sq(0, 2)) | square_bb(sq(1, 2)) | square_bb(sq(2, 2)))
    | (square_bb(sq(0, 3)) | square_bb(sq(1, 3)) | square_bb(sq(2, 3)));

// Penalty of one shield file: how far the own pawn on it has gone, and whether the enemy has a
// pawn there to lever with.
template <Color C> int shield_file(const Tboard& b, int file) {
    const Bitboard own   = b.pawns_bb[C] & file_bb[file];
    int            value = SHIELD_NO_PAWN;
    if (own) {
        const Square rear = C == WHITE ? lsb(own) : 63 - std::countl_zero(own);
        value             = SHIELD_PER_RANK * relative_rank_of<C>(rear) - SHIELD_PER_RANK;
    }
    if (!(b.pawns_bb[~C] & file_bb[file]))
        value += SHIELD_OPEN_FOR_ENEMY;
    return value;
}

// The file part of C's shelter for a king on `king_file`: shield, storm and open diagonals.
template <Color C> int shelter_file_part(const Tboard& b, int king_file) {
    const int centre = std::clamp(king_file, 1, 6);
    int       value  = 3 * shield_file<C>(b, king_file) / 2;
    for (const int f : {centre - 1, centre, centre + 1})
        if (f != king_file)
            value += shield_file<C>(b, f);

    const Square   home   = relative_square(C, sq(king_file, 0));
    const Square   anchor = relative_square(C, sq(centre, 1));
    const Bitboard storm  = within_distance[anchor][2] & b.pawns_bb[~C];
    if (storm) {
        const Bitboard wing     = king_file >= 4 ? STORM_ZONE_KING_SIDE : STORM_ZONE_QUEEN_SIDE;
        const Bitboard zone     = C == WHITE ? wing : flip(wing);
        const Bitboard attacked = storm & pawn_attacks<C>(b.pawns_bb[C]);
        const int      near     = popcount(storm & within_distance[home][2]);
        const int      in_zone  = popcount(storm & zone);
        value += STORM_UNIT * (STORM_NEAR_KING * near + popcount(attacked) + STORM_IN_ZONE * in_zone)
                 + STORM_UNIT * popcount(attacked & zone);
    }

    const Bitboard pawns = b.pawns_bb[WHITE] | b.pawns_bb[BLACK];
    for (const int dir : {C == WHITE ? NORTH_EAST : SOUTH_EAST, C == WHITE ? NORTH_WEST : SOUTH_WEST}) {
        const Bitboard diagonal = ray_bb[home][dir];
        if (diagonal && !(diagonal & pawns))
            value += OPEN_DIAGONAL;
    }
    return std::min(value, SHELTER_FILE_MAX);
}

template <Color C> int shelter(Square king, int phase, Tpawn_entry& entry) {
    int value = SHELTER_RANK[relative_rank_of<C>(king)];
    if (phase == ENDGAME)
        return value;
    uint8_t& cached = entry.shelter[C][file_of(king)];
    if (cached == SHELTER_NOT_COMPUTED) {
        cached = uint8_t(shelter_file_part<C>(board_state, file_of(king)));
        if (Tpawn_entry* slot = hash_pawns.slot(entry.key))
            *slot = entry;
    }
    return value + cached;
}

// The hole on g2 (g7) with the fianchetto pawn gone, worst when only the enemy has a bishop for
// that square colour and already bears on it.
template <Color C> int fianchetto_hole(const Tboard& b) {
    const Square g2 = relative_square(C, sq(6, 1));
    if ((b.pawns_bb[C] & square_bb(g2)) || file_of(b.king_sq[C]) <= 2)
        return 0;
    const Bitboard colour       = square_colour_set(g2);
    const bool     enemy_bishop = b.bishops_bb[~C] & colour;
    const int      n            = !(b.bishops_bb[C] & colour) + enemy_bishop;
    const bool     bears        = enemy_bishop && (b.bishop_attacks_from(g2) & b.bishops_queens_bb[~C]);
    const int      bearing      = bears ? FIANCHETTO_BEARING : 0;
    if (n == 2 && root_snapshot.side == C)
        return bearing + FIANCHETTO_BOTH_ROOT;
    return bearing + FIANCHETTO_HOLE[n];
}

template <Color C> int king_danger_of(const Tboarddata& node, Tpawn_entry& entry) {
    const Tboard&  b      = board_state;
    int            danger = fianchetto_hole<C>(b);
    int            s      = shelter<C>(b.king_sq[C], node.phase, entry);
    const unsigned rights = node.castle & castle_rights_of(C);
    if (rights) {
        // Castling is still to come: count half of the better shelter on offer.
        int a = s;
        if (rights & (C == WHITE ? WHITE_OO : BLACK_OO))
            a = std::min(a, shelter<C>(relative_square(C, sq(6, 1)), node.phase, entry));
        int best = a;
        if (rights & (C == WHITE ? WHITE_OOO : BLACK_OOO))
            best = std::min(a, shelter<C>(relative_square(C, sq(2, 1)), node.phase, entry));
        s = (best + s) / 2;
    }
    return danger + s;
}

} // namespace

namespace eval_terms {

int king_shelter(Color c, Square k, int phase, Tpawn_entry& entry) {
    return c == WHITE ? shelter<WHITE>(k, phase, entry) : shelter<BLACK>(k, phase, entry);
}

void king_danger(const Tboarddata& node, Tpawn_entry& entry, int danger[2]) {
    const Tboard& b = board_state;
    danger[WHITE] = danger[BLACK] = 0;
    const bool queens             = b.nb_queens[WHITE] + b.nb_queens[BLACK] > 0;
    const bool material =
        b.piece_material[WHITE] >= KING_DANGER_MATERIAL && b.piece_material[BLACK] >= KING_DANGER_MATERIAL;
    const int count = queens + material + (node.phase != ENDGAME);
    if (count < KING_DANGER_MIN_COUNT)
        return;
    danger[WHITE] = king_danger_of<WHITE>(node, entry);
    danger[BLACK] = king_danger_of<BLACK>(node, entry);

    // Only the attacker's force makes a weak shelter dangerous.
    danger[WHITE] = danger[WHITE] * attacking_force(BLACK) / FORCE_CAP;
    danger[BLACK] = danger[BLACK] * attacking_force(WHITE) / FORCE_CAP;

    cap_king_danger(danger);
}

void cap_king_danger(int danger[2]) {
    // White first: the other side's danger shrinks in proportion.
    for (const Color c : {WHITE, BLACK})
        if (danger[c] > KING_DANGER_CAP) {
            danger[~c] = danger[~c] * KING_DANGER_CAP / danger[c];
            danger[c]  = KING_DANGER_CAP;
        }
}

} // namespace eval_terms
