// Static exchange evaluation: what a capture wins once both sides have taken back on the square
// with their cheapest pieces first, judged from two lists of attacker values.
#include <algorithm>

#include "board/board.h"
#include "search/ordering.h"

namespace {

constexpr int MAX_ATTACKERS = 15;  // values kept per side; more never matter to the swap list
constexpr int MAX_EXCHANGES = 7;   // captures per side the swap list follows
constexpr int QUEENING_GAIN = 875; // a queen for the pawn

// Values of the attackers of one side on a square, from position 1 on. `count` is the true
// number of attackers, even past the last value kept.
struct Tattacker_list {
    int value[MAX_ATTACKERS + 1];
    int count = 0;

    void add(int v) {
        ++count;
        if (count <= MAX_ATTACKERS)
            value[count] = v;
    }
    int size() const { return count; }
};

// The piece of `c` standing right behind `attacker` on the line from `to`, when it is a slider
// of that line: it joins the exchange once the attacker has gone.
template <Color C> void add_slider_behind(Tattacker_list& list, Square to, Square attacker) {
    const Tboard& b      = board_state;
    const int     d      = direction_to[to][attacker];
    const Square  behind = b.first_piece(attacker, d);
    if (behind == NO_SQUARE || b.board[behind] == 0 || (b.board[behind] > 0) != (C == WHITE))
        return;
    const int  type     = b.board_type[behind];
    const bool straight = is_straight(d);
    if (type == QUEEN || (straight && type == ROOK) || (!straight && type == BISHOP))
        list.add(exchange_value(type));
}

template <Color C> void add_sliders(Tattacker_list& list, Square to, Bitboard sliders) {
    for (Bitboard s = sliders; s;) {
        const Square attacker = pop_lsb(s);
        list.add(exchange_value(board_state.board_type[attacker]));
        add_slider_behind<C>(list, to, attacker);
    }
}

template <Color C> void collect_attackers(Tattacker_list& list, Square to) {
    const Tboard&  b            = board_state;
    const Bitboard pawn_origins = C == WHITE ? pawn_from_below[to] : pawn_from_above[to];
    for (Bitboard s = b.pawns_bb[C] & pawn_origins; s; s &= s - 1)
        list.add(exchange_value(PAWN));
    for (Bitboard s = b.knights_bb[C] & knight_attacks[to]; s; s &= s - 1)
        list.add(exchange_value(KNIGHT));
    add_sliders<C>(list, to, b.bishops_bb[C] & b.bishop_attacks_from(to));
    add_sliders<C>(list, to, b.rooks_bb[C] & b.rook_attacks_from(to));
    if (b.queens_bb[C])
        add_sliders<C>(list, to, b.queens_bb[C] & b.queen_attacks_from(to));
    if (b.king_sq[C] != NO_SQUARE && king_adjacent[to][b.king_sq[C]])
        list.add(exchange_value(KING));
}

template <Color Us> int see_for(Square from, Square to) {
    constexpr Color Them = ~Us;
    const Tboard&   b    = board_state;
    const int       t    = exchange_value(b.board_type[to]);
    const int       m    = exchange_value(b.board_type[from]);

    if (b.board_type[from] == PAWN && (rank_of(to) == 0 || rank_of(to) == 7)) {
        if (!b.attacked_by<Them>(to))
            return t + QUEENING_GAIN;
        // The new queen is lost unless another piece covers the square.
        return (b.attackers<Us>(to) & ~square_bb(from)) ? t + QUEENING_GAIN : t - exchange_value(PAWN);
    }
    if (b.board_type[to] == EMPTY) // en passant
        return b.attacked_by<Them>(to) ? 0 : exchange_value(PAWN);
    const Bitboard enemy_pawn_origins = Them == WHITE ? pawn_from_below[to] : pawn_from_above[to];
    if (m > t + exchange_value(PAWN) && (b.pawns_bb[Them] & enemy_pawn_origins))
        return t - m + exchange_value(PAWN);
    if (!b.attacked_by<Them>(to))
        return t;

    Tattacker_list a, e;
    collect_attackers<Us>(a, to);
    collect_attackers<Them>(e, to);
    if (a.size() <= 1)
        return t - m;
    // The mover is the first to capture.
    const int kept = a.size() < MAX_ATTACKERS ? a.size() : MAX_ATTACKERS;
    for (int k = 1; k <= kept; ++k)
        if (a.value[k] == m) {
            for (; k > 1; --k)
                a.value[k] = a.value[k - 1];
            a.value[1] = m;
            break;
        }

    int swap_list[2 * MAX_EXCHANGES + 1];
    swap_list[0] = t;
    int result   = 0;
    if (e.size() < a.size()) {
        const int n = e.size() < MAX_EXCHANGES ? e.size() : MAX_EXCHANGES;
        if (n == 0)
            return t;
        for (int k = 1; k <= n; ++k) {
            swap_list[2 * k - 1] = swap_list[2 * k - 2] - a.value[k];
            swap_list[2 * k]     = swap_list[2 * k - 1] + e.value[k];
        }
        result = swap_list[0];
        for (int k = 1; k <= n; ++k)
            result = std::min(result, swap_list[2 * k]);
        for (int k = 1; k <= n; ++k)
            result = std::max(result, swap_list[2 * k - 1]);
    } else {
        const int n  = a.size() < MAX_EXCHANGES ? a.size() : MAX_EXCHANGES;
        swap_list[1] = t - m;
        for (int k = 1; k < n; ++k) {
            swap_list[2 * k]     = swap_list[2 * k - 1] + e.value[k];
            swap_list[2 * k + 1] = swap_list[2 * k] - a.value[k + 1];
        }
        result = swap_list[1];
        for (int k = 1; k < n; ++k)
            result = std::max(result, swap_list[2 * k + 1]);
        for (int k = 0; k < n; ++k)
            result = std::min(result, swap_list[2 * k]);
    }
    return result;
}

} // namespace

int see(Square from, Square to) {
    return board_state.board[from] > 0 ? see_for<WHITE>(from, to) : see_for<BLACK>(from, to);
}
