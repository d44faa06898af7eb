#include "tablebases/emd_code.h"

#include <cstring>
#include <memory>
#include <new>

namespace tb {

bool build_code(Tcode& code, const uint8_t* lengths, int symbols, int table_bits) {
    uint32_t count[MAX_CODE_LENGTH + 1] = {};
    int      used                       = 0;
    int      single                     = 0;
    for (int s = 0; s < symbols; ++s) {
        if (lengths[s] > MAX_CODE_LENGTH)
            return false;
        ++count[lengths[s]];
        if (lengths[s]) {
            ++used;
            single = s;
        }
    }
    code.table_bits   = table_bits;
    const int entries = 1 << table_bits;
    if (used <= 1) {
        // No code at all decodes symbol 0; one symbol is decoded without taking a bit.
        if (used == 1 && lengths[single] != 1)
            return false;
        const uint16_t entry = uint16_t(used ? single << 5 : 0);
        for (int i = 0; i < entries; ++i)
            code.table[i] = entry;
        std::memset(code.length_count, 0, sizeof code.length_count);
        return true;
    }

    // The code must fill the whole code space, no more, no less.
    uint64_t space = 0;
    for (int len = 1; len <= MAX_CODE_LENGTH; ++len)
        space += uint64_t(count[len]) << (MAX_CODE_LENGTH - len);
    if (space != uint64_t(1) << MAX_CODE_LENGTH)
        return false;

    // Canonical codes: shorter codes first, then by symbol.
    uint32_t next[MAX_CODE_LENGTH + 1];
    uint32_t value = 0, index = 0;
    for (int len = 1; len <= MAX_CODE_LENGTH; ++len) {
        value                  = (value + (len > 1 ? count[len - 1] : 0)) << 1;
        next[len]              = value;
        code.first_code[len]   = value;
        code.first_index[len]  = uint16_t(index);
        code.length_count[len] = uint16_t(count[len]);
        index += count[len];
    }
    uint32_t slot[MAX_CODE_LENGTH + 1];
    for (int len = 1; len <= MAX_CODE_LENGTH; ++len)
        slot[len] = code.first_index[len];
    for (int s = 0; s < symbols; ++s) {
        const int len = lengths[s];
        if (!len)
            continue;
        code.sorted[slot[len]++] = uint16_t(s);
        const uint32_t c         = next[len]++;
        if (len <= table_bits) {
            const uint32_t first = c << (table_bits - len), n = 1u << (table_bits - len);
            for (uint32_t i = 0; i < n; ++i)
                code.table[first + i] = uint16_t(s << 5 | len);
        } else {
            code.table[c >> (len - table_bits)] = LONG_CODE;
        }
    }
    return true;
}

int decode_long_symbol(const Tcode& code, Tbit_reader& in) {
    for (int len = code.table_bits + 1; len <= MAX_CODE_LENGTH; ++len) {
        const uint32_t offset = in.peek(len) - code.first_code[len];
        if (offset < code.length_count[len]) {
            in.skip(len);
            return code.sorted[code.first_index[len] + offset];
        }
    }
    return -1;
}

namespace {

// Up to 128 lengths: a field width, then each length in that width, a zero followed by a 4-bit
// count of further zeros.
bool read_short_lengths(Tbit_reader& in, uint8_t* lengths, int symbols) {
    const int width = int(in.get(5));
    for (int i = 0; i < symbols;) {
        const uint32_t len = in.get(width);
        if (len > MAX_CODE_LENGTH || in.overrun())
            return false;
        lengths[i++] = uint8_t(len);
        if (len == 0) {
            const int run = int(in.get(4));
            if (i + run > symbols)
                return false;
            std::memset(lengths + i, 0, size_t(run));
            i += run;
        }
    }
    return !in.overrun();
}

} // namespace

bool read_code_lengths(Tbit_reader& in, uint8_t* lengths, int symbols) {
    if (in.get(1)) { // empty code
        std::memset(lengths, 0, size_t(symbols));
        return !in.overrun();
    }
    if (symbols <= 128)
        return read_short_lengths(in, lengths, symbols);

    // Long descriptions are themselves coded: code A gives a length or a repeat, code B the
    // repeat's count.
    uint8_t small[128];
    if (!read_code_lengths(in, small, 128))
        return false;
    std::unique_ptr<Tcode> a(new (std::nothrow) Tcode), b(new (std::nothrow) Tcode);
    if (!a || !b || !build_code(*a, small, 64, 8) || !build_code(*b, small + 64, 64, 8))
        return false;
    for (int i = 0; i < symbols;) {
        const int sym = decode_symbol(*a, in);
        if (sym < 0)
            return false;
        if (sym < 32) {
            lengths[i++] = uint8_t(sym);
        } else {
            const int c = decode_symbol(*b, in);
            if (c < 0)
                return false;
            uint64_t count = uint64_t(c);
            if (c > 31) {
                const int k = c - 32;
                count       = (uint64_t(1) << k) + (k ? in.get(k) : 0) + 31;
            }
            if (uint64_t(i) + count + 2 > uint64_t(symbols))
                return false;
            std::memset(lengths + i, sym & 31, size_t(count + 2));
            i += int(count + 2);
        }
        if (in.overrun())
            return false;
    }
    return true;
}

} // namespace tb
