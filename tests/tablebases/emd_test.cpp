// Compressed table files kept in data/ (a hand-made one, bytes that do not compress, literals
// whose code needs more than 16 bits; the krk tables are read back in tables_test.cpp), refused
// headers, codes and blocks, and random damage that must never crash the reader.
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <random>

#include "base/data_rows.h"
#include "solver.h"
#include "tablebases/emd.h"

namespace {

// Three blocks: i >> 10, i mod 3, then 16 bytes stored as they are.
const std::vector<uint8_t> FIXTURE = tb_test::hex_fixture("emd_fixture.hex");

tb::Temd_status parse(const std::vector<uint8_t>& file, tb::Temd_file& emd, uint32_t& length) {
    int bits = 0;
    return tb::parse_emd_header(file.data(), file.size(), file.size(), emd, length, bits);
}

// Every block of a parsed file expanded in turn; false at the first refusal.
bool expand_all(const tb::Temd_file& emd, const std::vector<uint8_t>& file, std::vector<int8_t>& out) {
    out.clear();
    std::vector<int8_t> block(tb::EMD_BLOCK + 64);
    for (uint32_t k = 0; k < emd.nb_blocks; ++k) {
        // The header has been accepted: its blocks lie in the file, none longer than a block.
        const uint32_t begin = emd.offsets[k], end = emd.offsets[k + 1];
        const uint32_t expected = k + 1 == emd.nb_blocks ? emd.last_size : tb::EMD_BLOCK;
        if (!tb::expand_block(emd, file.data() + begin, end - begin, block.data(), expected))
            return false;
        out.insert(out.end(), block.begin(), block.begin() + expected);
    }
    return true;
}

uint32_t be32(const std::vector<uint8_t>& v, size_t at) {
    return uint32_t(v[at]) << 24 | uint32_t(v[at + 1]) << 16 | uint32_t(v[at + 2]) << 8 | v[at + 3];
}

// Makes the header checksum right again after a test has changed header bytes.
void fix_header_checksum(std::vector<uint8_t>& file) {
    const uint32_t header = file.size() < 84 ? 0 : be32(file, 64);
    if (header < 84 || header > file.size())
        return;
    const uint32_t sum = tb::emd_checksum(file.data(), header - 4);
    for (uint32_t i = 0; i < 4; ++i)
        file[header - 4 + i] = uint8_t(sum >> (24 - 8 * i));
}

// The checksum is pinned by the header checksums of the files (a wrong sum refuses them all);
// the blocks' own sums in the header are never read.
TEST(EmdFiles, KnownFilesComeBackWhole) {
    // A hand-made file: i >> 10, then i mod 3, a block each (copies over distances of its own),
    // and 16 bytes stored as they are.
    std::vector<int8_t> made(16384);
    for (size_t i = 0; i < made.size(); ++i)
        made[i] = int8_t(i < 8192 ? i >> 10 : (i - 8192) % 3);
    for (int b :
         {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff, 0x7f})
        made.push_back(int8_t(b));
    // Bytes that do not compress: a whole block stored (size field 0), each byte 32 times in a
    // random order, and a short last one.
    std::mt19937        random(7);
    std::vector<int8_t> noise(8192 + 100);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = int8_t(i < 8192 ? i : random());
    for (size_t i = 8191; i > 0; --i)
        std::swap(noise[i], noise[random() % (i + 1)]);
    // Literals only, with Fibonacci counts: the deepest codes, past the decoder's first table.
    std::vector<int8_t> skewed;
    for (int symbol = 0, count = 1, before = 1; symbol < 19;
         ++symbol, count += before, before = count - before)
        skewed.insert(skewed.end(), size_t(count), int8_t(symbol * 7));

    for (auto [file_name, table] :
         {std::pair{"emd_fixture.hex", made}, {"noise.emd.hex", noise}, {"deep.emd.hex", skewed}}) {
        SCOPED_TRACE(file_name);
        const std::vector<uint8_t> bytes = tb_test::hex_fixture(file_name);
        tb::Temd_file              emd;
        uint32_t                   length = 0;
        ASSERT_EQ(parse(bytes, emd, length), tb::EMD_OK);
        EXPECT_EQ(length, table.size());
        std::vector<int8_t> out;
        ASSERT_TRUE(expand_all(emd, bytes, out));
        EXPECT_EQ(out, table);
        const uint16_t* by_length = emd.code->length_count;
        EXPECT_EQ(emd.offsets[1] - emd.offsets[0] == 8192, table == noise);
        EXPECT_EQ(std::any_of(by_length + 17, by_length + 32, [](uint16_t n) { return n > 0; }),
                  table == skewed);

        // The same through a file: the last block, and none past it.
        FILE* file = std::tmpfile();
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        tb::Temd_file from_file;
        int           bits = 0;
        ASSERT_EQ(tb::read_emd_header(file, from_file, length, bits), tb::EMD_OK);
        std::vector<uint8_t> work(tb::EMD_WORK_SIZE);
        std::vector<int8_t>  block(tb::EMD_BLOCK + 64);
        const uint32_t       last = emd.nb_blocks - 1;
        ASSERT_TRUE(tb::decode_block(from_file, file, last, block.data(), work.data()));
        EXPECT_EQ(std::memcmp(block.data(), table.data() + last * tb::EMD_BLOCK, emd.last_size), 0);
        EXPECT_FALSE(tb::decode_block(from_file, file, last + 1, block.data(), work.data()));
        std::fclose(file);
    }
}

TEST(EmdFiles, BrokenHeadersCodesAndBlocksAreRefused) {
    const std::vector<uint8_t> good = tb_test::hex_fixture("krk.nbb.emd.hex");
    tb::Temd_file              emd;
    uint32_t                   length = 0;
    ASSERT_EQ(parse(good, emd, length), tb::EMD_OK);
    const uint32_t header = be32(good, 64);

    for (const Trow& d : read_rows("tablebases/data/emd_damage.txt")) {
        const int            at   = d.number(0) < 0 ? int(header) + d.number(0) : d.number(0);
        std::vector<uint8_t> file = good;
        file[size_t(at)]          = uint8_t(d.number(1));
        if (d.number(2))
            fix_header_checksum(file);
        EXPECT_EQ(parse(file, emd, length), d.number(3)) << d.where << " " << d[4];
    }
    for (size_t size : {size_t(50), size_t(header - 1), good.size() - 1}) // a file cut short
        EXPECT_NE(parse(std::vector<uint8_t>(good.begin(), good.begin() + long(size)), emd, length),
                  tb::EMD_OK);

    // Codes: incomplete, over-full, a lone symbol of length 2 are refused; a lone symbol of
    // length 1 and a complete code reaching 31 bits are fine.
    auto builds = [](std::vector<std::pair<int, int>> lengths) {
        std::vector<uint8_t> all(tb::MAIN_SYMBOLS, 0);
        for (auto [symbol, len] : lengths)
            all[size_t(symbol)] = uint8_t(len);
        const auto code = std::make_unique<tb::Tcode>();
        return tb::build_code(*code, all.data(), tb::MAIN_SYMBOLS, 13);
    };
    EXPECT_FALSE(builds({{0, 1}, {5, 2}, {700, 3}}));
    EXPECT_FALSE(builds({{0, 1}, {5, 1}, {700, 1}}));
    EXPECT_FALSE(builds({{9, 2}}));
    EXPECT_TRUE(builds({{9, 1}}));
    std::vector<std::pair<int, int>> deep;
    for (int len = 1; len <= 31; ++len)
        deep.push_back({len * 30, len});
    deep.push_back({1000, 31});
    EXPECT_TRUE(builds(deep));

    // A coded block expanded to more or fewer bytes than its place holds.
    ASSERT_EQ(parse(FIXTURE, emd, length), tb::EMD_OK);
    std::vector<int8_t> out(9000);
    const uint8_t*      stored = FIXTURE.data() + emd.offsets[0];
    const uint32_t      size   = emd.offsets[1] - emd.offsets[0];
    ASSERT_LT(size, 8192u);
    EXPECT_TRUE(tb::expand_block(emd, stored, size, out.data(), 8192));
    EXPECT_FALSE(tb::expand_block(emd, stored, size, out.data(), 8000));
    EXPECT_FALSE(tb::expand_block(emd, stored, size, out.data(), 9000));
}

TEST(EmdFiles, RandomDamageNeverCrashesTheReader) {
    std::mt19937                            random(2024);
    const std::vector<std::vector<uint8_t>> samples  = {FIXTURE, tb_test::hex_fixture("krk.nbb.emd.hex")};
    int                                     accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> file  = samples[size_t(round) % samples.size()];
        const int            flips = 1 + int(random() % 8);
        for (int i = 0; i < flips; ++i)
            file[random() % file.size()] = uint8_t(random());
        if (round % 3 == 0)
            fix_header_checksum(file); // get past the checksum to the fields and codes
        if (round % 7 == 0)
            file.resize(random() % file.size());
        tb::Temd_file emd;
        uint32_t      length = 0;
        if (file.size() >= 68 && parse(file, emd, length) == tb::EMD_OK) {
            ++accepted;
            std::vector<int8_t> out;
            expand_all(emd, file, out); // damaged blocks: garbage streams through a real code
        }
    }
    EXPECT_GT(accepted, 0);
}

} // namespace
