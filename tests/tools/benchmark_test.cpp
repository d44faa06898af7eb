// The speed benchmarks: what they print and the line they add to speed.log.
#include <gtest/gtest.h>

#include "base/data_rows.h"
#include "interface/in_temp_dir.h"
#include "loose_match.h"
#include "search/search.h"
#include "tools/benchmark_positions.h"
#include "tools/tools.h"

namespace {

const std::string LOG_LINE = "\n<date>, <n>, <*><n> 10E-6s/pos";

// The two numbers of the last speed.log line.
void logged_numbers(long long& nps, long long& micro) {
    const std::string log = read_file("speed.log");
    const size_t      at  = log.rfind(", ", log.rfind(", ") - 1);
    ASSERT_EQ(std::sscanf(log.c_str() + at, ", %lld, %lld 10E-6s/pos", &nps, &micro), 2) << log;
}

class Benchmarks : public Ttool_test {};

TEST_F(Benchmarks, StatReportsSevenPositionsAndLogsTheAverage) {
    const std::string out = printed_by([] { speed_stat(2); });
    long long         sum = 0, node_sum = 0;
    for (int i = 1; i <= 7; ++i) {
        const std::string head = "\nPosition #" + std::to_string(i) + "/7 : ";
        const size_t      at   = out.find(head);
        long long         nps = -1, nodes = -1;
        char              end = 0;
        ASSERT_EQ(std::sscanf(out.c_str() + at + head.size(), "%lld nps (%lld coups)%c", &nps, &nodes, &end),
                  3)
            << out;
        EXPECT_EQ(end, '\n');
        EXPECT_GT(nodes, 0);
        sum += nps;
        node_sum += nodes;
        const std::string epd = BENCHMARK_POSITIONS[i]; // shown by its FEN before its search
        EXPECT_LT(out.find(epd.substr(0, epd.find(" bm")) + " \n"), at) << epd;
    }
    EXPECT_EQ(search.last_iteration, 2);
    const std::string tail = "En moyenne sur les 7 positions : " + std::to_string(sum / 7) + " nps, "
                             + std::to_string(node_sum / 7) + " coups\n";
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    long long nps = 0, micro = 0;
    logged_numbers(nps, micro);
    EXPECT_EQ(nps, sum / 7);
    EXPECT_EQ(micro, nps > 0 ? 1000000 / nps : 0);
    printed_by([] { speed_stat(1); }); // the log grows by one line per run
    EXPECT_TRUE(loose_match(read_file("speed.log"), LOG_LINE + LOG_LINE));
}

TEST_F(Benchmarks, SpeedSearchesPositionZeroForItsTime) {
    const std::string out = printed_by([] { speed_test(0.4); });
    EXPECT_EQ(out.rfind("Position #1/1\n\n", 0), 0u);
    EXPECT_NE(out.find("r3kb1r/3n1pp1/p6p/2pPp2q/Pp2N3/3B2PP/1PQ2P2/R3K2R w KQkq - \n"), std::string::npos);
    EXPECT_LT(search.elapsed(), 2.0);
    const size_t    at      = out.rfind("En moyenne sur les 1 positions : ");
    const long long average = std::stoll(out.substr(at + 33));
    EXPECT_GT(average, 0);
    EXPECT_EQ(out.substr(at + 33), std::to_string(average) + " nps\n");
    long long nps = 0, micro = 0;
    logged_numbers(nps, micro);
    EXPECT_EQ(nps, average);
    EXPECT_TRUE(loose_match(read_file("speed.log"), LOG_LINE));
}

TEST_F(Benchmarks, UnwritableLogChangesNothingOnScreen) {
    std::filesystem::create_directory("speed.log"); // cannot be opened as a file
    EXPECT_TRUE(loose_match(printed_by([] { speed_stat(1); }),
                            "<*>\nEn moyenne sur les 7 positions : <n> nps, <n> coups\n"));
}

} // namespace
