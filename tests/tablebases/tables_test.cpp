// Table indexes against known slots and the lengths against a scan of the legal positions;
// generated tables against the known figures of their endgames (kqkr: the queen wins in at most
// 35 moves), and the registry reading them: plain and compressed files (tables that vanish or
// shrink during the run), the scores of every kind of byte, the chunk cache and its eviction.
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

#include "base/config.h"
#include "base/data_rows.h"
#include "board/boarddata.h"
#include "interface/engine_process.h"
#include "solver.h"
#include "tablebases/probe.h"

namespace {

const std::vector<int8_t>& table_of(const std::string& file) {
    static std::map<std::string, std::vector<int8_t>> made;
    std::vector<int8_t>&                              t = made[file];
    if (t.empty())
        t = tb_test::make_table(file.substr(0, file.size() - 4), file.back() == 'b');
    return t;
}

int class_id(const std::string& name) { return class_of(counts_of_name(name.c_str())); }

TEST(TablebaseTables, IndexesLengthsAndFingerprints) {
    // Positions against their known slots and, with three men, the byte found there.
    tb::build_index_tables();
    Tboarddata              record{};
    const std::vector<Trow> vectors = read_rows("tablebases/data/index_vectors.txt");
    ASSERT_EQ(vectors.size(), 54u);
    for (const Trow& v : vectors) {
        SCOPED_TRACE(v.where);
        ASSERT_EQ(record.set_fen(v[0].c_str()), 1);
        // The row's own en-passant file: one slot (a knight on d2 behind d2-d4) is not a
        // position the reader keeps the square of.
        const int        ep_file = v[3] == "-" ? NO_SQUARE : v[3][0] - 'a';
        const Ttable_key key =
            table_key(board_state, record.side, ep_file, class_of(board_counts(board_state)));
        EXPECT_EQ(std::string(tb_classes[key.id].name) + (key.side ? ".nbb" : ".nbw"), v[1]);
        EXPECT_EQ(key.invert, v.number(2));
        EXPECT_EQ(key.ep, v[3] == "-" ? tb::NO_EP : (v[3][1] - '1') * 8 + (v[3][0] - 'a'));
        EXPECT_EQ(key.index, uint32_t(std::stoul(v[4])));
        if (!v[5].empty()) {
            ASSERT_LT(key.index, table_of(v[1]).size());
            EXPECT_EQ(table_of(v[1])[key.index], v.number(5));
        }
    }
    // Every three- and four-man length is one past the largest index of a legal position (the
    // deep run scans every key square of the four-man classes).
    for (int id = 1; id <= 35; ++id)
        for (int side = 0; side < 2; ++side)
            EXPECT_EQ(tb_test::scan_class(id, side, deep_run()) + 1, int64_t(tb_classes[id].expected[side]))
                << tb_classes[id].name << side;
    // The generated tables, whole (no slot meets two values) and as long as the engine expects:
    // byte:count over the slots (127 where no legal position lies). The deep run adds two.
    const std::vector<Trow> fingerprints = read_rows("tablebases/data/fingerprints.txt");
    ASSERT_EQ(fingerprints.size(), 16u);
    for (const Trow& f : fingerprints) {
        if (f[2] == "deep" && !deep_run())
            continue;
        SCOPED_TRACE(f.where);
        const std::vector<int8_t> table = table_of(f[0]);
        EXPECT_EQ(table.size(),
                  tb_classes[class_id(f[0].substr(0, f[0].size() - 4))].expected[f[0].back() == 'b']);
        std::map<int, int> count;
        for (int8_t b : table)
            ++count[b];
        std::string histogram;
        for (auto [value, n] : count)
            histogram += (histogram.empty() ? "" : " ") + std::to_string(value) + ":" + std::to_string(n);
        EXPECT_EQ(histogram, f[1]);
    }
}

// In-process probing against tables in a directory of the test's own.
class TablebaseRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_use_tb    = config.USE_TB;
        config.USE_TB   = 1;
        tablebase_stats = {};
    }
    void TearDown() override {
        tablebases.init_tables("");
        config.USE_TB   = saved_use_tb;
        board_state.ply = 0;
    }
    // Probes a position as the search would at the given ply and remaining depth.
    int probe_fen(const char* fen, int ply = 0, int depth = 10 * ONE_PLY) {
        EXPECT_EQ(node.set_fen(fen), 1) << fen;
        board_state.ply = ply;
        node.depth      = depth;
        node.eval_flags = 0;
        return probe(node);
    }
    Ttemp_dir  dir;
    Tboarddata node{};
    int        saved_use_tb = 0;
};

