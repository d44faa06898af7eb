#include "emd_encoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <queue>

#include "tablebases/emd.h"

namespace tb_test {
namespace {

constexpr uint32_t BLOCK                        = 8192;
constexpr uint32_t DISTANCES[tb::EMD_DISTANCES] = {1,  2,  3,  4,  5,  6,  7,  8,   10,  12,  14,   16,
                                                   24, 32, 48, 61, 62, 64, 96, 128, 256, 512, 1024, 4096};

struct Tbit_writer {
    std::vector<uint8_t> bytes;
    size_t               used = 0;
    void                 put(uint32_t value, int bits) {
                        for (int i = bits - 1; i >= 0; --i, ++used) {
                            if (used % 8 == 0)
                bytes.push_back(0);
            bytes.back() |= uint8_t(((value >> i) & 1) << (7 - used % 8));
        }
    }
};

// Huffman lengths limited to `limit` bits by flattening the counts until they fit; one used
// symbol gets length 1 (decoded without bits).
std::vector<uint8_t> code_lengths(std::vector<uint64_t> freq, int limit) {
    const size_t         n = freq.size();
    std::vector<uint8_t> lengths(n, 0);
    if (size_t(std::count(freq.begin(), freq.end(), 0)) + 1 >= n) {
        for (size_t i = 0; i < n; ++i)
            lengths[i] = freq[i] ? 1 : 0;
        return lengths;
    }
    for (;;) {
        using Tnode = std::pair<uint64_t, int>;
        std::priority_queue<Tnode, std::vector<Tnode>, std::greater<>> queue;
        std::vector<int>                                               parent(2 * n, -1);
        for (size_t i = 0; i < n; ++i)
            if (freq[i])
                queue.push({freq[i], int(i)});
        for (int next = int(n); queue.size() > 1; ++next) {
            const Tnode a = queue.top();
            queue.pop();
            const Tnode b = queue.top();
            queue.pop();
            parent[size_t(a.second)] = parent[size_t(b.second)] = next;
            queue.push({a.first + b.first, next});
        }
        for (size_t i = 0; i < n; ++i)
            for (int x = int(i), depth = lengths[i] = 0; freq[i] && parent[size_t(x)] >= 0;
                 x = parent[size_t(x)])
                lengths[i] = uint8_t(++depth);
        if (*std::max_element(lengths.begin(), lengths.end()) <= limit)
            return lengths;
        for (uint64_t& f : freq)
            if (f)
                f = f / 2 + 1;
    }
}

struct Tcodes {
    std::vector<uint8_t>  length;
    std::vector<uint32_t> value;
    bool                  silent = false; // one symbol: no bits at all

    // Canonical: shorter codes first, then by symbol.
    explicit Tcodes(const std::vector<uint8_t>& lengths) : length(lengths), value(lengths.size(), 0) {
        uint32_t code = 0;
        silent        = lengths.size() - size_t(std::count(lengths.begin(), lengths.end(), 0)) == 1;
        for (int l = 1; l <= 32; ++l, code <<= 1)
            for (size_t s = 0; s < lengths.size(); ++s)
                if (lengths[s] == l)
                    value[s] = code++;
    }
    void put(Tbit_writer& out, int symbol) const {
        if (!silent)
            out.put(value[size_t(symbol)], length[size_t(symbol)]);
    }
};

// A block as symbols: literal bytes, copies (symbol, extra bits, their count).
struct Ttoken {
    int      symbol;
    uint32_t extra;
    int      extra_bits;
};

std::vector<Ttoken> parse(const uint8_t* data, uint32_t size, bool copies) {
    std::vector<Ttoken> tokens;
    for (uint32_t pos = 0; pos < size;) {
        uint32_t best = 0;
        int      slot = 0;
        for (int j = 0; copies && j < tb::EMD_DISTANCES; ++j) {
            const uint32_t d = DISTANCES[j];
            if (d > pos)
                continue;
            uint32_t len = 0;
            while (pos + len < size && data[pos + len] == data[pos + len - d])
                ++len;
            if (len > best) {
                best = len;
                slot = j;
            }
        }
        if (best < 3) {
            tokens.push_back({data[pos++], 0, 0});
            continue;
        }
        // Lengths 3-15 alone, longer ones as a power of two above 14 plus extra bits.
        const int k = best > 15 ? int(std::bit_width(best - 14)) - 1 : 0;
        tokens.push_back({256 + slot * 32 + (best > 15 ? 14 + k : int(best) - 1),
                          best > 15 ? best - 14 - (1u << k) : 0, k});
        pos += best;
    }
    return tokens;
}

void put_short_lengths(Tbit_writer& out, const std::vector<uint8_t>& lengths) {
    out.put(0, 1);
    const int width = int(std::bit_width(unsigned(*std::max_element(lengths.begin(), lengths.end()))));
    out.put(uint32_t(width), 5);
    for (size_t i = 0; i < lengths.size();) {
        out.put(lengths[i], width);
        if (lengths[i++])
            continue;
        uint32_t run = 0;
        while (run < 15 && i + run < lengths.size() && lengths[i + run] == 0)
            ++run;
        out.put(run, 4);
        i += run;
    }
}

// The main code's 1024 lengths: literal lengths and repeats, themselves coded by codes A and B.
void put_main_lengths(Tbit_writer& out, const std::vector<uint8_t>& lengths) {
    struct Titem {
        int      a, b;
        uint32_t extra;
        int      extra_bits;
    };
    std::vector<Titem> items;
    for (size_t i = 0; i < lengths.size();) {
        size_t run = 1;
        while (i + run < lengths.size() && lengths[i + run] == lengths[i])
            ++run;
        if (run < 3) {
            for (size_t j = 0; j < run; ++j)
                items.push_back({lengths[i], -1, 0, 0});
        } else {
            const uint32_t count = uint32_t(run - 2);
            const int      k     = count > 31 ? int(std::bit_width(count - 31)) - 1 : 0;
            items.push_back({32 + lengths[i], count > 31 ? 32 + k : int(count),
                             count > 31 ? count - 31 - (1u << k) : 0, k});
        }
        i += run;
    }
    std::vector<uint64_t> fa(64, 0), fb(64, 0);
    for (const Titem& it : items) {
        ++fa[size_t(it.a)];
        if (it.b >= 0)
            ++fb[size_t(it.b)];
    }
    const std::vector<uint8_t> la = code_lengths(fa, 15), lb = code_lengths(fb, 15);
    std::vector<uint8_t>       both = la;
    both.insert(both.end(), lb.begin(), lb.end());
    out.put(0, 1);
    put_short_lengths(out, both);
    const Tcodes a(la), b(lb);
    for (const Titem& it : items) {
        a.put(out, it.a);
        if (it.b >= 0) {
            b.put(out, it.b);
            out.put(it.extra, it.extra_bits);
        }
    }
}

void put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v[at + size_t(i)] = uint8_t(x >> (24 - 8 * i));
}

} // namespace

