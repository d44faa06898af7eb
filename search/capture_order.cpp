// Ordering of captures: by simple gain when it reaches the threshold, else by the exchange
// value; captures that cannot reach the threshold even optimistically are dropped.
#include <utility>

#include "board/board.h"
#include "search/ordering.h"

namespace {

constexpr int MAX_LIST     = 256;
constexpr int DELTA_MARGIN = 50; // what positional gains may add to an optimistic capture

int capture_scores[MAX_LIST]; // scratch of the list being ordered

bool is_capture_or_promotion(Move m) { return move_captured(m) != 0 || is_promotion_kind(move_kind(m)); }

int capture_score(Move m, int threshold) {
    const int    kind     = move_kind(m);
    const Square from     = move_from(m);
    const Square to       = move_to(m);
    const int    captured = exchange_value(move_captured(m));
    const int    mover    = exchange_value(board_state.board_type[from]);
    // A promotion gains the new piece and loses the pawn.
    const int promotion =
        is_promotion_kind(kind) ? exchange_value(promoted_type(kind)) - exchange_value(PAWN) : 0;
    const int gain = captured + promotion - mover;
    if (gain >= threshold)
        return gain;
    if (captured + promotion + DELTA_MARGIN < threshold)
        return -1;
    return see(from, to);
}

} // namespace

int order_captures(Move* list, int n, int threshold) {
    if (n > MAX_LIST)
        n = MAX_LIST;
    for (int i = 0; i < n; ++i)
        capture_scores[i] = capture_score(list[i], threshold);
    // Stable: equal scores keep the generation order.
    for (int i = 1; i < n; ++i) {
        const Move m     = list[i];
        const int  score = capture_scores[i];
        int        j     = i;
        for (; j > 0 && capture_scores[j - 1] < score; --j) {
            list[j]           = list[j - 1];
            capture_scores[j] = capture_scores[j - 1];
        }
        list[j]           = m;
        capture_scores[j] = score;
    }
    int kept = 0;
    while (kept < n && capture_scores[kept] >= 0)
        ++kept;
    return kept;
}

int keep_captures(Move* list, int n) {
    int kept = 0;
    for (int i = 0; i < n; ++i)
        if (is_capture_or_promotion(list[i])) {
            if (i != kept)
                std::swap(list[i], list[kept]);
            ++kept;
        }
    return kept;
}
