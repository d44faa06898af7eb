// The time of a move: the target that the clock, the level and the increment give, and the most
// the move may take so that the clock lasts until it is refilled, whatever the search does.
#include <algorithm>

#include "base/config.h"
#include "interface/game.h"
#include "interface/play.h"
#include "interface/xboard_v2.h"

namespace {

constexpr double MOVE_FLOOR = 0.2; // seconds: the least a move is given when the clock allows it
// What the clock must keep besides the search: the interface's own share of every move (pipes,
// scheduling, the engine's work around the search), and a last reserve.
constexpr double MOVE_OVERHEAD      = 0.01;
constexpr double LAST_RESERVE       = 0.03;
constexpr double LEAST_TIME         = 0.001; // never 0, which would mean no limit at all
constexpr double FIXED_TIME_RESERVE = 0.05;  // kept back from a fixed time per move

} // namespace

Ttime_budget Tplay::time_budget(int moves_given) {
    if (config.analyze_mode)
        return 0;
    if (const Ttime_budget fixed = fixed_move_budget(); fixed.target > 0)
        return fixed;
    // In 64 bits and doubles: the interface may send any number.
    const long long moves_played = game.played_plies() / 2;
    long long       moves_to_go;
    if (moves_given > 0)
        moves_to_go = moves_given + 2LL; // the same reserve as under a level
    else if (config.level_moves < 1)
        moves_to_go = moves_played <= 40 ? 40 : 30;
    else
        moves_to_go = config.level_moves - moves_played % config.level_moves + 2;
    const double time_left = config.time_left;
    double       seconds   = time_left / (double(moves_to_go) * 100.0);
    const double increment = config.level_increment;
    if (increment >= 1 && time_left >= 10 * increment)
        seconds += increment - 1;
    else if (increment > 0 && increment < 1 && time_left >= 10 * increment)
        seconds += increment / 2; // a fraction of a second: half of it, the other half in reserve
    if (time_left < 0)
        return std::max(seconds, MOVE_FLOOR); // no clock given: the floor, and no limit

    // The moves to play before the clock is refilled, if ever (without a level, those of the
    // rule above: the game may last longer, and the reserve stays for it).
    const bool      refilled = moves_given > 0 || config.level_moves >= 1;
    const long long moves    = refilled ? moves_to_go - 2 : moves_to_go;
    const double    clock    = time_left / 100.0;
    const double    usable   = clock - std::min(clock / 2, LAST_RESERVE + MOVE_OVERHEAD * double(moves));
    // Twice the even share of every move at most, however the search goes: that leaves a share
    // for the last move. The increment comes back after each move, less its overhead.
    const double share = usable / double(moves + 2);
    const double gain  = std::max(0.0, increment - MOVE_OVERHEAD);
    const double limit = std::max(LEAST_TIME, std::min(usable, 2 * share + gain));
    // The floor only where the clock can afford it.
    seconds = std::max(seconds, std::min(MOVE_FLOOR, share + gain));
    return {std::clamp(seconds, LEAST_TIME, limit), limit};
}

Ttime_budget fixed_time_budget(double seconds) {
    // The search stops at the last look at the clock before its most: what is kept back is the
    // engine's work around the search and the interface's share.
    const double most = std::max(LEAST_TIME, seconds - std::min(FIXED_TIME_RESERVE, seconds / 20));
    return {most, most};
}
