// Search speed and signature: the eight benchmark positions searched to a fixed depth, one line
// per position, then the total node count (the signature of the search) and the overall speed.
//
//   bench                      depth 10
//   bench 5                    depth 5
//   bench 5 --check FILE       also compares the node count with the line "5 N" of FILE
//                              (exit code 1 when it differs, 2 when FILE has no such line)
//   bench --positions          prints the eight positions as FEN lines, for other engines
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/config.h"
#include "base/console.h"
#include "bench/bench_search.h"
#include "board/notation.h"
#include "search/search.h"
#include "tools/benchmark_positions.h"

namespace {

constexpr int DEFAULT_DEPTH = 10;

// The expected count of the line "<depth> <nodes>" of the file; -1 when there is none.
long long expected_signature(const char* file_name, int depth) {
    FILE* file = std::fopen(file_name, "r");
    if (!file)
        return -1;
    char      line[256];
    long long found = -1;
    while (found < 0 && std::fgets(line, sizeof line, file)) {
        int       d     = 0;
        long long nodes = 0;
        if (std::sscanf(line, "%d %lld", &d, &nodes) == 2 && d == depth)
            found = nodes;
    }
    std::fclose(file);
    return found;
}

void print_positions() {
    for (const char* epd : BENCHMARK_POSITIONS) {
        // The four position fields, then the two counters other engines expect.
        int         fields = 0;
        const char* end    = epd;
        while (*end && fields < 4)
            if (*end++ == ' ')
                ++fields;
        std::printf("%.*s 0 1\n", int(end - epd - (fields == 4 ? 1 : 0)), epd);
    }
}

} // namespace

int main(int argc, char** argv) {
    int         depth      = DEFAULT_DEPTH;
    const char* check_file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--positions") == 0) {
            print_positions();
            return 0;
        }
        if (std::strcmp(argv[i], "--check") == 0 && i + 1 < argc)
            check_file = argv[++i];
        else if (std::atoi(argv[i]) > 0)
            depth = std::atoi(argv[i]);
        else {
            std::fprintf(stderr, "usage: bench [depth] [--check FILE] | bench --positions\n");
            return 2;
        }
    }

    // The searches read no input, whatever the bench was started with (a terminal, /dev/null, a
    // test driver), and print nothing of their own: the bench prints its lines instead.
    search_input_reader = nullptr;
    config.log_on       = 0;
    use_bench_settings();

    std::printf("Search bench: %d positions, depth %d\n", NB_BENCHMARK_POSITIONS, depth);
    std::printf(" #  move    score         nodes   seconds         nps\n");
    long long total_nodes   = 0;
    double    total_seconds = 0;
    for (int i = 0; i < NB_BENCHMARK_POSITIONS; ++i) {
        Tbench_result result;
        console.to_screen = false;
        result            = bench_position(i, depth);
        console.to_screen = true;
        const std::string move_text =
            result.best_move ? coord_text(result.best_move, Color(result.side)) : "none";
        const long long nps = result.seconds > 0 ? (long long)(double(result.nodes) / result.seconds) : 0;
        std::printf("%2d  %-6s %6d  %12lld  %8.2f  %10lld\n", i, move_text.c_str(), result.score,
                    (long long)result.nodes, result.seconds, nps);
        total_nodes += result.nodes;
        total_seconds += result.seconds;
    }
    std::printf("Nodes searched: %lld\n", total_nodes);
    std::printf("Time: %.2f s, nps: %lld\n", total_seconds,
                total_seconds > 0 ? (long long)(double(total_nodes) / total_seconds) : 0LL);

    if (!check_file)
        return 0;
    const long long expected = expected_signature(check_file, depth);
    if (expected < 0) {
        std::printf("No signature for depth %d in %s\n", depth, check_file);
        return 2;
    }
    if (expected != total_nodes) {
        std::printf("Signature differs: %lld, expected %lld\n", total_nodes, expected);
        return 1;
    }
    std::printf("Signature matches\n");
    return 0;
}
