// Evaluation speed: full evaluations per second over every position of a perft walk (depth 3)
// from the eight benchmark positions, with the pawn hash working and with the pawn structure
// forgotten before every call. The walk alone is timed too and taken off.
//
//   eval_bench           depth 3
//   eval_bench quick     depth 2 (a smoke run)
#include <chrono>
#include <cstdio>
#include <cstring>

#include "board/boarddata.h"
#include "eval/evaluate.h"
#include "eval/hash_pawns.h"

namespace {

// The benchmark positions of the speed tests (first four FEN fields).
const char* const BENCH_POSITIONS[8] = {
    "r3kb1r/3n1pp1/p6p/2pPp2q/Pp2N3/3B2PP/1PQ2P2/R3K2R w KQkq -",
    "2r2r2/3qbpkp/p3n1p1/2ppP3/6Q1/1P1B3R/PBP3PP/5R1K w - -",
    "3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - -",
    "rnbqkb1r/p3pppp/1p6/2ppP3/3N4/2P5/PPP1QPPP/R1B1KB1R w KQkq -",
    "4b3/p3kp2/6p1/3pP2p/2pP1P2/4K1P1/P3N2P/8 w - -",
    "r3r1k1/ppqb1ppp/8/4p1NQ/8/2P5/PP3PPP/R3R1K1 b - -",
    "2r2rk1/1bqnbpp1/1p1ppn1p/pP6/N1P1P3/P2B1N1P/1B2QPP1/R2R2K1 b - -",
    "r1bqk2r/pp2bppp/2p5/3pP3/P2Q1P2/2N1B3/1PP3PP/R4RK1 b kq -",
};

enum class Tmode { walk_only, with_pawn_hash, without_pawn_hash };

Tboarddata records[8];
uint64_t   evaluations;
int64_t    checksum; // keeps the evaluations from being optimised away

void forget_pawn_structure() {
    current_pawn_entry.clear();
    if (Tpawn_entry* slot = hash_pawns.slot(board_state.pawn_key))
        slot->clear();
}

void visit(Tboarddata* node, int depth, Tmode mode) {
    if (mode != Tmode::walk_only) {
        if (mode == Tmode::without_pawn_hash)
            forget_pawn_structure();
        eval(*node, -SCORE_NOT_COMPUTED, SCORE_NOT_COMPUTED);
        checksum += node->eval_score;
        ++evaluations;
    }
    if (depth == 0)
        return;
    node->gen_legal();
    for (int i = 1; i <= node->nb_moves; ++i) {
        const Move m = node->moves[i];
        node[1].make_child(m, node, false);
        visit(node + 1, depth - 1, mode);
        unmake(m, node);
    }
}

double run(int depth, Tmode mode) {
    hash_pawns.clear();
    evaluations      = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const char* fen : BENCH_POSITIONS) {
        if (records[0].set_fen(fen) != 1) {
            fprintf(stderr, "cannot set up %s\n", fen);
            continue;
        }
        prepare_evaluation(records[0]);
        visit(&records[0], depth, mode);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Best of three, so that a busy moment of the machine does not decide the figure.
double best_of_three(int depth, Tmode mode) {
    double best = run(depth, mode);
    for (int k = 0; k < 2; ++k) {
        const double t = run(depth, mode);
        if (t < best)
            best = t;
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    const int    depth = argc > 1 && strcmp(argv[1], "quick") == 0 ? 2 : 3;
    const double walk  = best_of_three(depth, Tmode::walk_only);
    for (const Tmode mode : {Tmode::with_pawn_hash, Tmode::without_pawn_hash}) {
        const uint64_t before_pawn_evals = eval_stats.pawn_evals;
        const double   total             = best_of_three(depth, mode);
        const double   net               = total - walk;
        const double   pawn_evals        = double(eval_stats.pawn_evals - before_pawn_evals) / 3;
        const double   per_second        = net > 0 ? double(evaluations) / net : 0.0;
        printf(
            "%-18s %9llu evaluations in %.3f s (walk %.3f s): %.0f evaluations/s, %.1f%% pawn evaluations\n",
            mode == Tmode::with_pawn_hash ? "with pawn hash" : "without pawn hash",
            static_cast<unsigned long long>(evaluations), net, walk, per_second,
            100.0 * pawn_evals / double(evaluations));
    }
    printf("checksum %lld\n", static_cast<long long>(checksum));
    return 0;
}
