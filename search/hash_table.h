// The transposition table: search results kept per position, two slots per index (the slot of
// the index and the next one, with a spare slot past the end), replacement by depth and age.
// Built once at start-up with its size in megabytes; it lives for the whole run.
#pragma once

#include <cstdint>
#include <memory>

#include "board/types.h"

struct Tboarddata;

// One slot, 24 bytes; the layout is also that of the learning file's entries. The learning file
// writes 1 into byte 1, the exact bound, so the flags byte comes second.
struct Thash_slot {
    uint8_t  age;   // AGE_FRESH, AGE_OLD or AGE_OLD_HIT
    uint8_t  flags; // the node's result flags: bound kind in bits 0-1, then the flag bits
    uint8_t  unused[2];
    int32_t  score;   // side to move's view
    uint32_t key_low; // both halves 0: the slot is empty
    uint32_t key_high;
    Move     best_move; // 0 when none
    int32_t  depth;     // remaining depth, 60 per ply

    bool empty() const { return key_low == 0 && key_high == 0; }
    bool holds(uint64_t key) const { return key_low == uint32_t(key) && key_high == uint32_t(key >> 32); }
};
static_assert(sizeof(Thash_slot) == 24, "transposition slots are 24 bytes");

constexpr uint8_t AGE_FRESH   = 0; // written since the last ageing
constexpr uint8_t AGE_OLD     = 1; // there at the last ageing, not found since
constexpr uint8_t AGE_OLD_HIT = 2; // there at the last ageing, found since

constexpr int DEFAULT_SIZE_HT = 8;

// Names of the bound kinds, then the error name.
extern const char* const BOUND_NAMES[5];

// Counters of the search statistics.
struct Thash_stats {
    uint64_t probes      = 0;
    uint64_t hits        = 0; // key found
    uint64_t refutations = 0; // cut-offs, counted by the search
    int32_t  slots       = 0; // set at construction and at every clearing

    // At the search start; the slot count stays as the last clearing left it.
    void reset() { probes = hits = refutations = 0; }
};
extern Thash_stats hash_stats;

class Thashtables {
  public:
    explicit Thashtables(int size_mb = DEFAULT_SIZE_HT);

    // A table whose allocation failed (or of size 0) has no slots; every operation then does
    // nothing.
    bool    has_slots() const { return nb > 0 && slots != nullptr; }
    int32_t nb_slots() const { return has_slots() ? nb : 0; }

    // All n + 1 slots emptied / aged.
    void clear();
    void mark_old();
    // At the start of every search: clear both tables outside a game, else age or clear this
    // one as EFFACER_HT says.
    void prepare_for_search();

    // The slot holding the key (slot of the index, then the next one); null when absent.
    Thash_slot* probe_slot(uint64_t key);
    // The same for a caller outside the search: an old slot found is marked as hit.
    Thash_slot* find(uint64_t key);

    // Fills the scratch entry from a node (its result, its depth, the current key).
    Thash_slot& fill(const Tboarddata& node, Move best_move);
    // Stores the scratch entry / a given entry; 1 when written, 0 when refused.
    int store() { return store(scratch); }
    int store(const Thash_slot& entry);

    Thash_slot& slot_at(int32_t index) { return slots[index]; }
    int32_t     index_of(uint64_t key) const { return int32_t(uint32_t(key) % uint32_t(nb)); }

  private:
    int32_t                       nb = 0;
    std::unique_ptr<Thash_slot[]> slots;
    Thash_slot                    scratch{};
};

extern Thashtables hash_tables;

// Probes for the current position (the node is the current record): 1 when the stored result
// decides the node, whose score and flags then come from the slot; on any key match the stored
// best move becomes the node's hash move.
int put_HT_evaluation(Tboarddata& node, int alpha, int beta);

// The key of the position reached by `move`, played by `side` from the position of `key`,
// without touching the board. Castling rights and the en-passant file are not in the key.
uint64_t key_after_move(Move move, uint64_t key, int side);

// The line of best moves stored from `slot` on, starting with `first` played by `side`; written
// to `line` (at most `max` moves), returns its length. Old slots met are marked as hit.
int hash_line(const Thash_slot& slot, int side, Move first, Move* line, int max);
// The same from the slot of a position key; 0 when the position is not in the table.
int hash_line_from_position(uint64_t key, int side, Move first, Move* line, int max);
