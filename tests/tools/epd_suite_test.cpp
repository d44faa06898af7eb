// The EPD test-suite runner in process: result files named and filled (times and node counts
// matched loosely), the time limit, empty and missing suites, and bad input (data/bad.epd).
#include <gtest/gtest.h>

#include "base/data_rows.h"
#include "interface/in_temp_dir.h"
#include "loose_match.h"
#include "search/search.h"
#include "tools/tools.h"

namespace {

const std::string MATE_IN_ONE = "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8; id \"mate\";\n";

class EpdSuite : public Ttool_test {
  protected:
    std::string run(const char* name, int depth, double seconds = 0, int expect = 1) {
        return printed_by([&] { EXPECT_EQ(run_epd_test(name, depth, seconds, 0), expect); });
    }
};

TEST_F(EpdSuite, ResultFilesAreNumberedNextToTheSuite) {
    write_file("suite.epd", MATE_IN_ONE);
    run("suite.epd", 1);
    run("suite.epd", 1);
    EXPECT_TRUE(file_exists("suite.001"));
    EXPECT_TRUE(loose_match(read_file("suite.002"), "found  1:   Ra8 <*>"));
    EXPECT_EQ(count(read_file("tests.log"), "\"suite.epd\""), 2);
    write_file("a.b.epd", MATE_IN_ONE);
    run("a.b.epd", 1);
    EXPECT_TRUE(file_exists("a.001"));
    // A dot in the directory part does not cut the name.
    std::filesystem::create_directory("sub.dir");
    write_file("sub.dir/x.y.epd", MATE_IN_ONE);
    EXPECT_NE(run("sub.dir/x.y.epd", 1).find("The log file sub.dir/x.001 has been created.\n"),
              std::string::npos);
    EXPECT_TRUE(file_exists("sub.dir/x.001"));
    EXPECT_FALSE(file_exists("sub.001"));
}

TEST_F(EpdSuite, WhenAllNumbersAreTakenTheLastIsUsedAgainUnlessItIsTheSuite) {
    write_file("full.epd", MATE_IN_ONE);
    write_file("self.999", MATE_IN_ONE);
    for (int n = 1; n <= 999; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, ".%03d", n);
        write_file("full" + std::string(name), "old\n");
        if (n < 999)
            write_file("self" + std::string(name), "old\n");
    }
    run("full.epd", 1);
    EXPECT_TRUE(loose_match(read_file("full.999"), "found  1:   Ra8 <*>"));
    EXPECT_EQ(read_file("full.998"), "old\n");
    EXPECT_FALSE(file_exists("full.1000"));
    EXPECT_EQ(run("self.999", 1, 0, 0), ""); // the reused name is the suite itself: nothing runs
    EXPECT_EQ(read_file("self.999"), MATE_IN_ONE);
}

TEST_F(EpdSuite, MissingSuiteEmptySuiteAndTimeLimit) {
    EXPECT_EQ(run("absent.epd", 1, 0, 0), "Impossible d'ouvrir le fichier absent.epd !\n");
    write_file("empty.epd", "not a position\n\n"); // nothing to score: no result file, no tests.log line
    EXPECT_EQ(run("empty.epd", 1), "");
    EXPECT_EQ(list_dir("."), (std::vector<std::string>{"empty.epd", "log"}));

    // Taking the queen is the only sane move; the "bm" list asks for king moves. The clock cuts
    // the last iteration short; that must not read as a mate.
    write_file("timed.epd", "4k3/8/8/8/3q4/8/3R4/4K3 w - - bm Kf1 Ke2;\n");
    const std::string summary = "\"timed.epd\", <date>,  0/1 solved, Time:0s, Consec:0\n";
    EXPECT_TRUE(loose_contains(run("timed.epd", 0, 0.3), summary));
    EXPECT_LT(search.elapsed(), 1.5);
    EXPECT_TRUE(loose_match(read_file("timed.001"),
                            "not found 1: choose  Rxd4  instead of Kf1 Ke2 (<n> eval in <t> s)\n" + summary));
}

TEST_F(EpdSuite, BadLinesAreSkippedOrReadSafely) {
    std::string suite = read_file(std::string(BRELOK_SOURCE_DIR) + "/tests/tools/data/bad.epd");
    suite += std::string(10000, 'K') + "\n" + std::string("\xff\xfe\x01\x00\x80 binary\x00\n", 15)
             + std::string(10000, '/') + "\n" + "4k3/8/8/8/3q4/8/3R4/4K3 w - - bm Rxd4"; // no line end
    write_file("bad.epd", suite);
    const std::string out = run("bad.epd", 2);
    EXPECT_EQ(count(out, "Looking for Rxd4\n"), 2);
    EXPECT_EQ(count(out, "No best move provided\n"), 8);
    EXPECT_TRUE(loose_match(
        out,
        "<*>\"bad.epd\", <date>,  2/10 solved, Time:0s, Consec:0\nThe log file bad.001 has been created.\n"))
        << out;
    const std::string results = read_file("bad.001");
    EXPECT_EQ(count(results, "found ") - count(results, "not found "), 2);
    EXPECT_EQ(count(results, "\n"), 11);
}

} // namespace
