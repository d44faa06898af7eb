// The engine with tables in TBPATH, end to end: what start-up says, exact mate scores from plain
// and compressed files, bare kings, and the files that stop it. A table lost during the run is
// tested in process (tables_test.cpp): the search meets it as a position without a table.
#include <filesystem>
#include <gtest/gtest.h>

#include "interface/engine_process.h"
#include "interface/game_session.h"
#include "solver.h"

namespace {

// The thinking lines and statistics of the engine's next move, which must come.
std::string search_output(Tgame_session& s, const std::string& commands) {
    const size_t from = s.mark;
    s.send(commands);
    EXPECT_NE(s.next_move(60), "") << commands;
    return s.engine.output().substr(from, s.mark - from);
}

// The tablebase hits of the statistics line, -1 when it has no tablebase part.
int tablebase_hits(const std::string& out) {
    const size_t at = out.find(", TB: ");
    return at == std::string::npos ? -1 : std::stoi(out.substr(at + 6));
}

TEST(EngineTables, SearchesTakeExactScores) {
    Ttemp_dir tables;
    for (int side = 0; side < 2; ++side) {
        tb_test::write_bytes(tables.file(side ? "kqk.nbb" : "kqk.nbw"), tb_test::make_table("kqk", side));
        tb_test::write_bytes(tables.file(side ? "krk.nbb.emd" : "krk.nbw.emd"),
                             tb_test::hex_fixture(side ? "krk.nbb.emd.hex" : "krk.nbw.emd.hex"));
    }
    Tgame_session s("TBPATH=" + tables.path() + "\nmax_sd=4");
    ASSERT_TRUE(s.expect("Found TableBase Files, up to 3 men\n0 entries found"));
    // Known clocks: the draw score is the plain 0.
    s.send("time 30000\notim 30000\n");

    // The engine plays each side in turn. White mates in 7 and Black is mated in 8 (plain kqk);
    // bare kings are a draw known at once; Black is mated in 14 (compressed krk).
    std::string out = search_output(s, "edit\n#\nKa1\nQc2\nc\nKh8\n.\ngo\n");
    EXPECT_NE(out.find("-> Mat07 "), std::string::npos) << out;
    EXPECT_GT(tablebase_hits(out), 0) << out;
    out = search_output(s, "edit\n#\nKa1\nQb2\nc\nKb8\n.\ngo\n");
    EXPECT_NE(out.find("-> -Mat08 "), std::string::npos) << out;
    out = search_output(s, "edit\n#\nKe1\nc\nKe8\n.\ngo\n");
    EXPECT_NE(out.find(" 1->     0 "), std::string::npos) << out;
    out = search_output(s, "edit\n#\nKa1\nRe5\nc\nKh8\n.\ngo\n");
    EXPECT_NE(out.find("-> -Mat14 "), std::string::npos) << out;
    EXPECT_GT(tablebase_hits(out), 0) << out;
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
}

TEST(EngineTables, BrokenFilesStopTheStartUnlessTheTablesAreOff) {
    Ttemp_dir tables;
    write_file(tables.file("kqk.nbw"), std::string(1000, '\0'));
    {
        Tgame_session s("TBPATH=" + tables.path());
        EXPECT_EQ(s.engine.wait_exit(), 1);
        EXPECT_EQ(s.engine.output(), "*** " + tables.file("kqk.nbw") + " corrupted\n");
    }
    {
        // Tables off: not even looked at; searches never ask them.
        Tgame_session     s("TBPATH=" + tables.path() + "\nUSE_TB=FALSE\nmax_sd=3");
        const std::string out = search_output(s, "edit\n#\nKa1\nQc2\nc\nKh8\n.\ngo\n");
        EXPECT_EQ(s.engine.output().rfind("0 entries found in the Opening Book", 0), 0u);
        EXPECT_EQ(tablebase_hits(out), -1) << out;
        s.send("quit\n");
        EXPECT_EQ(s.engine.wait_exit(), 0);
    }
    std::filesystem::remove(tables.file("kqk.nbw"));
    std::vector<uint8_t> packed = tb_test::hex_fixture("krk.nbw.emd.hex");
    packed[90] ^= 0x40; // inside the header: its checksum no longer matches
    tb_test::write_bytes(tables.file("krk.nbw.emd"), packed);
    Tgame_session s("TBPATH=" + tables.path());
    EXPECT_EQ(s.engine.wait_exit(), 1);
    EXPECT_EQ(s.engine.output(), "*** Unable to read " + tables.file("krk.nbw.emd") + " - file broken\n");
}

} // namespace
