// Bits and prefix codes of compressed table files: a most-significant-bit-first reader that never
// looks past its bytes, canonical codes of up to 31 bits with a first-level lookup table, and the
// code-length description that precedes the blocks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tb {

class Tbit_reader {
  public:
    Tbit_reader(const uint8_t* bytes, size_t size) : data(bytes), size_bytes(size) {}

    // The next n bits (0..32) without taking them.
    uint32_t peek(int n) {
        if (count < n)
            fill();
        return n ? uint32_t(window >> (64 - n)) : 0;
    }
    void skip(int n) {
        window = n < 64 ? window << n : 0;
        count -= n;
        used += uint64_t(n);
    }
    uint32_t get(int n) {
        const uint32_t v = peek(n);
        skip(n);
        return v;
    }
    // Moves to the next byte boundary.
    void align() { skip(int((8 - used % 8) % 8)); }
    // More bits taken than the bytes hold: the stream is broken.
    bool     overrun() const { return used > 8 * uint64_t(size_bytes); }
    uint64_t bits_used() const { return used; }

  private:
    // Past the end the window fills with zeros; overrun() tells.
    void fill() {
        if (next + 8 <= size_bytes) {
            // Eight bytes at once; the bits of a byte not yet counted are written again, the same,
            // by the next fill.
            uint64_t v = 0;
            for (int i = 0; i < 8; ++i)
                v = v << 8 | data[next + size_t(i)];
            window |= v >> count;
            const int whole = (64 - count) / 8;
            next += size_t(whole);
            count += 8 * whole;
            return;
        }
        while (count <= 56) {
            const uint64_t byte = next < size_bytes ? data[next] : 0;
            window |= byte << (56 - count);
            ++next;
            count += 8;
        }
    }

    const uint8_t* data;
    size_t         size_bytes;
    size_t         next   = 0;
    uint64_t       window = 0; // left-aligned
    int            count  = 0; // valid bits in the window
    uint64_t       used   = 0;
};

constexpr int      MAX_CODE_LENGTH = 31;
constexpr int      MAIN_SYMBOLS    = 1024;
constexpr uint16_t LONG_CODE       = 0xFFFF; // first-level entry of a code longer than the table

struct Tcode {
    int      table_bits = 0;
    uint16_t table[1 << 13]; // symbol * 32 + length, or LONG_CODE
    // Canonical codes longer than the table, by length.
    uint32_t first_code[MAX_CODE_LENGTH + 1];
    uint16_t first_index[MAX_CODE_LENGTH + 1];
    uint16_t length_count[MAX_CODE_LENGTH + 1];
    uint16_t sorted[MAIN_SYMBOLS]; // symbols by (length, symbol)
};

// Builds the decoder of a code from its lengths (table_bits 13 for the main code, 8 for the
// description's codes). False when a length exceeds 31 or the code is neither complete, nor
// empty, nor a single symbol of length 1 (that one is decoded without taking any bit).
bool build_code(Tcode& code, const uint8_t* lengths, int symbols, int table_bits);

int decode_long_symbol(const Tcode& code, Tbit_reader& in);

// The next symbol, -1 when the bits match no code.
inline int decode_symbol(const Tcode& code, Tbit_reader& in) {
    const uint16_t entry = code.table[in.peek(code.table_bits)];
    if (entry == LONG_CODE)
        return decode_long_symbol(code, in);
    in.skip(entry & 31);
    return entry >> 5;
}

// Reads the description of `symbols` code lengths (at most 1024). False when it is inconsistent.
bool read_code_lengths(Tbit_reader& in, uint8_t* lengths, int symbols);

} // namespace tb
