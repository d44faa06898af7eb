// Tablebase speed: probes per second on random legal kqkr and krkp positions whose chunks are in
// the cache, the same over whole tables (misses read the files), and megabytes per second of
// compressed blocks expanded (the tests' krk file). kqkr is solved by the test tools (real values,
// a few seconds); krkp holds made-up bytes of the right length, which is all the probe's speed
// depends on.
//
//   tablebase_bench          about 2 seconds per figure
//   tablebase_bench quick    a smoke run
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <vector>

#include "base/config.h"
#include "board/boarddata.h"
#include "solver.h"
#include "tablebases/probe.h"

namespace {

// Processor time: the figures stay meaningful on a busy machine.
using Tclock_time = std::clock_t;
Tclock_time now() { return std::clock(); }
double      seconds_since(Tclock_time start) { return double(std::clock() - start) / CLOCKS_PER_SEC; }

// What the probe reads of the board.
struct Tsnapshot {
    int      side;
    Square   king[2];
    Bitboard queens[2], rooks[2], pawns[2];
};

void load(const Tsnapshot& p) {
    Tboard& b = board_state;
    for (int c = 0; c < 2; ++c) {
        b.king_sq[c]    = p.king[c];
        b.queens_bb[c]  = p.queens[c];
        b.rooks_bb[c]   = p.rooks[c];
        b.pawns_bb[c]   = p.pawns[c];
        b.bishops_bb[c] = b.knights_bb[c] = 0;
        b.nb_queens[c]                    = popcount(p.queens[c]);
        b.nb_rooks[c]                     = popcount(p.rooks[c]);
        b.nb_pawns[c]                     = popcount(p.pawns[c]);
        b.nb_bishops[c] = b.nb_knights[c] = 0;
        b.nb_pieces[c]                    = b.nb_queens[c] + b.nb_rooks[c];
    }
}

// Random legal positions of a class (White's men first); with `chunks_every` > 0 only those whose
// chunk is one of every `chunks_every`-th, at most 30 per table side, so that all fit the cache.
std::vector<Tsnapshot> positions(const char* name, int count, uint32_t chunks_every, std::mt19937& random) {
    const tb_test::Tmaterial m  = tb_test::material_of(name);
    const int                id = class_of(counts_of_name(name));
    std::vector<Tsnapshot>   found;
    while (int(found.size()) < count) {
        tb_test::Tsquares sq;
        for (int& s : sq)
            s = int(random() % 64);
        const int side = int(random() % 2);
        if (!tb_test::is_legal(m, sq, side))
            continue;
        tb::Tmen men;
        men.wk               = sq[0];
        men.bk               = sq[1];
        men.w1               = sq[2];
        men.b1               = sq[3];
        const uint32_t chunk = tb_classes[id].index[side](men, 0, tb::NO_EP) / TB_CHUNK;
        if (chunks_every && (chunk % chunks_every != 0 || chunk / chunks_every >= 30))
            continue;
        Tsnapshot p{side, {sq[0], sq[1]}, {}, {}, {}};
        for (int i = 0; i < 2; ++i) {
            const int type = i == 0 ? m.white[0] : m.black[0];
            Bitboard* set  = type == QUEEN ? p.queens : type == ROOK ? p.rooks : p.pawns;
            set[i] |= square_bb(sq[size_t(2 + i)]);
        }
        found.push_back(p);
    }
    return found;
}

void time_probes(const char* what, const std::vector<Tsnapshot>& all, double budget) {
    Tboarddata node{};
    node.ep_file    = NO_SQUARE;
    node.depth      = 10 * ONE_PLY;
    board_state.ply = 0;
    int64_t hits = 0, probes = 0, checksum = 0;
    for (const Tsnapshot& p : all) { // warm the cache
        load(p);
        node.side = p.side;
        probe(node);
    }
    const Tclock_time start = now();
    double            spent = 0;
    do {
        for (const Tsnapshot& p : all) {
            load(p);
            node.side = p.side;
            hits += probe(node);
            checksum += node.eval_score;
        }
        probes += int64_t(all.size());
    } while ((spent = seconds_since(start)) < budget);
    std::printf("%-34s %10.0f probes/s  (%lld probes, %lld hits, check %lld)\n", what, double(probes) / spent,
                static_cast<long long>(probes), static_cast<long long>(hits),
                static_cast<long long>(checksum));
}

void time_expansion(double budget) {
    const std::vector<uint8_t> file = tb_test::hex_fixture("krk.nbw.emd.hex");
    tb::Temd_file              emd;
    uint32_t                   length = 0;
    int                        bits   = 0;
    if (tb::parse_emd_header(file.data(), file.size(), file.size(), emd, length, bits) != tb::EMD_OK) {
        std::printf("compressed file refused\n");
        return;
    }
    int stored = 0;
    for (uint32_t k = 0; k < emd.nb_blocks; ++k)
        stored += emd.offsets[k + 1] - emd.offsets[k] == (k + 1 == emd.nb_blocks ? emd.last_size : TB_CHUNK);
    std::vector<int8_t> out(TB_CHUNK + 64);
    uint64_t            bytes = 0;
    const Tclock_time   start = now();
    double              spent = 0;
    do {
        for (uint32_t k = 0; k < emd.nb_blocks; ++k) {
            const uint32_t expected = k + 1 == emd.nb_blocks ? emd.last_size : TB_CHUNK;
            if (!tb::expand_block(emd, file.data() + emd.offsets[k], emd.offsets[k + 1] - emd.offsets[k],
                                  out.data(), expected))
                std::printf("block %u refused\n", k);
            bytes += expected;
        }
    } while ((spent = seconds_since(start)) < budget);
    std::printf("%-34s %10.1f MB/s     (%u blocks, %d stored raw, file %.1f%% of the table)\n",
                "expanding krk.nbw.emd blocks", double(bytes) / spent / 1e6, emd.nb_blocks, stored,
                100.0 * double(file.size()) / double(length));
}

} // namespace

