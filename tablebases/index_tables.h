// The tables every table index is built from: the two king-pair orders, the square lists open to a
// man next to the opposing king, and the running bases that enumerate one or two men over all
// king pairs. Built once per process by build_index_tables().
#pragma once

#include <cstdint>

namespace tb {

// Square lists by the kind of man: the five piece types, then "O", a pawn that only avoids the
// king's square (the side not to move's pawns seen from the other side).
enum Tlist : int { LIST_P, LIST_N, LIST_B, LIST_R, LIST_Q, LIST_O, NB_LISTS };
// King-pair orders: TRI for pawnless classes (key king in a1-d1-d4), HALF with pawns (files a-d).
enum Tkings : int { TRI, HALF };

constexpr int TRI_PAIRS  = 462;
constexpr int HALF_PAIRS = 1806;
// Returned for positions that have no slot at all (kings on one square or side by side).
constexpr uint32_t NO_INDEX = 0xFFFFFFFFu;

// Rank of the pair (key, second) in its order, -1 when the pair is not in it.
extern int16_t king_pair[2][64][64];
// Position of a square in the list open to a man next to king K, -1 when it is not in it.
extern int8_t  list_pos[NB_LISTS][64][64];
extern uint8_t list_size[NB_LISTS][64];
// base1[t][kt][pair]: slots of one man of list t over the pairs before `pair`; [..][pairs] is the
// total (the TRI rows repeat it up to HALF_PAIRS). base2 likewise for two men, t1 >= t2.
extern uint32_t base1[NB_LISTS][2][HALF_PAIRS + 1];
extern uint32_t base2[NB_LISTS][NB_LISTS][2][HALF_PAIRS + 1];

void build_index_tables();

inline int  file_of_sq(int s) { return s & 7; }
inline int  rank_of_sq(int s) { return s >> 3; }
inline bool kings_touch(int a, int b) {
    const int df = file_of_sq(a) - file_of_sq(b), dr = rank_of_sq(a) - rank_of_sq(b);
    return df >= -1 && df <= 1 && dr >= -1 && dr <= 1;
}

inline uint32_t total1(Tlist t, Tkings kt) { return base1[t][kt][kt == TRI ? TRI_PAIRS : HALF_PAIRS]; }
inline uint32_t total2(Tlist t1, Tlist t2, Tkings kt) {
    return base2[t1][t2][kt][kt == TRI ? TRI_PAIRS : HALF_PAIRS];
}
// Pairs outside the order read the total, past every real slot.
inline uint32_t pair_of(Tkings kt, int key, int second) {
    const int p = king_pair[kt][key][second];
    return p < 0 ? uint32_t(HALF_PAIRS) : uint32_t(p);
}

// Men of list t open next to k2, with k1's square left out when k1 lies in the list.
inline uint32_t men_count(Tlist t, int k1, int k2) {
    return list_size[t][k2] - (list_pos[t][k2][k1] >= 0 ? 1u : 0u);
}
inline uint32_t man_pos(Tlist t, int k1, int k2, int s) {
    const int p = list_pos[t][k2][s];
    return uint32_t(p - (list_pos[t][k2][k1] >= 0 && s > k1 ? 1 : 0));
}

// The square renumbered with the listed occupied squares taken out.
inline uint32_t renumber(int s, int o1) { return uint32_t(s - (o1 < s)); }
inline uint32_t renumber(int s, int o1, int o2) { return uint32_t(s - (o1 < s) - (o2 < s)); }
inline uint32_t renumber(int s, int o1, int o2, int o3) {
    return uint32_t(s - (o1 < s) - (o2 < s) - (o3 < s));
}
inline uint32_t renumber(int s, int o1, int o2, int o3, int o4) {
    return uint32_t(s - (o1 < s) - (o2 < s) - (o3 < s) - (o4 < s));
}
inline uint32_t renumber(int s, int o1, int o2, int o3, int o4, int o5, int o6) {
    return uint32_t(s - (o1 < s) - (o2 < s) - (o3 < s) - (o4 < s) - (o5 < s) - (o6 < s));
}

// One man of list t next to the king pair (k1 key, k2 second).
inline uint32_t one_man(Tlist t, Tkings kt, int k1, int s, int k2) {
    return base1[t][kt][pair_of(kt, k1, k2)] + man_pos(t, k1, k2, s);
}
// Two men; like men form an unordered set.
inline uint32_t two_men(Tlist t1, Tlist t2, Tkings kt, int k1, int s1, int s2, int k2) {
    const uint32_t base = base2[t1][t2][kt][pair_of(kt, k1, k2)];
    if (t1 == t2) {
        if (s1 > s2) {
            const int t = s1;
            s1          = s2;
            s2          = t;
        }
        const uint32_t p1 = man_pos(t1, k1, k2, s1), p2 = man_pos(t1, k1, k2, s2);
        return base + p2 * (p2 - 1) / 2 + p1;
    }
    return base + man_pos(t1, k1, k2, s1) * men_count(t2, k1, k2) + man_pos(t2, k1, k2, s2);
}
// The same, seen from the other side of the board: every square flipped vertically first.
inline uint32_t one_man_flipped(Tlist t, Tkings kt, int k1, int s, int k2) {
    return one_man(t, kt, k1 ^ 56, s ^ 56, k2 ^ 56);
}
inline uint32_t two_men_flipped(Tlist t1, Tlist t2, Tkings kt, int k1, int s1, int s2, int k2) {
    return two_men(t1, t2, kt, k1 ^ 56, s1 ^ 56, s2 ^ 56, k2 ^ 56);
}

} // namespace tb