TEST_F(TablebaseRegistry, EveryFileFormGivesTheTableBytesUntilItGoes) {
    // Plain, compressed, and compressed without the dot before the side.
    tb_test::write_bytes(dir.file("kqk.nbw"), table_of("kqk.nbw"));
    tb_test::write_bytes(dir.file("kpk.nbb"), table_of("kpk.nbb"));
    tb_test::write_bytes(dir.file("krk.nbb.emd"), tb_test::hex_fixture("krk.nbb.emd.hex"));
    tb_test::write_bytes(dir.file("krknbw.emd"), tb_test::hex_fixture("krk.nbw.emd.hex"));
    ASSERT_EQ(tablebases.init_tables("/nonexistent;" + dir.path()), 3);

    for (const char* file : {"kqk.nbw", "krk.nbw", "krk.nbb", "kpk.nbb"}) {
        SCOPED_TRACE(file);
        const int id = class_id(std::string(file).substr(0, 3)), side = file[6] == 'b';
        ASSERT_TRUE(tablebases.registered(id, side));
        const std::vector<int8_t> table      = table_of(file);
        int                       mismatches = 0;
        for (uint32_t i = 0; i < table.size(); ++i)
            mismatches += tablebases.read_entry(id, side, i) != table[i];
        EXPECT_EQ(mismatches, 0);
        // Past the end there is no value, and nothing is read for it.
        const uint64_t reads = tablebases.chunk_reads;
        EXPECT_EQ(tablebases.read_entry(id, side, uint32_t(table.size())), TB_NO_VALUE);
        EXPECT_EQ(tablebases.chunk_reads, reads);
    }
    EXPECT_FALSE(tablebases.registered(class_id("kqk"), 1));

    for (const Trow& p : read_rows("tablebases/data/probes.txt")) {
        ASSERT_EQ(probe_fen(p[0].c_str()), 1) << p.where;
        EXPECT_EQ(node.eval_score, p.number(1)) << p.where;
        EXPECT_EQ(node.eval_flags, BOUND_EXACT | FLAG_TERMINAL | FLAG_FROM_TABLEBASE);
    }
    EXPECT_EQ(probe_fen("8/8/8/8/8/8/2Q5/K6k b - -"), 0); // kqk.nbb is not there
    EXPECT_EQ(tablebase_stats.probes, 5);
    EXPECT_EQ(tablebase_stats.hits, 4);

    // Once the cache is reset everything is read again: tables that vanish or shrink during the
    // run are dropped then.
    tablebases.reset_cache();
    std::filesystem::remove(dir.file("kqk.nbw"));
    std::filesystem::remove(dir.file("krk.nbb.emd"));
    std::filesystem::resize_file(dir.file("kpk.nbb"), 40000);
    const int kqk = class_id("kqk"), krk = class_id("krk"), kpk = class_id("kpk");
    EXPECT_EQ(tablebases.read_entry(kqk, 0, 100), TB_NO_VALUE);
    EXPECT_FALSE(tablebases.registered(kqk, 0));
    EXPECT_EQ(tablebases.read_entry(krk, 1, 100), TB_NO_VALUE);
    EXPECT_FALSE(tablebases.registered(krk, 1));
    EXPECT_EQ(tablebases.read_entry(krk, 0, 100), table_of("krk.nbw")[100]);
    EXPECT_EQ(tablebases.read_entry(kpk, 1, 100), table_of("kpk.nbb")[100]);
    EXPECT_EQ(tablebases.read_entry(kpk, 1, 45000), TB_NO_VALUE);
    EXPECT_FALSE(tablebases.registered(kpk, 1));
    EXPECT_EQ(probe_fen("7k/8/8/8/8/8/2Q5/K7 w - -"), 0);
}