std::vector<uint8_t> emd_encode(const std::vector<int8_t>& table, const Temd_options& options, int* longest) {
    const uint8_t* data   = reinterpret_cast<const uint8_t*>(table.data());
    const uint32_t size   = uint32_t(table.size());
    const uint32_t blocks = (size + BLOCK - 1) / BLOCK;

    std::vector<std::vector<Ttoken>> parsed;
    std::vector<uint64_t>            freq(tb::MAIN_SYMBOLS, 0);
    for (uint32_t b = 0; b < blocks; ++b) {
        parsed.push_back(parse(data + b * BLOCK, std::min(BLOCK, size - b * BLOCK), options.copies));
        for (const Ttoken& t : parsed.back())
            ++freq[size_t(t.symbol)];
    }
    const std::vector<uint8_t> lengths = code_lengths(freq, options.max_code_length);
    if (longest)
        *longest = *std::max_element(lengths.begin(), lengths.end());
    const Tcodes code(lengths);

    std::vector<std::vector<uint8_t>> stored;
    for (uint32_t b = 0; b < blocks; ++b) {
        const uint32_t expected = std::min(BLOCK, size - b * BLOCK);
        Tbit_writer    out;
        for (const Ttoken& t : parsed[b]) {
            code.put(out, t.symbol);
            out.put(t.extra, t.extra_bits);
        }
        // Never as long as the block itself: that size means "stored" (and 0 a whole block).
        if (out.bytes.empty())
            out.bytes.push_back(0);
        if (out.bytes.size() >= expected)
            stored.emplace_back(data + b * BLOCK, data + b * BLOCK + expected);
        else
            stored.push_back(out.bytes);
    }

    Tbit_writer fields;
    for (uint32_t b = 0; b < blocks; ++b)
        fields.put(uint32_t(stored[b].size() % BLOCK), tb::EMD_BLOCK_BITS);
    fields.put((size - (blocks - 1) * BLOCK) % BLOCK, tb::EMD_BLOCK_BITS);
    for (uint32_t d : DISTANCES)
        fields.put(d, tb::EMD_BLOCK_BITS);
    fields.used = fields.bytes.size() * 8;
    put_main_lengths(fields, options.described_lengths.empty() ? lengths : options.described_lengths);

    const size_t         header = 80 + 8 * size_t(blocks) + fields.bytes.size() + 4;
    std::vector<uint8_t> file(header, 0);
    std::memcpy(file.data(), tb::EMD_SIGNATURE, 64);
    put32(file, 64, uint32_t(header));
    file[70] = tb::EMD_BLOCK_BITS;
    file[71] = tb::EMD_DISTANCES;
    put32(file, 72, blocks);
    put32(file, 76, tb::EMD_FORMAT);
    for (uint32_t b = 0; b < blocks; ++b) {
        const uint32_t expected = std::min(BLOCK, size - b * BLOCK);
        put32(file, 80 + 8 * b, tb::emd_checksum(data + b * BLOCK, expected));
        put32(file, 84 + 8 * b, tb::emd_checksum(stored[b].data(), stored[b].size()));
    }
    std::memcpy(file.data() + 80 + 8 * blocks, fields.bytes.data(), fields.bytes.size());
    emd_fix_header_checksum(file);
    for (const auto& s : stored)
        file.insert(file.end(), s.begin(), s.end());
    return file;
}

void emd_fix_header_checksum(std::vector<uint8_t>& file) {
    if (file.size() < 84)
        return;
    const uint32_t header =
        uint32_t(file[64]) << 24 | uint32_t(file[65]) << 16 | uint32_t(file[66]) << 8 | file[67];
    if (header >= 84 && header <= file.size())
        put32(file, header - 4, tb::emd_checksum(file.data(), header - 4));
}

} // namespace tb_test
