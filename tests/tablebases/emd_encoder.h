// A test-side writer of compressed table files: greedy copies over a fixed set of distances, one
// length-limited canonical code for the whole file, 8 KB blocks stored raw when coding does not
// make them smaller.
#pragma once

#include <cstdint>
#include <vector>

namespace tb_test {

struct Temd_options {
    int  max_code_length = 16;
    bool copies          = true; // false: literals only
    // When given, the header describes these 1024 lengths instead of the code used.
    std::vector<uint8_t> described_lengths;
};

// The compressed file of a table. `longest` receives the longest main code used.
std::vector<uint8_t> emd_encode(const std::vector<int8_t>& table, const Temd_options& options = {},
                                int* longest = nullptr);

// Recomputes the header checksum after a test has changed header bytes.
void emd_fix_header_checksum(std::vector<uint8_t>& file);

} // namespace tb_test
