#include "tablebases/emd.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace tb {

// The line every compressed table file starts with, then 4 zero bytes.
const char EMD_SIGNATURE[64] = "Compressed by DATACOMP v 1.0 (c) 1991--1998 Andrew Kadatch\r\n\0\0\0";

namespace {

uint32_t big_endian(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

struct Tchecksum_table {
    uint32_t entry[256];
    Tchecksum_table() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? c >> 1 : (c >> 1) ^ 0xEDB88320u;
            entry[n] = c;
        }
    }
};

// Fields of the first 80 bytes; EMD_OK when they are what a readable file holds.
Temd_status check_fixed_fields(const uint8_t* header) {
    if (std::memcmp(header, EMD_SIGNATURE, 64) != 0)
        return EMD_READ_ERROR;
    const uint32_t length = big_endian(header + 64);
    if (length < 84 || header[70] > 16 || header[71] != EMD_DISTANCES
        || big_endian(header + 76) != EMD_FORMAT)
        return EMD_BROKEN;
    return EMD_OK;
}

uint64_t size_of_file(FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0)
        return 0;
    const long end = std::ftell(file);
    return end > 0 ? uint64_t(end) : 0;
}

} // namespace

uint32_t emd_checksum(const uint8_t* data, size_t size) {
    static const Tchecksum_table table;
    uint32_t                     c = 0;
    for (size_t i = 0; i < size; ++i)
        c = table.entry[(c ^ data[i]) & 255] ^ (c >> 8);
    return c;
}

Temd_status parse_emd_header(const uint8_t* header, size_t size, uint64_t file_size, Temd_file& out,
                             uint32_t& length, int& block_bits) {
    if (size < 84)
        return EMD_READ_ERROR;
    const Temd_status fixed = check_fixed_fields(header);
    if (fixed != EMD_OK)
        return fixed;
    const uint32_t header_size = big_endian(header + 64);
    if (header_size > size)
        return EMD_READ_ERROR;
    if (emd_checksum(header, header_size - 4) != big_endian(header + header_size - 4))
        return EMD_BROKEN;

    const int      bits   = header[70];
    const uint32_t blocks = big_endian(header + 72);
    const uint64_t stream = 80 + 8 * uint64_t(blocks);
    if (blocks == 0 || stream > header_size - 4)
        return EMD_BROKEN;
    out.nb_blocks = blocks;
    out.offsets.reset(new (std::nothrow) uint32_t[blocks + 1]);
    out.code.reset(new (std::nothrow) Tcode);
    if (!out.offsets || !out.code)
        return EMD_NO_MEMORY;

    // Stored sizes (0 = a whole block), the last block's expanded size, the copy distances,
    // then the main code's lengths from the next byte.
    Tbit_reader    in(header + stream, size_t(header_size - 4 - stream));
    const uint32_t block  = 1u << bits;
    uint64_t       offset = header_size;
    out.max_stored        = 0;
    for (uint32_t i = 0; i < blocks; ++i) {
        uint32_t stored = in.get(bits);
        if (stored == 0)
            stored = block;
        out.offsets[i] = uint32_t(offset);
        offset += stored;
        if (offset > 0xFFFFFFFFu)
            return EMD_BROKEN;
        if (stored + 32 > out.max_stored)
            out.max_stored = stored + 32;
    }
    out.offsets[blocks] = uint32_t(offset);
    out.last_size       = in.get(bits);
    if (out.last_size == 0)
        out.last_size = block;
    for (uint32_t& d : out.distances)
        d = in.get(bits);
    in.align();
    uint8_t lengths[MAIN_SYMBOLS];
    if (in.overrun() || !read_code_lengths(in, lengths, MAIN_SYMBOLS)
        || !build_code(*out.code, lengths, MAIN_SYMBOLS, 13))
        return EMD_BROKEN;

    block_bits = bits;
    if (block != EMD_BLOCK)
        return EMD_BLOCK_SIZE;
    // A file cut short would fail at play time; refuse it now like a plain file of the wrong length.
    if (offset > file_size)
        return EMD_BROKEN;
    const uint64_t expanded = uint64_t(blocks - 1) * EMD_BLOCK + out.last_size;
    if (expanded > 0xFFFFFFFFu)
        return EMD_BROKEN;
    length = uint32_t(expanded);
    return EMD_OK;
}

