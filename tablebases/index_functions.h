// The index of a position inside the table of its class, one function per class and side to
// move. Each family of classes (kXk, kXkY, kXYk, kXYkZ) is one template over the piece types; the
// registry instantiates the 220 functions.
#pragma once

#include <cstdint>

#include "board/types.h"
#include "tablebases/index_tables.h"

namespace tb {

constexpr int NO_EP = 64;

// The men in the table's roles: "white" is the side named first in the class, whatever its real
// colour. w1, w2 follow the class order (q, r, b, n, p); squares are those of the real board.
struct Tmen {
    int wk = 0, bk = 0, w1 = 0, w2 = 0, b1 = 0;
};

// The position's slot; invert is set when the table's white men are the real Black's; ep is the
// en-passant target square (NO_EP when no pawn of the side to move can take).
using Tindex_function = uint32_t (*)(const Tmen& men, int invert, int ep);

namespace detail {

constexpr Tlist list_of(int type) { return Tlist(type - PAWN); }

struct Tsquares {
    int wk, bk, w1, w2, b1, e;
};

inline int transposed(int s) { return (s & 7) * 8 + (s >> 3); }

// Brings the key king to a-d (pawns: and flips an inverted board), or for pawnless classes into
// the a1-d1-d4 triangle with the second king on or below the diagonal when the key is on it.
template <bool Pawns> Tsquares normalised(const Tmen& m, int key, int second, int invert, int ep) {
    int mask = file_of_sq(key) >= 4 ? 7 : 0;
    if constexpr (Pawns)
        mask ^= invert ? 56 : 0;
    else
        mask ^= rank_of_sq(key) >= 4 ? 56 : 0;
    Tsquares s{m.wk ^ mask, m.bk ^ mask, m.w1 ^ mask,
               m.w2 ^ mask, m.b1 ^ mask, ep == NO_EP ? NO_EP : ep ^ mask};
    if constexpr (!Pawns) {
        const int  k = key ^ mask, o = second ^ mask;
        const bool keep = rank_of_sq(k) <= file_of_sq(k)
                          && (rank_of_sq(k) != file_of_sq(k) || rank_of_sq(o) <= file_of_sq(o));
        if (!keep)
            s = {transposed(s.wk), transposed(s.bk), transposed(s.w1),
                 transposed(s.w2), transposed(s.b1), s.e};
    }
    return s;
}

inline void sort_pair(int& a, int& b) {
    if (a > b) {
        const int t = a;
        a           = b;
        b           = t;
    }
}

// The en-passant capture codes 0..13: which pawn takes, towards which side.
inline uint32_t ep_white(int w, int b) {
    const int e = b + 8;
    return uint32_t(w + 7 == e ? file_of_sq(w) - 1 : file_of_sq(w) + 7);
}
inline uint32_t ep_black(int w, int b) {
    const int e = w - 8;
    return uint32_t(b - 9 == e ? file_of_sq(b) - 1 : file_of_sq(b) + 7);
}
// Two white pawns against one: the capture code, then 14 x the other pawn (w1 < w2).
inline uint32_t ep_white2(int w1, int w2, int b) {
    const int  e        = b + 8;
    const bool w1_takes = (w1 + 7 == e && file_of_sq(w1) != 0) || (w1 + 9 == e && file_of_sq(w1) != 7);
    if (w1_takes)
        return ep_white(w1, b) + 14 * (renumber(w2, b, e, e + 8) - 9);
    return ep_white(w2, b) + 14 * (renumber(w1, b, e, e + 8) - 8);
}
inline uint32_t ep_black2(int w1, int w2, int b, int e) {
    const uint32_t cap = uint32_t(b - 9 == e && file_of_sq(b) != 0 ? file_of_sq(b) - 1 : file_of_sq(b) + 7);
    if (w1 - 8 == e)
        return cap + 14 * (renumber(w2, b, e, e - 8) - 9);
    return cap + 14 * (renumber(w1, b, e, e - 8) - 8);
}

} // namespace detail

// --- kXk --------------------------------------------------------------------------------------

template <int X> uint32_t index_kxk_white(const Tmen& m, int invert, int) {
    using namespace detail;
    constexpr bool pawns = X == PAWN;
    if (kings_touch(m.wk, m.bk))
        return NO_INDEX;
    const Tsquares s = normalised<pawns>(m, m.wk, m.bk, invert, NO_EP);
    return one_man(list_of(X), pawns ? HALF : TRI, s.wk, s.w1, s.bk);
}

template <int X> uint32_t index_kxk_black(const Tmen& m, int invert, int) {
    using namespace detail;
    constexpr bool pawns = X == PAWN;
    if (kings_touch(m.wk, m.bk))
        return NO_INDEX;
    const Tsquares s = normalised<pawns>(m, m.bk, m.wk, invert, NO_EP);
    if constexpr (pawns)
        return one_man_flipped(LIST_O, HALF, s.bk, s.w1, s.wk);
    else
        return pair_of(TRI, s.bk, s.wk) * 62 + renumber(s.w1, s.wk, s.bk);
}

// --- kXkY -------------------------------------------------------------------------------------

template <int X, int Y> uint32_t index_kxky_white(const Tmen& m, int invert, int ep) {
    using namespace detail;
    constexpr bool pawns = X == PAWN || Y == PAWN;
    if (kings_touch(m.wk, m.bk))
        return NO_INDEX;
    const Tsquares s = normalised<pawns>(m, m.wk, m.bk, invert, ep);
    if constexpr (!pawns)
        return one_man(list_of(X), TRI, s.wk, s.w1, s.bk) * 61 + renumber(s.b1, s.wk, s.bk, s.w1);
    else if constexpr (X != PAWN)
        return one_man(list_of(X), HALF, s.wk, s.w1, s.bk) * 48 + uint32_t(s.b1 - 8);
    else if (s.e == NO_EP)
        return one_man(LIST_P, HALF, s.wk, s.w1, s.bk) * 47 + renumber(s.b1, s.w1) - 8;
    else
        return total1(LIST_P, HALF) * 47 + pair_of(HALF, s.wk, s.bk) * 14 + ep_white(s.w1, s.b1);
}

template <int X, int Y> uint32_t index_kxky_black(const Tmen& m, int invert, int ep) {
    using namespace detail;
    constexpr bool pawns = X == PAWN || Y == PAWN;
    if (kings_touch(m.wk, m.bk))
        return NO_INDEX;
    const Tsquares s = normalised<pawns>(m, m.bk, m.wk, invert, ep);
    if constexpr (!pawns)
        return one_man(list_of(Y), TRI, s.bk, s.b1, s.wk) * 61 + renumber(s.w1, s.wk, s.bk, s.b1);
    else if constexpr (X != PAWN)
        return one_man_flipped(LIST_P, HALF, s.bk, s.b1, s.wk) * 61 + renumber(s.w1, s.wk, s.bk, s.b1);
    else if (s.e == NO_EP)
        return one_man_flipped(LIST_P, HALF, s.bk, s.b1, s.wk) * 47 + renumber(s.w1, s.b1) - 8;
    else
        return total1(LIST_P, HALF) * 47 + pair_of(HALF, s.bk, s.wk) * 14 + ep_black(s.w1, s.b1);
}

// --- kXYk -------------------------------------------------------------------------------------

template <int X, int Y> uint32_t index_kxyk_white(const Tmen& m, int invert, int) {
    using namespace detail;
    constexpr bool pawns = Y == PAWN;
    if (kings_touch(m.wk, m.bk))
        return NO_INDEX;
    const Tsquares s = normalised<pawns>(m, m.wk, m.bk, invert, NO_EP);
    return two_men(list_of(X), list_of(Y), pawns ? HALF : TRI, s.wk, s.w1, s.w2, s.bk);
}

template <int X, int Y> uint32_t index_kxyk_black(const Tmen& m, int invert, int) {
    using namespace detail;
    constexpr bool pawns = Y == PAWN;
    if (kings_touch(m.wk, m.bk))
        return NO_INDEX;
    Tsquares s = normalised<pawns>(m, m.bk, m.wk, invert, NO_EP);
    if constexpr (X == Y)
        sort_pair(s.w1, s.w2);
    if constexpr (!pawns && X == Y) {
        const uint32_t a = renumber(s.w2, s.wk, s.bk);
        return pair_of(TRI, s.bk, s.wk) * 1891 + a * (a - 1) / 2 + renumber(s.w1, s.wk, s.bk);
    } else if constexpr (!pawns) {
        return pair_of(TRI, s.bk, s.wk) * 3782 + renumber(s.w1, s.wk, s.bk) * 61
               + renumber(s.w2, s.wk, s.bk, s.w1);
    } else if constexpr (X != PAWN) {
        return one_man_flipped(LIST_O, HALF, s.bk, s.w2, s.wk) * 61 + renumber(s.w1, s.wk, s.bk, s.w2);
    } else {
        return two_men_flipped(LIST_O, LIST_O, HALF, s.bk, s.w1, s.w2, s.wk);
    }
}

// --- kXYkZ ------------------------------------------------------------------------------------

template <int X, int Y, int Z> uint32_t index_kxykz_white(const Tmen& m, int invert, int ep) {
    using namespace detail;
    constexpr bool pawns = Y == PAWN || Z == PAWN;
    if (kings_touch(m.wk, m.bk))
        return NO_INDEX;
    Tsquares s = normalised<pawns>(m, m.wk, m.bk, invert, ep);
    if constexpr (X == Y)
        sort_pair(s.w1, s.w2);
    constexpr Tkings kt = pawns ? HALF : TRI;
    if constexpr (Z != PAWN) {
        return two_men(list_of(X), list_of(Y), kt, s.wk, s.w1, s.w2, s.bk) * 60
               + renumber(s.b1, s.wk, s.bk, s.w1, s.w2);
    } else if constexpr (Y != PAWN) {
        return two_men(list_of(X), list_of(Y), HALF, s.wk, s.w1, s.w2, s.bk) * 48 + uint32_t(s.b1 - 8);
    } else if constexpr (X != PAWN) {
        if (s.e == NO_EP)
            return two_men(list_of(X), LIST_P, HALF, s.wk, s.w1, s.w2, s.bk) * 47 + renumber(s.b1, s.w2) - 8;
        return total2(list_of(X), LIST_P, HALF) * 47 + one_man(list_of(X), HALF, s.wk, s.w1, s.bk) * 14
               + ep_white(s.w2, s.b1);
    } else {
        if (s.e == NO_EP)
            return two_men(LIST_P, LIST_P, HALF, s.wk, s.w1, s.w2, s.bk) * 46 + renumber(s.b1, s.w1, s.w2)
                   - 8;
        return total2(LIST_P, LIST_P, HALF) * 46 + pair_of(HALF, s.wk, s.bk) * 616
               + ep_white2(s.w1, s.w2, s.b1);
    }
}

template <int X, int Y, int Z> uint32_t index_kxykz_black(const Tmen& m, int invert, int ep) {
    using namespace detail;
    constexpr bool pawns = Y == PAWN || Z == PAWN;
    if (kings_touch(m.wk, m.bk))
        return NO_INDEX;
    Tsquares s = normalised<pawns>(m, m.bk, m.wk, invert, ep);
    if constexpr (X == Y)
        sort_pair(s.w1, s.w2);
    if constexpr (!pawns && X == Y) {
        const uint32_t a = renumber(s.w2, s.wk, s.bk, s.b1);
        return one_man(list_of(Z), TRI, s.bk, s.b1, s.wk) * 1830 + a * (a - 1) / 2
               + renumber(s.w1, s.wk, s.bk, s.b1);
    } else if constexpr (!pawns) {
        return one_man(list_of(Z), TRI, s.bk, s.b1, s.wk) * 3660 + renumber(s.w1, s.wk, s.bk, s.b1) * 60
               + renumber(s.w2, s.wk, s.bk, s.w1, s.b1);
    } else if constexpr (Z != PAWN && X != PAWN) { // Y is the pawn
        return one_man(list_of(Z), HALF, s.bk, s.b1, s.wk) * 2880
               + renumber(s.w1, s.wk, s.bk, s.w2, s.b1) * 48 + uint32_t(s.w2 - 8);
    } else if constexpr (Z != PAWN) { // two pawns
        const uint32_t a = uint32_t(s.w2 - 8);
        return one_man(list_of(Z), HALF, s.bk, s.b1, s.wk) * 1128 + a * (a - 1) / 2 + uint32_t(s.w1 - 8);
    } else if constexpr (Y != PAWN && X == Y) {
        const uint32_t a = renumber(s.w2, s.wk, s.bk, s.b1);
        return one_man_flipped(LIST_P, HALF, s.bk, s.b1, s.wk) * 1830 + a * (a - 1) / 2
               + renumber(s.w1, s.wk, s.bk, s.b1);
    } else if constexpr (Y != PAWN) {
        return one_man_flipped(LIST_P, HALF, s.bk, s.b1, s.wk) * 3660 + renumber(s.w1, s.wk, s.bk, s.b1) * 60
               + renumber(s.w2, s.wk, s.bk, s.w1, s.b1);
    } else if constexpr (X != PAWN) {
        if (s.e == NO_EP)
            return one_man_flipped(LIST_P, HALF, s.bk, s.b1, s.wk) * 2820
                   + renumber(s.w1, s.wk, s.bk, s.w2, s.b1) * 47 + renumber(s.w2, s.b1) - 8;
        return total1(LIST_P, HALF) * 2820 + pair_of(HALF, s.bk, s.wk) * 812
               + renumber(s.w1, s.wk, s.bk, s.w2, s.b1, s.e, s.e - 8) * 14 + ep_black(s.w2, s.b1);
    } else {
        if (s.e == NO_EP) {
            const uint32_t a = renumber(s.w2, s.b1) - 8;
            return one_man_flipped(LIST_P, HALF, s.bk, s.b1, s.wk) * 1081 + a * (a - 1) / 2
                   + renumber(s.w1, s.b1) - 8;
        }
        return total1(LIST_P, HALF) * 1081 + pair_of(HALF, s.bk, s.wk) * 616
               + ep_black2(s.w1, s.w2, s.b1, s.e);
    }
}

} // namespace tb
