#include "eval/hash_pawns.h"

#include <new>
#include <string>

#include "base/config.h"
#include "base/console.h"

namespace {
// Largest power of two not above the request, at least 1.
int round_down_to_power_of_two(int mb) {
    int p = 1;
    while (p <= mb / 2)
        p *= 2;
    return p;
}
} // namespace

Thashpawns::Thashpawns(int size_mb) {
    const int requested = size_mb < 1 ? 1 : size_mb > MAX_SIZE_HP ? MAX_SIZE_HP : size_mb;
    const int p         = round_down_to_power_of_two(requested);
    if (p != requested) {
        console.print("Using %d MBytes for HashPawns instead of %d MBytes\n", p, requested);
        config.SIZE_HP = p;
        config.set("SIZE_HP", std::to_string(p).c_str());
    }
    nb = int32_t((uint64_t(p) << 20) / sizeof(Tpawn_entry));
    entries.reset(new (std::nothrow) Tpawn_entry[size_t(nb)]);
    if (!entries) {
        // The evaluation goes on without the table, computing every pawn structure afresh.
        console.print(">Pb in Thashpawns::Thashpawns\n");
        console.print("No memory for %d MBytes of HashPawns: evaluating without them\n", p);
        return;
    }
    used_mb = p;
    console.print(">Clearing HashPawns\n");
    clear();
}

void Thashpawns::clear() {
    for (int32_t i = 0; i < nb_entries(); ++i)
        entries[i].clear();
}

int32_t Thashpawns::index_of(uint64_t key) const {
    if (nb_entries() == 0)
        return 0;
    // The magnitude of the signed high half, taken in unsigned arithmetic so that the most
    // negative value has one too.
    const int32_t  high      = int32_t(uint32_t(key >> 32));
    const uint32_t magnitude = high < 0 ? 0u - uint32_t(high) : uint32_t(high);
    return int32_t(magnitude % uint32_t(nb));
}
