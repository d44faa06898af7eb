// The pawn hash table: one entry per index, no second slot, indexed by the high half of the
// pawn key. Built once at start-up with its size in megabytes, rounded down to a power of two.
#pragma once

#include <cstdint>
#include <memory>

#include "eval/pawn_entry.h"

constexpr int DEFAULT_SIZE_HP = 2;

class Thashpawns {
  public:
    explicit Thashpawns(int size_mb = DEFAULT_SIZE_HP);

    // The megabytes actually used (the power of two not above the request, at least 1);
    // 0 when the allocation failed.
    int     size_mb() const { return used_mb; }
    int32_t nb_entries() const { return entries ? nb : 0; }

    void clear();

    // The slot of a pawn key; null when the table has no entries.
    Tpawn_entry* slot(uint64_t key) { return entries ? &entries[index_of(key)] : nullptr; }
    int32_t      index_of(uint64_t key) const;

  private:
    int32_t                        nb      = 0;
    int                            used_mb = 0;
    std::unique_ptr<Tpawn_entry[]> entries;
};

extern Thashpawns hash_pawns;
