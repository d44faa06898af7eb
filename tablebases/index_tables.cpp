#include "tablebases/index_tables.h"

namespace tb {

int16_t  king_pair[2][64][64];
int8_t   list_pos[NB_LISTS][64][64];
uint8_t  list_size[NB_LISTS][64];
uint32_t base1[NB_LISTS][2][HALF_PAIRS + 1];
uint32_t base2[NB_LISTS][NB_LISTS][2][HALF_PAIRS + 1];

namespace {

bool in_triangle(int s) { return rank_of_sq(s) <= file_of_sq(s) && file_of_sq(s) <= 3; }

bool pair_allowed(Tkings kt, int key, int second) {
    if (key == second || kings_touch(key, second))
        return false;
    if (kt == HALF)
        return file_of_sq(key) <= 3;
    if (!in_triangle(key))
        return false;
    // On the diagonal the second king takes the lower half: the other half is its reflection.
    return rank_of_sq(key) != file_of_sq(key) || rank_of_sq(second) <= file_of_sq(second);
}

// Would a man of list t on s give check to a king on k at contact range?
bool contact_check(Tlist t, int s, int k) {
    const int df = file_of_sq(k) - file_of_sq(s), dr = rank_of_sq(k) - rank_of_sq(s);
    const int adf = df < 0 ? -df : df, adr = dr < 0 ? -dr : dr;
    switch (t) {
    case LIST_Q: return adf <= 1 && adr <= 1;
    case LIST_R: return adf + adr == 1;
    case LIST_B: return adf == 1 && adr == 1;
    case LIST_N: return (adf == 1 && adr == 2) || (adf == 2 && adr == 1);
    case LIST_P: return dr == 1 && adf == 1; // a white pawn moving up
    default: return false;
    }
}

void build_lists() {
    for (int t = 0; t < NB_LISTS; ++t)
        for (int k = 0; k < 64; ++k) {
            const bool pawn = t == LIST_P || t == LIST_O;
            int        n    = 0;
            for (int s = 0; s < 64; ++s) {
                const bool open   = s != k && !(pawn && (s < 8 || s > 55)) && !contact_check(Tlist(t), s, k);
                list_pos[t][k][s] = int8_t(open ? n++ : -1);
            }
            list_size[t][k] = uint8_t(n);
        }
}

// Walks the pairs of an order in increasing key * 64 + second.
template <typename F> void for_each_pair(Tkings kt, F visit) {
    for (int key = 0; key < 64; ++key)
        for (int second = 0; second < 64; ++second)
            if (pair_allowed(kt, key, second))
                visit(key, second);
}

void build_bases() {
    for (int kt = TRI; kt <= HALF; ++kt) {
        int n = 0;
        for (int a = 0; a < 64; ++a)
            for (int b = 0; b < 64; ++b)
                king_pair[kt][a][b] = -1;
        for_each_pair(Tkings(kt), [&](int key, int second) { king_pair[kt][key][second] = int16_t(n++); });

        for (int t1 = 0; t1 < NB_LISTS; ++t1) {
            uint32_t sum1 = 0;
            int      pair = 0;
            for_each_pair(Tkings(kt), [&](int key, int second) {
                base1[t1][kt][pair++] = sum1;
                sum1 += men_count(Tlist(t1), key, second);
            });
            for (int p = pair; p <= HALF_PAIRS; ++p)
                base1[t1][kt][p] = sum1;

            for (int t2 = 0; t2 <= t1; ++t2) {
                uint32_t sum2 = 0;
                pair          = 0;
                for_each_pair(Tkings(kt), [&](int key, int second) {
                    base2[t1][t2][kt][pair++] = sum2;
                    const uint32_t n1         = men_count(Tlist(t1), key, second);
                    sum2 += t1 == t2 ? n1 * (n1 - 1) / 2 : n1 * men_count(Tlist(t2), key, second);
                });
                for (int p = pair; p <= HALF_PAIRS; ++p)
                    base2[t1][t2][kt][p] = sum2;
            }
        }
    }
}

} // namespace

void build_index_tables() {
    static bool built = false;
    if (built)
        return;
    build_lists();
    build_bases();
    built = true;
}

} // namespace tb
