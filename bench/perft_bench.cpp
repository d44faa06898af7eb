// Perft speed: nodes per second of our move generation, make and unmake on the start position
// (depth 6) and Kiwipete (depth 5), in two modes, and the same counts timed with Debian's
// stockfish for comparison (its "go perft" counts the legal moves at the last ply).
//
//   perft_bench           full depths
//   perft_bench quick     one ply less everywhere (a smoke run)
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "perft.h"

namespace {

struct Tbench_position {
    const char* name;
    const char* fen;
    int         depth;
    uint64_t    nodes;
};

const Tbench_position POSITIONS[] = {
    {"start", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 6, 119060324},
    {"kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 5, 193690690},
};
// Counts one ply less, for the quick run.
const uint64_t SHALLOWER_NODES[] = {4865609, 4085603};

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Best of a few runs, so that a busy moment of the machine does not decide the figure.
double time_perft(int depth, Tperft_mode mode, uint64_t expected, int runs) {
    double best = 0;
    for (int run = 0; run < runs; ++run) {
        const auto     start   = std::chrono::steady_clock::now();
        const uint64_t nodes   = perft(depth, mode);
        const double   elapsed = seconds_since(start);
        if (nodes != expected) {
            std::printf("  WRONG COUNT: %llu, expected %llu\n", static_cast<unsigned long long>(nodes),
                        static_cast<unsigned long long>(expected));
            return 0;
        }
        if (run == 0 || elapsed < best)
            best = elapsed;
    }
    return best;
}

std::string find_stockfish() {
    if (const char* path = std::getenv("PATH")) {
        std::string dirs  = path;
        size_t      begin = 0;
        while (begin <= dirs.size()) {
            size_t end = dirs.find(':', begin);
            if (end == std::string::npos)
                end = dirs.size();
            const std::string candidate = dirs.substr(begin, end - begin) + "/stockfish";
            if (end > begin && access(candidate.c_str(), X_OK) == 0)
                return candidate;
            begin = end + 1;
        }
    }
    if (access("/usr/games/stockfish", X_OK) == 0)
        return "/usr/games/stockfish";
    return {};
}

// The other engine as a child process, spoken to through two pipes.
class Topponent {
  public:
    bool start(const std::string& path) {
        int to_child[2], from_child[2];
        if (pipe(to_child) != 0 || pipe(from_child) != 0)
            return false;
        pid = fork();
        if (pid < 0)
            return false;
        if (pid == 0) {
            dup2(to_child[0], STDIN_FILENO);
            dup2(from_child[1], STDOUT_FILENO);
            close(to_child[1]);
            close(from_child[0]);
            execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(to_child[0]);
        close(from_child[1]);
        input  = fdopen(to_child[1], "w");
        output = fdopen(from_child[0], "r");
        return input && output;
    }

    void send(const std::string& text) {
        std::fputs(text.c_str(), input);
        std::fflush(input);
    }

    // Reads lines until one starts with the prefix; returns it, or "" at the end of output.
    std::string wait_for(const char* prefix) {
        char line[4096];
        while (std::fgets(line, sizeof line, output))
            if (std::strncmp(line, prefix, std::strlen(prefix)) == 0)
                return line;
        return {};
    }

    void stop() {
        if (input) {
            send("quit\n");
            std::fclose(input);
            input = nullptr;
        }
        if (output) {
            std::fclose(output);
            output = nullptr;
        }
        if (pid > 0) {
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }
    ~Topponent() { stop(); }

  private:
    pid_t pid    = -1;
    FILE* input  = nullptr;
    FILE* output = nullptr;
};

// Seconds the other engine takes for one perft, start-up excluded; 0 on any failure.
double time_opponent(Topponent& engine, const Tbench_position& p, int depth, uint64_t expected, int runs) {
    double best = 0;
    for (int run = 0; run < runs; ++run) {
        engine.send("isready\n");
        if (engine.wait_for("readyok").empty())
            return 0;
        const auto start = std::chrono::steady_clock::now();
        engine.send(std::string("position fen ") + p.fen + " 0 1\ngo perft " + std::to_string(depth) + "\n");
        const std::string line    = engine.wait_for("Nodes searched:");
        const double      elapsed = seconds_since(start);
        if (line.empty())
            return 0;
        const unsigned long long nodes =
            std::strtoull(line.c_str() + std::strlen("Nodes searched:"), nullptr, 10);
        if (nodes != expected) {
            std::printf("  stockfish counted %llu, expected %llu\n", nodes,
                        static_cast<unsigned long long>(expected));
            return 0;
        }
        if (run == 0 || elapsed < best)
            best = elapsed;
    }
    return best;
}

double mnps(uint64_t nodes, double seconds) { return seconds > 0 ? double(nodes) / seconds / 1e6 : 0; }

} // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "quick") == 0;
    const int  runs  = quick ? 1 : 3;
    std::signal(SIGPIPE, SIG_IGN);

    const std::string stockfish = find_stockfish();
    Topponent         engine;
    const bool        have_opponent = !stockfish.empty() && engine.start(stockfish);
    if (have_opponent)
        engine.send("uci\n");
    else
        std::printf("stockfish not found (PATH or /usr/games/stockfish): install it with "
                    "'apt-get install stockfish' or run scripts/bench_perft.sh; our figures only.\n");

    std::printf("%-9s %5s %12s | %-17s | %-17s | %-17s | %s\n", "position", "depth", "leaves",
                "make every node", "count last ply", "stockfish", "ratio to stockfish");
    std::printf("%-9s %5s %12s | %8s %8s | %8s %8s | %8s %8s | %6s %6s\n", "", "", "", "s", "Mnps", "s",
                "Mnps", "s", "Mnps", "make", "count");
    int failures = 0;
    for (size_t i = 0; i < sizeof POSITIONS / sizeof POSITIONS[0]; ++i) {
        const Tbench_position& p        = POSITIONS[i];
        const int              depth    = quick ? p.depth - 1 : p.depth;
        const uint64_t         expected = quick ? SHALLOWER_NODES[i] : p.nodes;
        if (!perft_setup(p.fen)) {
            std::printf("%s: the position was refused\n", p.name);
            return 1;
        }
        const double make_s  = time_perft(depth, Tperft_mode::make_every_node, expected, runs);
        const double count_s = time_perft(depth, Tperft_mode::count_last_ply, expected, runs);
        const double other_s = have_opponent ? time_opponent(engine, p, depth, expected, runs) : 0;
        failures += make_s == 0 || count_s == 0;

        std::printf("%-9s %5d %12llu | %8.3f %8.2f | %8.3f %8.2f |", p.name, depth,
                    static_cast<unsigned long long>(expected), make_s, mnps(expected, make_s), count_s,
                    mnps(expected, count_s));
        if (other_s > 0)
            std::printf(" %8.3f %8.2f | %6.2f %6.2f\n", other_s, mnps(expected, other_s),
                        make_s > 0 ? other_s / make_s : 0.0, count_s > 0 ? other_s / count_s : 0.0);
        else
            std::printf(" %8s %8s | %6s %6s\n", "-", "-", "-", "-");
        std::fflush(stdout);
    }
    std::printf("Mnps: millions of leaves per second, best of %d runs. Ratio: our speed over stockfish's, "
                "which counts at the last ply.\n",
                runs);
    return failures ? 1 : 0;
}
