#include "bench/bench_search.h"

#include "base/config.h"
#include "base/console.h"
#include "board/boarddata.h"
#include "eval/hash_pawns.h"
#include "search/hash_table.h"
#include "search/search.h"
#include "tools/benchmark_positions.h"

void use_bench_settings() {
    // The defaults of brelok.ini: a settings file left in the working directory must not change
    // the signature.
    config.K_BEST_MODE                      = 1;
    config.OPPONENT_TYPE                    = 0;
    config.DRAW_SCORE                       = 0;
    config.min_sd                           = 1;
    config.max_sd                           = 35;
    config.selectivite                      = 25;
    config.USE_INTERNAL_ITERATIVE_DEEPENING = 1;
    config.USE_COMBINATION_EXTENSIONS       = 1;
    config.USE_PVS_SEARCH                   = 1;
    config.USE_FAILSOFT                     = 1;
    config.USE_NULL_MOVE                    = 1;
    config.USE_MOINS1                       = 1;
    config.USE_FUTILITY_SUPERIEUR           = 0;
    config.USE_BIG_FUTILITY_SUPERIEUR       = 0;
    config.USE_TB                           = 0;
    config.ENABLE_LEARN_BIN                 = 0;
    config.ENABLE_BOOK                      = 0;
    config.ENABLE_PONDERING                 = 0;
    config.analyze_mode                     = 0;
    config.fritz_mode                       = 0;
    config.opponent_name.clear();
    config.noise = 99; // no thinking lines: the searches stop well before
    hash_tables  = Thashtables(BENCH_SIZE_HT);
    hash_pawns   = Thashpawns(BENCH_SIZE_HP);
}

Tbench_result bench_position(int index, int depth) {
    Tboarddata    root;
    Tbench_result result;
    if (root.set_fen(BENCHMARK_POSITIONS[index]) != 1)
        return result;
    // Outside a game the search clears both hash tables itself; the pawn table is cleared here so
    // that an evaluation outside the search cannot leave anything behind.
    hash_tables.clear();
    hash_pawns.clear();
    result.side      = root.side;
    result.best_move = search.think(root, 0, 0, depth, 0, 0, nullptr, 0);
    result.score     = search.iteration_score[search.last_iteration];
    result.nodes     = search.total_nodes();
    result.seconds   = search.elapsed();
    return result;
}
