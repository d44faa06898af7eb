// The speed benchmarks: `speed` searches benchmark position 0 for a time, `stat` positions 1 to 7
// to a depth; both report nodes per second and keep a line in speed.log.
#include <climits>
#include <cstdint>
#include <cstdio>

#include "base/append_file.h"
#include "base/console.h"
#include "board/boarddata.h"
#include "board/notation.h"
#include "search/search.h"
#include "tools/benchmark_positions.h"
#include "tools/date_text.h"
#include "tools/tools.h"

namespace {

constexpr int FIRST_STAT_POSITION = 1;
constexpr int NB_STAT_POSITIONS   = 7;

Tboarddata bench_root;

// Sets up a benchmark position and shows it; false if it does not read (it always should).
bool show_benchmark_position(int index) {
    if (bench_root.set_fen(BENCHMARK_POSITIONS[index]) != 1)
        return false;
    print_board();
    bench_root.print_fen();
    return true;
}

int clamp_to_int(int64_t value) { return value > INT_MAX ? INT_MAX : int(value); }

int nodes_per_second(int64_t nodes, double seconds) {
    return seconds > 0 ? clamp_to_int(int64_t(double(nodes) / seconds)) : 0;
}

void log_speed(int average_nps) {
    char line[160];
    std::snprintf(line, sizeof line, "\n%s, %d, %5.0lf 10E-6s/pos", date_text().c_str(), average_nps,
                  average_nps > 0 ? double(1000000 / average_nps) : 0.0);
    append_to_file("speed.log", line, 0, 0);
}

} // namespace

void speed_test(double seconds) {
    console.print("Position #%d/%d\n", 1, 1);
    int nps = 0;
    if (show_benchmark_position(0)) {
        search.think(bench_root, 0, 0, 0, seconds, 0, nullptr, 0);
        nps = nodes_per_second(search.total_nodes(), search.elapsed());
    }
    console.print("En moyenne sur les %d positions : %d nps\n", 1, nps);
    log_speed(nps);
}

void speed_stat(int depth) {
    int64_t nps_sum = 0, nodes_sum = 0;
    for (int i = FIRST_STAT_POSITION; i < FIRST_STAT_POSITION + NB_STAT_POSITIONS; ++i) {
        int64_t nodes = 0;
        int     nps   = 0;
        if (show_benchmark_position(i)) {
            search.think(bench_root, 0, 0, depth, 0, 0, nullptr, 0);
            nodes = search.total_nodes();
            nps   = nodes_per_second(nodes, search.elapsed());
        }
        console.print("Position #%d/%d : %d nps (%d coups)\n", i, NB_STAT_POSITIONS, nps,
                      clamp_to_int(nodes));
        nps_sum += nps;
        nodes_sum += nodes;
    }
    const int average_nps = int(nps_sum / NB_STAT_POSITIONS);
    console.print("En moyenne sur les %d positions : %d nps, %d coups\n", NB_STAT_POSITIONS, average_nps,
                  clamp_to_int(nodes_sum / NB_STAT_POSITIONS));
    log_speed(average_nps);
}