int main(int argc, char** argv) {
    const bool                  quick  = argc > 1 && std::strcmp(argv[1], "quick") == 0;
    const double                budget = quick ? 0.2 : 2.0;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path()
        / ("brelok_tb_bench_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(dir);

    const Tclock_time start = now();
    for (int side = 0; side < 2; ++side)
        tb_test::write_bytes((dir / (side ? "kqkr.nbb" : "kqkr.nbw")).string(),
                             tb_test::make_table("kqkr", side));
    std::printf("kqkr solved and written in %.1f s\n", seconds_since(start));
    for (int side = 0; side < 2; ++side) {
        std::vector<char> bytes(tb_classes[class_of(counts_of_name("krkp"))].expected[side]);
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 2654435761u >> 24) % 120;
        FILE* f = std::fopen((dir / (side ? "krkp.nbb" : "krkp.nbw")).string().c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    config.USE_TB = 1;
    if (!tablebases.allocate_cache() || tablebases.init_tables(dir.string()) != 4) {
        std::printf("tables not registered\n");
        return 1;
    }
    std::mt19937           random(12345);
    std::vector<Tsnapshot> cached     = positions("kqkr", 20000, 6, random),
                           spread     = positions("kqkr", 20000, 0, random);
    const std::vector<Tsnapshot> more = positions("krkp", 20000, 20, random),
                                 wide = positions("krkp", 20000, 0, random);
    cached.insert(cached.end(), more.begin(), more.end());
    spread.insert(spread.end(), wide.begin(), wide.end());
    std::shuffle(cached.begin(), cached.end(), random);
    std::shuffle(spread.begin(), spread.end(), random);

    time_probes("probes from cached chunks", cached, budget);
    const uint64_t reads = tablebases.chunk_reads;
    time_probes("probes over whole tables", spread, budget);
    std::printf("%-34s %10llu\n", "  chunks read by those",
                static_cast<unsigned long long>(tablebases.chunk_reads - reads));
    time_expansion(budget);

    tablebases.init_tables("");
    std::filesystem::remove_all(dir);
    return 0;
}
