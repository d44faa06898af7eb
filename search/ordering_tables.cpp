// The tables the search learns from during one search: killers, countermoves and history.
// They are static arrays, zero from the start, and cleared at every search start.
#include <cstring>
#include <utility>

#include "board/boarddata.h"
#include "search/ordering.h"

Tkiller_table quiet_killers;
Tkiller_table capture_killers;
Move          countermove_table[64][64];
int32_t       history_table[2][64][64];

namespace {

// Castling and the null move carry square 67 in both fields; they have no table entries.
bool has_squares(Move m) { return move_to(m) < 64 && move_from(m) < 64; }

} // namespace

void update_killers(Tkiller_table& table, Move move, int ply) {
    if (ply < 0 || ply >= KILLER_PLIES)
        return;
    Tkiller_slot& s = table.slot[ply];
    if (s.count < 2) {
        s.killer[s.count] = move;
        s.hits[s.count]   = 1;
        ++s.count;
        return;
    }
    if (move == s.killer[0]) {
        ++s.hits[0];
    } else if (move == s.killer[1]) {
        // The second killer takes the lead once it has been the better one more often.
        if (++s.hits[1] > s.hits[0]) {
            std::swap(s.killer[0], s.killer[1]);
            std::swap(s.hits[0], s.hits[1]);
        }
    } else {
        s.killer[1] = move;
        s.hits[1]   = 1;
    }
}

void record_countermove(const Tboarddata& node, Move best_move) {
    if (has_squares(node.move))
        countermove_table[move_from(node.move)][move_to(node.move)] = best_move;
}

void add_history(Color side, Move best_move, int amount) {
    if (has_squares(best_move))
        history_table[side][move_from(best_move)][move_to(best_move)] += amount;
}

int history_of(Color side, Move move) {
    return has_squares(move) ? history_table[side][move_from(move)][move_to(move)] : 0;
}

void clear_ordering_tables() {
    std::memset(&quiet_killers, 0, sizeof quiet_killers);
    std::memset(&capture_killers, 0, sizeof capture_killers);
    std::memset(countermove_table, 0, sizeof countermove_table);
    std::memset(history_table, 0, sizeof history_table);
}
