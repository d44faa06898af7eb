// Compressed table files (".emd"): the header read when a table is registered, and the expansion
// of one 8 KB block when the probe cache misses.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "tablebases/emd_code.h"

namespace tb {

constexpr int      EMD_BLOCK_BITS = 13;
constexpr uint32_t EMD_BLOCK      = 1u << EMD_BLOCK_BITS;
constexpr int      EMD_DISTANCES  = 24;
constexpr uint32_t EMD_FORMAT     = 0x004001F5; // 1024 symbols, long lengths from 15, 5 length bits
// Room for a block's stored bytes and the decoder's state.
constexpr size_t  EMD_WORK_SIZE = 8256;
extern const char EMD_SIGNATURE[64];

// What the reader keeps of one compressed file.
struct Temd_file {
    uint32_t                    nb_blocks  = 0;
    uint32_t                    last_size  = 0; // expanded size of the last block
    uint32_t                    max_stored = 0; // largest stored block + 32
    std::unique_ptr<uint32_t[]> offsets;        // nb_blocks + 1 file offsets
    uint32_t                    distances[EMD_DISTANCES] = {};
    std::unique_ptr<Tcode>      code;
};

enum Temd_status { EMD_OK, EMD_READ_ERROR, EMD_BROKEN, EMD_NO_MEMORY, EMD_BLOCK_SIZE };

// The files' own checksum (not CRC-32: the polynomial goes with even values).
uint32_t emd_checksum(const uint8_t* data, size_t size);

// Parses a whole header held in memory. `file_size` bounds the blocks; `length` receives the
// expanded table length and `block_bits` the block-size exponent.
Temd_status parse_emd_header(const uint8_t* header, size_t size, uint64_t file_size, Temd_file& out,
                             uint32_t& length, int& block_bits);
// Reads and parses the header of an open file.
Temd_status read_emd_header(FILE* file, Temd_file& out, uint32_t& length, int& block_bits);

// As read_emd_header, but a file that cannot be used stops the program with its message.
std::unique_ptr<Temd_file> read_compressed_header(FILE* file, const char* name, uint32_t& length);

// Expands one block's stored bytes into exactly `expected` bytes; false when they do not.
bool expand_block(const Temd_file& emd, const uint8_t* stored, uint32_t size, int8_t* out, uint32_t expected);
// Reads block `block` from the file through `work` (EMD_WORK_SIZE bytes) and expands it.
bool decode_block(const Temd_file& emd, FILE* file, uint32_t block, int8_t* out, uint8_t* work);

} // namespace tb
