// Score arithmetic of the search. Mate scores lose one unit of magnitude for every ply they are
// passed up; infinity (also the abort marker) and "not computed" pass unchanged.
#pragma once

#include "board/types.h"

constexpr int MATE_RANGE = 31000; // |score| at least this (and not infinity) is a mate score

constexpr bool is_mate_score(int s) {
    return (s >= MATE_RANGE || s <= -MATE_RANGE) && s != SCORE_INFINITE && s != -SCORE_INFINITE;
}

// A child's score seen from its parent.
constexpr int negate_score(int s) {
    if (s == SCORE_NOT_COMPUTED)
        return s;
    if (!is_mate_score(s))
        return -s;
    return s <= 0 ? -1 - s : 1 - s;
}

// A parent's window bound seen from its child.
constexpr int negate_bound(int b) {
    if (b == SCORE_NOT_COMPUTED)
        return b;
    if (!is_mate_score(b))
        return -b;
    return b < 0 ? 1 - b : -1 - b;
}

static_assert(negate_score(-32000) == 31999 && negate_score(31999) == -31998);
static_assert(negate_score(32500) == -32500 && negate_score(32700) == 32700);
static_assert(negate_bound(-31998) == 31999 && negate_bound(31999) == -32000);