Temd_status read_emd_header(FILE* file, Temd_file& out, uint32_t& length, int& block_bits) {
    const uint64_t file_size = size_of_file(file);
    uint8_t        fixed[80];
    if (std::fseek(file, 0, SEEK_SET) != 0 || std::fread(fixed, 1, 80, file) != 80)
        return EMD_READ_ERROR;
    const Temd_status status = check_fixed_fields(fixed);
    if (status != EMD_OK)
        return status;
    const uint32_t header_size = big_endian(fixed + 64);
    if (header_size > file_size)
        return EMD_READ_ERROR;
    std::unique_ptr<uint8_t[]> header(new (std::nothrow) uint8_t[header_size]);
    if (!header)
        return EMD_NO_MEMORY;
    std::memcpy(header.get(), fixed, 80);
    if (std::fread(header.get() + 80, 1, header_size - 80, file) != header_size - 80)
        return EMD_READ_ERROR;
    return parse_emd_header(header.get(), header_size, file_size, out, length, block_bits);
}

std::unique_ptr<Temd_file> read_compressed_header(FILE* file, const char* name, uint32_t& length) {
    std::unique_ptr<Temd_file> emd(new (std::nothrow) Temd_file);
    int                        bits   = 0;
    const Temd_status          status = emd ? read_emd_header(file, *emd, length, bits) : EMD_NO_MEMORY;
    if (status == EMD_OK)
        return emd;
    // The registry's fatal errors go straight to standard output.
    if (status == EMD_BLOCK_SIZE) {
        std::printf("*** %s: Unsupported block size %d\n", name, 1 << bits);
    } else {
        std::printf("*** Unable to read %s - ", name);
        std::printf("%s", status == EMD_READ_ERROR ? "read error\n"
                          : status == EMD_BROKEN   ? "file broken\n"
                                                   : "out of memory\n");
    }
    std::exit(1);
}

bool expand_block(const Temd_file& emd, const uint8_t* stored, uint32_t size, int8_t* out,
                  uint32_t expected) {
    if (size == expected) {
        std::memcpy(out, stored, size);
        return true;
    }
    Tbit_reader  in(stored, size);
    const Tcode& code = *emd.code;
    uint32_t     done = 0;
    while (done < expected) {
        const int symbol = decode_symbol(code, in);
        if (symbol < 0)
            return false;
        if (symbol < 256) {
            out[done++] = int8_t(symbol);
            continue;
        }
        const int      m        = symbol - 256;
        const uint32_t distance = emd.distances[m >> 5];
        const int      c        = m & 31;
        uint32_t       length   = uint32_t(c) + 1;
        if (c > 14) {
            const int k = c - 14;
            length      = (1u << k) + in.get(k) + 14;
        }
        if (distance == 0 || distance > done || length > expected - done)
            return false;
        // Byte by byte: a copy that overlaps its source repeats the pattern.
        for (uint32_t i = 0; i < length; ++i, ++done)
            out[done] = out[done - distance];
        if (in.overrun())
            return false;
    }
    return !in.overrun();
}

bool decode_block(const Temd_file& emd, FILE* file, uint32_t block, int8_t* out, uint8_t* work) {
    if (block >= emd.nb_blocks)
        return false;
    const uint32_t expected = block == emd.nb_blocks - 1 ? emd.last_size : EMD_BLOCK;
    const uint32_t size     = emd.offsets[block + 1] - emd.offsets[block];
    if (size > EMD_WORK_SIZE)
        return false;
    if (std::fseek(file, long(emd.offsets[block]), SEEK_SET) != 0 || std::fread(work, 1, size, file) != size)
        return false;
    return expand_block(emd, work, size, out, expected);
}

} // namespace tb
