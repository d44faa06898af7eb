// The EPD test-suite runner in process: result files named and filled (times and node counts
// matched loosely), the time limit, empty and missing suites, and bad input.
#include <gtest/gtest.h>

#include <string>

#include "loose_match.h"
#include "search/search.h"
#include "tool_fixture.h"
#include "tools/tools.h"

namespace {

constexpr const char* MATE_IN_ONE = "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8; id \"mate\";";
// Taking the queen is the only sane move; the "bm" list asks for king moves.
constexpr const char* HANGING_QUEEN = "4k3/8/8/8/3q4/8/3R4/4K3 w - - bm Kf1 Ke2;";

std::string summary(const std::string& name, const std::string& solved, int seconds = 0, int stable = 0) {
    return "\"" + name + "\", <date>, " + solved + " solved, Time:" + std::to_string(seconds)
         + "s, Consec:" + std::to_string(stable) + "\n";
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class EpdSuite : public Ttool_test {
  protected:
    // Runs the suite and returns what it printed.
    std::string run(const char* name, int depth, double seconds = 0, int stable = 0, int expect = 1) {
        testing::internal::CaptureStdout();
        const int result = run_epd_test(name, depth, seconds, stable);
        EXPECT_EQ(result, expect);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(EpdSuite, ResultFilesAreNumberedNextToTheSuite) {
    write_file("suite.epd", std::string(MATE_IN_ONE) + "\n");
    run("suite.epd", 1);
    run("suite.epd", 1);
    EXPECT_TRUE(file_exists("suite.001"));
    EXPECT_TRUE(file_exists("suite.002"));
    EXPECT_TRUE(loose_match(read_file("suite.002"), "found  1:   Ra8 <*>"));
    EXPECT_EQ(count(read_file("tests.log"), "\"suite.epd\""), 2);

    write_file("a.b.epd", std::string(MATE_IN_ONE) + "\n");
    run("a.b.epd", 1);
    EXPECT_TRUE(file_exists("a.001"));

    // A dot in the directory part does not cut the name.
    std::filesystem::create_directory("sub.dir");
    write_file("sub.dir/x.y.epd", std::string(MATE_IN_ONE) + "\n");
    const std::string out = run("sub.dir/x.y.epd", 1);
    EXPECT_TRUE(file_exists("sub.dir/x.001"));
    EXPECT_NE(out.find("The log file sub.dir/x.001 has been created.\n"), std::string::npos);
    EXPECT_FALSE(file_exists("sub.001"));
}

TEST_F(EpdSuite, WhenAllNumbersAreTakenTheLastIsUsedAgain) {
    write_file("full.epd", std::string(MATE_IN_ONE) + "\n");
    for (int n = 1; n <= 999; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "full.%03d", n);
        write_file(name, "old\n");
    }
    run("full.epd", 1);
    EXPECT_TRUE(loose_match(read_file("full.999"), "found  1:   Ra8 <*>"));
    EXPECT_EQ(read_file("full.998"), "old\n");
    EXPECT_FALSE(file_exists("full.1000"));

    // The reused name is the suite itself: it is left alone and nothing runs.
    write_file("self.999", std::string(MATE_IN_ONE) + "\n");
    for (int n = 1; n <= 998; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "self.%03d", n);
        write_file(name, "old\n");
    }
    EXPECT_EQ(run("self.999", 1, 0, 0, 0), "");
    EXPECT_EQ(read_file("self.999"), std::string(MATE_IN_ONE) + "\n");
}

TEST_F(EpdSuite, MissingSuiteAndEmptySuite) {
    EXPECT_EQ(run("absent.epd", 1, 0, 0, 0), "Impossible d'ouvrir le fichier absent.epd !\n");

    // Nothing to score: no result file and no line in tests.log.
    write_file("empty.epd", "not a position\n\n");
    EXPECT_EQ(run("empty.epd", 1), "");
    EXPECT_EQ(list_dir("."), (std::vector<std::string>{"empty.epd", "log"}));
}

TEST_F(EpdSuite, TimeLimitIsPassedOnAndShown) {
    write_file("timed.epd", std::string(HANGING_QUEEN) + "\n");
    const std::string out = run("timed.epd", 0, 0.3);
    EXPECT_LT(search.elapsed(), 1.5);
    EXPECT_TRUE(loose_contains(out, summary("timed.epd", " 0/1", 0, 0))) << out;
    // The clock cuts the last iteration short; that must not read as a mate.
    EXPECT_TRUE(loose_match(read_file("timed.001"), "not found 1: choose  Rxd4  instead of Kf1 Ke2 (<n> eval in <t> s)\n"
                                                    + summary("timed.epd", " 0/1", 0, 0)))
        << read_file("timed.001");
}

TEST_F(EpdSuite, BadLinesAreSkippedOrReadSafely) {
    std::string suite;
    suite += "\n";
    suite += "garbage\n";
    suite += "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - bm e4\n";                 // seven ranks
    suite += "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm e4\n";        // nine files
    suite += "4k3/8/8/8/8/8/8/4K3 x - - bm Kd1\n";                                   // no side
    suite += "4k3/8/8/8/8/8/8/4K3 w - - bm " + std::string(10000, 'K') + "\n";      // one huge word
    suite += "4k3/8/8/8/3q4/8/3R4/4K3 w - - bm Rxd4;\r\n";                            // CRLF
    suite += "4k3/8/8/8/3q4/8/3R4/4K3 w - - bm\n";                                   // empty list
    suite += "4k3/8/8/8/3q4/8/3R4/4K3 w - - bm ;;;;  ;\n";
    suite += "4k3/8/8/8/3q4/8/3R4/4K3 w - - bm Zz9 Rxd4\n";                          // stops at once
    suite += "4k3/8/8/8/3q4/8/3R4/4K3 w - - bmbmbm\n";
    suite += std::string("\xff\xfe\x01\x00\x80 binary\x00\n", 15);
    suite += std::string(10000, '/') + "\n";
    suite += "R5k1/5ppp/8/8/8/8/8/6K1 b - - bm Kh8\n";                               // checkmated
    suite += "7k/5Q2/6K1/8/8/8/8/8 b - -\n";                                         // stalemate
    suite += "4k3/8/8/8/3q4/8/3R4/4K3 w - - bm Rxd4";                                // no line end
    write_file("bad.epd", suite);
    const std::string out = run("bad.epd", 2);
    EXPECT_EQ(count(out, "Looking for Rxd4\n"), 2);
    EXPECT_EQ(count(out, "No best move provided\n"), 7);
    EXPECT_TRUE(loose_match(out, "<*>" + summary("bad.epd", " 2/9") + "The log file bad.001 has been created.\n")) << out;
    const std::string result = read_file("bad.001");
    EXPECT_EQ(count(result, "found  "), 2);
    EXPECT_EQ(count(result, "\n"), 10);
}

} // namespace
