// Whole searches run in-process: a directory of their own for the engine's files, standard input
// that never yields a line, fixed settings, and everything put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "bench/bench_search.h"
#include "board/boarddata.h"
#include "board/notation.h"
#include "base/config.h"
#include "interface/in_temp_dir.h"
#include "interface/stdin_pipe.h"
#include "line_fixture.h"
#include "eval/hash_pawns.h"
#include "search/hash_table.h"
#include "search/search.h"

namespace search_test {

// Under a test driver standard input may well be closed: searches get a silent pipe instead.
using Tsilent_stdin = Tstdin_pipe;

// The settings and run-time fields a search test may change.
struct Tsaved_settings {
    int K_BEST_MODE = config.K_BEST_MODE, OPPONENT_TYPE = config.OPPONENT_TYPE, noise = config.noise;
    int DRAW_SCORE = config.DRAW_SCORE, min_sd = config.min_sd, max_sd = config.max_sd;
    int selectivite = config.selectivite, iid = config.USE_INTERNAL_ITERATIVE_DEEPENING;
    int combinations = config.USE_COMBINATION_EXTENSIONS, tb = config.USE_TB, learn = config.ENABLE_LEARN_BIN;
    int book = config.ENABLE_BOOK, pondering = config.ENABLE_PONDERING, pvs = config.USE_PVS_SEARCH;
    int failsoft = config.USE_FAILSOFT, null_move = config.USE_NULL_MOVE, moins1 = config.USE_MOINS1;
    int futility = config.USE_FUTILITY_SUPERIEUR, big_futility = config.USE_BIG_FUTILITY_SUPERIEUR;
    int in_game = config.in_game, xboard_mode = config.xboard_mode, fritz_mode = config.fritz_mode;
    int time_left = config.time_left, otim_left = config.otim_left;
    uint8_t     analyze_mode  = config.analyze_mode;
    std::string opponent_name = config.opponent_name;

    ~Tsaved_settings() {
        config.K_BEST_MODE                      = K_BEST_MODE;
        config.OPPONENT_TYPE                    = OPPONENT_TYPE;
        config.noise                            = noise;
        config.DRAW_SCORE                       = DRAW_SCORE;
        config.min_sd                           = min_sd;
        config.max_sd                           = max_sd;
        config.selectivite                      = selectivite;
        config.USE_INTERNAL_ITERATIVE_DEEPENING = iid;
        config.USE_COMBINATION_EXTENSIONS       = combinations;
        config.USE_TB                           = tb;
        config.ENABLE_LEARN_BIN                 = learn;
        config.ENABLE_BOOK                      = book;
        config.ENABLE_PONDERING                 = pondering;
        config.USE_PVS_SEARCH                   = pvs;
        config.USE_FAILSOFT                     = failsoft;
        config.USE_NULL_MOVE                    = null_move;
        config.USE_MOINS1                       = moins1;
        config.USE_FUTILITY_SUPERIEUR           = futility;
        config.USE_BIG_FUTILITY_SUPERIEUR       = big_futility;
        config.in_game                          = in_game;
        config.xboard_mode                      = xboard_mode;
        config.fritz_mode                       = fritz_mode;
        config.time_left                        = time_left;
        config.otim_left                        = otim_left;
        config.analyze_mode                     = analyze_mode;
        config.opponent_name                    = opponent_name;
        board_state.game_ply                    = 0;
    }
};

class Searching : public Tin_temp_dir {
  protected:
    void SetUp() override {
        Tin_temp_dir::SetUp();
        use_bench_settings(); // the defaults of the settings file, whatever the build dir holds
        config.noise = 1;
    }

    // Sets up the position; false when the FEN does not read.
    bool set_position(const char* fen, int game_ply = 0) {
        board_state.game_ply = game_ply;
        return root.set_fen(fen) == 1;
    }

    // Searches the root to `depth` plies, untimed; what it printed on standard output is kept
    // in `printed`.
    Move think(int depth, int in_game = 0) {
        testing::internal::CaptureStdout();
        const Move best = search.think(root, in_game, 0, depth, 0, 0, nullptr, 0);
        printed         = testing::internal::GetCapturedStdout();
        return best;
    }
    Move think(const char* fen, int depth, int in_game = 0) {
        EXPECT_TRUE(set_position(fen)) << fen;
        return think(depth, in_game);
    }

    // The root score of the last iteration run, and of one root move.
    static int root_score() { return search.iteration_score[search.last_iteration]; }
    static const Troot_move& entry(Move m) {
        static const Troot_move none{0, 0, SCORE_NOT_COMPUTED, 0, 0};
        const Troot_move* found = search.find_root_move(m);
        return found ? *found : none;
    }
    static std::string short_text(Move m) {
        char text[16];
        move_to_short(m, text, false);
        return text;
    }
    Move move(const char* from, const char* to) {
        const Move m = legal_move(root, from, to);
        EXPECT_NE(m, 0u) << from << to;
        return m;
    }

    Tsaved_settings saved;
    Tsilent_stdin   input;
    Tboarddata      root{};
    std::string     printed;
};

} // namespace search_test
