// The line of best moves that the transposition table holds from a position on: the principal
// variation of the reports and the predicted reply of pondering.
#include "search/hash_table.h"

namespace {

// Keys already met on the line: a cycle ends it.
bool seen_before(const uint64_t* keys, int count, uint64_t key) {
    for (int i = 0; i < count; ++i)
        if (keys[i] == key)
            return true;
    return false;
}

uint64_t key_of(const Thash_slot& slot) { return uint64_t(slot.key_high) << 32 | slot.key_low; }

} // namespace

int hash_line(const Thash_slot& start, int side, Move first, Move* line, int max) {
    // The line cannot be longer than `max` moves, nor visit more keys.
    constexpr int MAX_LINE = 128;
    uint64_t      keys[MAX_LINE];
    if (max > MAX_LINE)
        max = MAX_LINE;

    int               length = 0;
    const Thash_slot* slot   = &start;
    Move              move   = first;
    while (length < max && move_kind(move) != KIND_NONE) {
        line[length]       = move;
        const uint64_t key = key_of(*slot);
        if (seen_before(keys, length, key))
            return length + 1;
        keys[length++] = key;
        slot           = hash_tables.find(key_after_move(move, key, side));
        if (!slot)
            break;
        move = slot->best_move;
        side ^= 1;
    }
    return length;
}

int hash_line_from_position(uint64_t key, int side, Move first, Move* line, int max) {
    const Thash_slot* slot = hash_tables.find(key);
    return slot ? hash_line(*slot, side, first, line, max) : 0;
}