TEST_F(TablebaseRegistry, SpecialBytesAndTheFiveManDepthRule) {
    // One krk slot rewritten with each special byte in turn.
    const char*         fen   = "7k/8/8/4R3/8/8/8/K7 w - -";
    std::vector<int8_t> table = table_of("krk.nbw");
    ASSERT_EQ(node.set_fen(fen), 1);
    const uint32_t slot = table_key(board_state, WHITE, NO_SQUARE, class_id("krk")).index;
    for (auto [byte, expected] :
         {std::pair{127, 0}, {-128, 32000 - 253}, {-127, -(32000 - 252)}, {126, 31999}, {-126, -32000}}) {
        table[slot] = int8_t(byte);
        tb_test::write_bytes(dir.file("krk.nbw"), table);
        ASSERT_EQ(tablebases.init_tables(dir.path()), 3);
        EXPECT_EQ(probe_fen(fen), expected != 0) << byte;
        EXPECT_EQ(expected ? node.eval_score : 0, expected) << byte;
    }

    // The seven kppkp positions mated in 127 moves score as such whatever the file holds.
    std::filesystem::remove(dir.file("krk.nbw"));
    write_file(dir.file("kppkp.nbb"), "");
    std::filesystem::resize_file(dir.file("kppkp.nbb"), tb_classes[class_id("kppkp")].expected[1]);
    ASSERT_EQ(tablebases.init_tables(dir.path()), 5);
    const uint64_t reads = tablebases.chunk_reads;
    ASSERT_EQ(probe_fen("8/1p6/8/8/4P3/k1K1P3/8/8 b - -"), 1);
    EXPECT_EQ(node.eval_score, -(32000 - 254));
    EXPECT_EQ(tablebases.chunk_reads, reads);

    // Five men: not at ply 4 and beyond with less than four plies left, counted otherwise.
    const char* five = "8/8/1k6/8/8/8/4P3/4KQ1r w - -";
    tablebase_stats  = {};
    EXPECT_EQ(probe_fen(five, 6, 2 * ONE_PLY), 0);
    EXPECT_EQ(tablebase_stats.probes, 0);
    EXPECT_EQ(probe_fen(five, 2, 2 * ONE_PLY), 0);
    EXPECT_EQ(probe_fen(five, 6, 4 * ONE_PLY), 0);
    EXPECT_EQ(tablebase_stats.probes, 2);
}

TEST_F(TablebaseRegistry, ChunksAreReadOnceAndTheLeastRecentIsEvicted) {
    // A kqkr table whose bytes tell their chunk.
    const int           id     = class_id("kqkr");
    const uint32_t      length = tb_classes[id].expected[0];
    std::vector<int8_t> bytes(length);
    for (uint32_t i = 0; i < length; ++i)
        bytes[i] = int8_t(i / TB_CHUNK % 100);
    tb_test::write_bytes(dir.file("kqkr.nbw"), bytes);
    ASSERT_EQ(tablebases.init_tables(dir.path()), 4);

    auto read_chunk = [&](uint32_t c, uint32_t offset = 17) {
        EXPECT_EQ(tablebases.read_entry(id, 0, c * TB_CHUNK + offset), int(c % 100)) << c;
    };
    const uint64_t start = tablebases.chunk_reads;
    for (uint32_t offset = 0; offset < TB_CHUNK; offset += 97)
        read_chunk(3, offset);
    EXPECT_EQ(tablebases.chunk_reads - start, 1u);

    // 121 chunks fit; chunk 3 is the least recent once 0..120 have been read after it.
    for (uint32_t c = 0; c < TB_CACHE_ENTRIES; ++c)
        read_chunk(c);
    EXPECT_EQ(tablebases.chunk_reads - start, uint64_t(TB_CACHE_ENTRIES));
    read_chunk(3); // now the most recent: chunk 0 goes first
    read_chunk(150);
    EXPECT_EQ(tablebases.chunk_reads - start, uint64_t(TB_CACHE_ENTRIES + 1));
    for (uint32_t c = 1; c < TB_CACHE_ENTRIES; ++c)
        read_chunk(c);
    read_chunk(150);
    EXPECT_EQ(tablebases.chunk_reads - start, uint64_t(TB_CACHE_ENTRIES + 1));
    read_chunk(0);
    EXPECT_EQ(tablebases.chunk_reads - start, uint64_t(TB_CACHE_ENTRIES + 2));
}

} // namespace
