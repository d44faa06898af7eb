// The transposition table's life: construction, clearing and ageing, and the store with its
// replacement rule.
#include "search/hash_table.h"

#include <cstring>
#include <new>

#include "base/config.h"
#include "base/console.h"
#include "board/board.h"
#include "board/boarddata.h"
#include "eval/hash_pawns.h"

const char* const BOUND_NAMES[5] = {"UNKNO", "NORMAL", "UPPER", "LOWER", "ERROR"};

Thash_stats hash_stats;

namespace {

constexpr uint64_t BYTES_PER_MB = uint64_t(1) << 20;

int32_t slot_count_for(int size_mb) {
    if (size_mb < 0)
        size_mb = 0;
    if (size_mb > MAX_SIZE_HT)
        size_mb = MAX_SIZE_HT;
    return int32_t(uint64_t(size_mb) * BYTES_PER_MB / sizeof(Thash_slot));
}

} // namespace

Thashtables::Thashtables(int size_mb) {
    nb = slot_count_for(size_mb);
    // One spare slot, so that the last index has a second slot too.
    slots.reset(new (std::nothrow) Thash_slot[size_t(nb) + 1]);
    if (!slots) {
        // The search goes on without the table, as with a size of 0.
        console.print(">Pb in Thashtables::Thashtables\n");
        console.print("No memory for %d MBytes of HashTables: searching without them\n", size_mb);
        return;
    }
    console.print(">Clearing HashTables\n");
    clear();
}

void Thashtables::clear() {
    if (slots)
        std::memset(static_cast<void*>(slots.get()), 0, (size_t(nb) + 1) * sizeof(Thash_slot));
    hash_stats.slots = nb_slots();
}

void Thashtables::mark_old() {
    if (!slots)
        return;
    for (int32_t i = 0; i <= nb; ++i)
        slots[i].age = AGE_OLD;
}

void Thashtables::prepare_for_search() {
    if (!config.in_game && !config.fritz_mode) {
        // A new problem: nothing of the previous one is worth keeping.
        console.print(">Clearing HashTables\n");
        clear();
        console.print(">Clearing HashPawns\n");
        hash_pawns.clear();
    } else if (!config.EFFACER_HT) {
        console.print(">Marking all HashTables as Old\n");
        mark_old();
    } else {
        console.print(">Clearing HashTables\n");
        clear();
    }
}

Thash_slot* Thashtables::probe_slot(uint64_t key) {
    if (!has_slots())
        return nullptr;
    Thash_slot* first = &slots[index_of(key)];
    if (first[0].holds(key))
        return &first[0];
    if (first[1].holds(key))
        return &first[1];
    return nullptr;
}

Thash_slot* Thashtables::find(uint64_t key) {
    Thash_slot* slot = probe_slot(key);
    if (slot && slot->age != AGE_FRESH)
        slot->age = AGE_OLD_HIT;
    return slot;
}

Thash_slot& Thashtables::fill(const Tboarddata& node, Move best_move) {
    const bool     searched = (node.second_flags & BOUND_MASK) != 0;
    const uint64_t key      = board_state.hash_key;
    scratch                 = Thash_slot{};
    scratch.age             = AGE_FRESH;
    scratch.flags           = searched ? node.second_flags : node.eval_flags;
    scratch.score           = searched ? node.second_score : node.eval_score;
    scratch.key_low         = uint32_t(key);
    scratch.key_high        = uint32_t(key >> 32);
    scratch.best_move       = best_move;
    scratch.depth           = node.depth;
    return scratch;
}

int Thashtables::store(const Thash_slot& entry) {
    // Results shallower than a ply (quiescence) are not worth a slot.
    if (!has_slots() || entry.depth < ONE_PLY)
        return 0;
    const uint64_t key    = uint64_t(entry.key_high) << 32 | entry.key_low;
    Thash_slot*    first  = &slots[index_of(key)];
    Thash_slot*    second = first + 1;
    Thash_slot*    target = first;
    // An old slot is taken in place of a fresh one whatever its depth: it belongs to a search
    // that is over.
    bool stale_target = false;
    if (!first->holds(key)) {
        if (second->holds(key) || second->empty() || second->depth < first->depth) {
            target = second;
        } else if (second->age == AGE_OLD && first->age == AGE_FRESH) {
            target       = second;
            stale_target = true;
        }
    }
    if (!target->empty() && entry.depth < target->depth && !stale_target)
        return 0;
    *target     = entry;
    target->age = AGE_FRESH;
    return 1;
}
