// Repetitions on the search line and in the game, and the contempt rules of the draw score:
// a draw is welcome when our clock runs low, and worth a little less than nothing against a
// much weaker known opponent.
#include "search/draws.h"

#include <algorithm>

#include "base/config.h"
#include "search/search.h"

namespace {

constexpr int SHORT_OF_TIME       = 2000; // centiseconds
constexpr int SHORT_OF_TIME_BLIND = 4000; // ... when the opponent's clock is not known
constexpr int OUT_OF_TIME_BLIND   = 1000;
constexpr int DRAW_WHEN_SHORT     = 100;
constexpr int DRAW_WHEN_OUT       = 300;

constexpr int MIN_RATING         = 1000;
constexpr int MAX_RATING         = 4000;
constexpr int RATING_GAP         = 601;
constexpr int DRAW_VS_WEAKER     = -20;
constexpr int FEW_PIECES_ENDGAME = 4; // knights, bishops, rooks and queens of both sides
constexpr int ENDGAME_PHASE      = 2;

bool plausible_rating(int r) { return r >= MIN_RATING && r <= MAX_RATING; }

void mark_draw(Tboarddata& node) {
    draw_score(node);
    node.eval_flags = BOUND_EXACT | FLAG_DRAW_RULE;
}

// How far back the line may be compared with the node, at most `limit` plies: a position after
// a null move repeats nothing before it, so the walk stops at the nearest one.
int plies_since_null_move(const Tboarddata& node, int limit) {
    const Tboarddata* record = &node;
    int               back   = 0;
    for (; back < limit && move_kind(record->move) != KIND_NULL; ++back)
        record = record->parent;
    return back;
}

// An earlier position of the same side to move on the line, within `reach` plies.
bool repeats_on_line(int reach) {
    const Tboard& b = board_state;
    for (int back = 2; back <= reach; back += 2)
        if (b.key_history[b.game_ply + b.ply - back] == b.hash_key)
            return true;
    return false;
}

// The game before the root: one earlier occurrence below the root, two at the root itself.
bool repeats_in_game(const Tboarddata& node) {
    const Tboard& b      = board_state;
    const int     needed = b.ply > 0 ? 1 : 2;
    int           found  = 0;
    int           index  = b.game_ply - (b.ply % 2 == 0 ? 2 : 1);
    for (int h = node.halfmove_clock; index >= 0 && h >= 0; h -= 2, index -= 2)
        if (b.key_history[index] == b.hash_key && ++found >= needed)
            return true;
    return false;
}

} // namespace

bool check_repetition(Tboarddata& node) {
    const int ply      = board_state.ply;
    const int in_clock = std::min(ply, node.halfmove_clock);
    // The game before the root is reached only through a line without a null move, and only
    // when no capture or pawn move stands on the line (then the walk goes on to the root).
    const int  since_null = plies_since_null_move(node, in_clock);
    const bool repeated =
        repeats_on_line(since_null) || (config.in_game && since_null == ply && repeats_in_game(node));
    if (repeated)
        mark_draw(node);
    return repeated;
}

int contempt_draw_score(const Tboarddata& node) {
    if (!config.in_game || config.analyze_mode)
        return 0;
    int        d         = config.DRAW_SCORE;
    const int  t         = config.time_left;
    const int  o         = config.otim_left;
    const bool o_unknown = o < 0 || o > t;
    // The clock rules guard a clock that runs down: a time or a depth fixed per move has none.
    const bool clock_runs = !config.fixed_per_move;
    if (clock_runs && t < SHORT_OF_TIME && d < DRAW_WHEN_SHORT)
        d = DRAW_WHEN_SHORT;
    if (clock_runs && t < SHORT_OF_TIME_BLIND && o_unknown && d < DRAW_WHEN_SHORT)
        d = DRAW_WHEN_SHORT;
    if (clock_runs && t < OUT_OF_TIME_BLIND && o_unknown && d < DRAW_WHEN_OUT)
        return DRAW_WHEN_OUT;
    if (d == 0 && !config.opponent_name.empty()) {
        // "rating" gives the engine's own rating first, whichever colour it plays.
        const int us   = search.ratings[0];
        const int them = search.ratings[1];
        if (plausible_rating(us) && plausible_rating(them) && us - them >= RATING_GAP)
            d = DRAW_VS_WEAKER;
    }
    // Refusing a draw makes no sense when nothing is left to play with.
    const Tboard& b = board_state;
    if (d < 0 && node.phase == ENDGAME_PHASE && b.nb_pieces[WHITE] + b.nb_pieces[BLACK] < FEW_PIECES_ENDGAME)
        d = 0;
    return d;
}

void draw_score(Tboarddata& node) {
    const int d     = contempt_draw_score(node);
    node.eval_score = board_state.ply % 2 ? -d : d;
}
