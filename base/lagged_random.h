// Additive lagged generator. Its seed is fixed: the hash keys it draws are stored in the book and
// learning files, so the draw sequence must never change.
#pragma once

#include <cstdint>

class Tlagged_random {
  public:
    Tlagged_random() { seed(); }

    void seed();

    uint32_t next32() {
        state[second] += state[first];
        uint32_t result = state[second];
        first           = first == 0 ? 54 : first - 1;
        second          = second == 0 ? 54 : second - 1;
        return result;
    }

    // Two steps: the first gives the high word, the second the low word.
    uint64_t next64() {
        uint64_t high = next32();
        uint64_t low  = next32();
        return high << 32 | low;
    }

  private:
    uint32_t state[55];
    int      first  = 23;
    int      second = 54;
};
