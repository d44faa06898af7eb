// Compressed table files: a known-good file, round trips through the test encoder (codes up to
// 31 bits, stored blocks, short last blocks), refused headers and blocks, and random damage that
// must never crash the reader.
#include <cstring>
#include <gtest/gtest.h>
#include <random>

#include "base/data_rows.h"
#include "emd_encoder.h"
#include "interface/engine_process.h"
#include "solver.h"
#include "tablebases/emd.h"

namespace {

using tb::Temd_file;

std::vector<uint8_t> from_hex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// Three blocks: i >> 10, i mod 3, then 16 bytes stored as they are.
const std::vector<uint8_t> FIXTURE =
    from_hex(read_file(std::string(BRELOK_SOURCE_DIR) + "/tests/tablebases/data/emd_fixture.hex"));

tb::Temd_status parse(const std::vector<uint8_t>& file, Temd_file& emd, uint32_t& length) {
    int bits = 0;
    return tb::parse_emd_header(file.data(), file.size(), file.size(), emd, length, bits);
}

// Every block of a parsed file expanded in turn; false at the first refusal.
bool expand_all(const Temd_file& emd, const std::vector<uint8_t>& file, std::vector<int8_t>& out) {
    out.clear();
    std::vector<int8_t> block(tb::EMD_BLOCK + 64);
    for (uint32_t k = 0; k < emd.nb_blocks; ++k) {
        const uint32_t begin = emd.offsets[k], end = emd.offsets[k + 1];
        if (end > file.size() || end < begin || end - begin > tb::EMD_BLOCK)
            return false;
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

TEST(EmdFiles, ChecksumAndAKnownGoodFile) {
    const char* digits = "123456789";
    EXPECT_EQ(tb::emd_checksum(reinterpret_cast<const uint8_t*>(digits), 9), 0x20D421B6u);
    for (auto [byte, sum] : {std::pair{0, 0x2D02EF8Du}, {1, 0x5A05DF1Bu}, {255, 0u}}) {
        const uint8_t b = uint8_t(byte);
        EXPECT_EQ(tb::emd_checksum(&b, 1), sum);
    }

    Temd_file emd;
    uint32_t  length = 0;
    ASSERT_EQ(parse(FIXTURE, emd, length), tb::EMD_OK);
    EXPECT_EQ(length, 16400u);
    EXPECT_EQ(emd.nb_blocks, 3u);
    EXPECT_EQ(emd.last_size, 16u);
    EXPECT_EQ(emd.distances[0], 1u);
    for (int j = 1; j < tb::EMD_DISTANCES; ++j)
        EXPECT_EQ(emd.distances[j], uint32_t(j + 2));
    std::vector<int8_t> out;
    ASSERT_TRUE(expand_all(emd, FIXTURE, out));
    ASSERT_EQ(out.size(), 16400u);
    for (uint32_t i = 0; i < 8192; ++i) {
        ASSERT_EQ(out[i], int8_t(i >> 10)) << i;
        ASSERT_EQ(out[8192 + i], int8_t(i % 3)) << i;
    }
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 16384, out.end()),
              from_hex("112233445566778899aabbccddeeff7f"));
    // The header's checksums of each block, expanded then stored, agree with ours.
    for (uint32_t k = 0; k < 3; ++k) {
        const uint32_t size = k < 2 ? 8192 : 16;
        EXPECT_EQ(be32(FIXTURE, 80 + 8 * k),
                  tb::emd_checksum(reinterpret_cast<uint8_t*>(out.data()) + 8192 * k, size));
        EXPECT_EQ(be32(FIXTURE, 84 + 8 * k),
                  tb::emd_checksum(FIXTURE.data() + emd.offsets[k], emd.offsets[k + 1] - emd.offsets[k]));
    }

    // The same through a file, block by block.
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fwrite(FIXTURE.data(), 1, FIXTURE.size(), file);
    Temd_file from_file;
    int       bits = 0;
    ASSERT_EQ(tb::read_emd_header(file, from_file, length, bits), tb::EMD_OK);
    std::vector<uint8_t> work(tb::EMD_WORK_SIZE);
    std::vector<int8_t>  block(tb::EMD_BLOCK + 64);
    ASSERT_TRUE(tb::decode_block(from_file, file, 2, block.data(), work.data()));
    EXPECT_EQ(std::memcmp(block.data(), out.data() + 16384, 16), 0);
    ASSERT_TRUE(tb::decode_block(from_file, file, 1, block.data(), work.data()));
    EXPECT_EQ(std::memcmp(block.data(), out.data() + 8192, 8192), 0);
    EXPECT_FALSE(tb::decode_block(from_file, file, 3, block.data(), work.data()));
    std::fclose(file);
}

TEST(EmdFiles, EncodedTablesComeBackWhole) {
    // A real table (copies, a short last block), bytes that do not compress (stored blocks), and
    // skewed literals whose code needs more than 16 bits.
    std::mt19937        random(7);
    std::vector<int8_t> noise(3 * 8192 + 100);
    for (int8_t& b : noise)
        b = int8_t(random());
    std::vector<int8_t> skewed; // Fibonacci counts make the deepest codes
    for (int symbol = 0, count = 1, before = 1; symbol < 24;
         ++symbol, count += before, before = count - before)
        skewed.insert(skewed.end(), size_t(count), int8_t(symbol * 7));
    std::shuffle(skewed.begin(), skewed.end(), random);

    tb_test::Temd_options deep;
    deep.max_code_length = 31;
    deep.copies          = false;
    for (auto [table, options] : {std::pair{tb_test::make_table("kqk", 0), tb_test::Temd_options{}},
                                  {noise, tb_test::Temd_options{}},
                                  {skewed, deep}}) {
        int                        longest = 0;
        const std::vector<uint8_t> file    = tb_test::emd_encode(table, options, &longest);
        Temd_file                  emd;
        uint32_t                   length = 0;
        ASSERT_EQ(parse(file, emd, length), tb::EMD_OK);
        EXPECT_EQ(length, table.size());
        std::vector<int8_t> out;
        ASSERT_TRUE(expand_all(emd, file, out));
        EXPECT_EQ(out, table);
        if (options.max_code_length == 31) {
            EXPECT_GT(longest, 16);
        }
    }
}

TEST(EmdFiles, BrokenHeadersAndBlocksAreRefused) {
    const std::vector<uint8_t> good = tb_test::emd_encode(tb_test::make_table("krk", 1));
    Temd_file                  emd;
    uint32_t                   length = 0;
    ASSERT_EQ(parse(good, emd, length), tb::EMD_OK);
    const uint32_t header = be32(good, 64);

    for (const Trow& d : read_rows("tablebases/data/emd_damage.txt")) {
        const int            at   = d.number(0) < 0 ? int(header) + d.number(0) : d.number(0);
        std::vector<uint8_t> file = good;
        file[size_t(at)]          = uint8_t(d.number(1));
        if (d.number(2))
            tb_test::emd_fix_header_checksum(file);
        Temd_file broken;
        EXPECT_EQ(parse(file, broken, length), d.number(3)) << d.where << " " << d[4];
    }
    std::vector<uint8_t> file = good;
    file[70]                  = 12; // other field widths: refused one way or the other
    tb_test::emd_fix_header_checksum(file);
    Temd_file other;
    EXPECT_NE(parse(file, other, length), tb::EMD_OK);
    // A file cut short.
    for (size_t size : {size_t(50), size_t(header - 1), good.size() - 1}) {
        Temd_file cut;
        int       bits = 0;
        EXPECT_NE(tb::parse_emd_header(good.data(), size, size, cut, length, bits), tb::EMD_OK) << size;
    }

    // Code descriptions: incomplete, over-full, a lone symbol of length 2 are refused; a lone
    // symbol of length 1 and a complete code reaching 31 bits are fine.
    auto described = [&](std::vector<std::pair<int, int>> lengths) {
        tb_test::Temd_options options;
        options.described_lengths.assign(tb::MAIN_SYMBOLS, 0);
        for (auto [symbol, len] : lengths)
            options.described_lengths[size_t(symbol)] = uint8_t(len);
        Temd_file e;
        return parse(tb_test::emd_encode(tb_test::make_table("knk", 1), options), e, length);
    };
    EXPECT_EQ(described({{0, 1}, {5, 2}, {700, 3}}), tb::EMD_BROKEN);
    EXPECT_EQ(described({{0, 1}, {5, 1}, {700, 1}}), tb::EMD_BROKEN);
    EXPECT_EQ(described({{9, 2}}), tb::EMD_BROKEN);
    EXPECT_EQ(described({{9, 1}}), tb::EMD_OK);
    std::vector<std::pair<int, int>> deep;
    for (int len = 1; len <= 31; ++len)
        deep.push_back({len * 30, len});
    deep.push_back({1000, 31});
    EXPECT_EQ(described(deep), tb::EMD_OK);

    // Blocks that expand to more or fewer bytes than their place holds.
    std::vector<int8_t>        constant(8192, 5), out(9000);
    const std::vector<uint8_t> one = tb_test::emd_encode(constant);
    Temd_file                  c;
    ASSERT_EQ(parse(one, c, length), tb::EMD_OK);
    const uint8_t* stored = one.data() + c.offsets[0];
    const uint32_t size   = c.offsets[1] - c.offsets[0];
    ASSERT_LT(size, 8192u);
    EXPECT_TRUE(tb::expand_block(c, stored, size, out.data(), 8192));
    EXPECT_FALSE(tb::expand_block(c, stored, size, out.data(), 8000));
    EXPECT_FALSE(tb::expand_block(c, stored, size, out.data(), 9000));
}

TEST(EmdFiles, RandomDamageNeverCrashesTheReader) {
    std::mt19937                            random(2024);
    const std::vector<std::vector<uint8_t>> samples  = {FIXTURE,
                                                        tb_test::emd_encode(tb_test::make_table("kqk", 1))};
    int                                     accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> file  = samples[size_t(round) % samples.size()];
        const int            flips = 1 + int(random() % 8);
        for (int i = 0; i < flips; ++i)
            file[random() % file.size()] = uint8_t(random());
        if (round % 3 == 0)
            tb_test::emd_fix_header_checksum(file); // get past the checksum to the fields and codes
        if (round % 7 == 0)
            file.resize(random() % file.size());
        Temd_file emd;
        uint32_t  length = 0;
        if (file.size() >= 68 && parse(file, emd, length) == tb::EMD_OK) {
            ++accepted;
            std::vector<int8_t> out;
            expand_all(emd, file, out);
        }
    }
    EXPECT_GT(accepted, 0);

    // Garbage block streams through a real code.
    Temd_file emd;
    uint32_t  length = 0;
    ASSERT_EQ(parse(FIXTURE, emd, length), tb::EMD_OK);
    std::vector<int8_t> out(8192);
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> stored(1 + random() % 600);
        for (uint8_t& b : stored)
            b = uint8_t(random());
        tb::expand_block(emd, stored.data(), uint32_t(stored.size()), out.data(), 8192);
    }
}

} // namespace
