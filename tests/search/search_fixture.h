// Whole searches run in process: a directory of their own for the engine's files, standard input
// that never yields a line, the benchmark's settings, and everything put back afterwards.
#pragma once

#include <functional>
#include <gtest/gtest.h>
#include <sstream>

#include "base/config.h"
#include "base/keep_values.h"
#include "bench/bench_search.h"
#include "board/notation.h"
#include "interface/in_temp_dir.h"
#include "line_fixture.h"
#include "search/search.h"

namespace search_test {

// The text a search printed, with the seconds and nodes of its thinking lines and the figures of
// its statistics shown as *: what is left does not change from run to run.
inline std::string without_figures(const std::string& text) {
    std::istringstream in(text);
    std::string        out;
    for (std::string line; std::getline(in, line); out += line + "\n") {
        if (line.rfind(" time:", 0) == 0 || line.rfind(" HT Hit:", 0) == 0)
            line = line.substr(0, line.find(':') + 1) + "*";
        for (const auto& [from, size] : {std::pair<size_t, size_t>{12, 3}, {17, 7}})
            if (line.size() > from + size && line.find_first_not_of(" 0123456789", from) >= from + size
                && line.find_first_of("0123456789", from) < from + size)
                line.replace(from, size, std::string(size, '*'));
    }
    return out;
}

// Sees every node of the searches run while it lives: the poll reads the input at a node once the
// ticker has ticked, and the watcher ticks again each time. It answers the command read there.
class Twatch_nodes {
  public:
    explicit Twatch_nodes(std::function<int()> watch) {
        watcher()           = std::move(watch);
        search_input_reader = [](int) {
            config.tick = 1;
            return watcher()();
        };
        config.tick = 1;
    }
    ~Twatch_nodes() { search_input_reader = previous; }

  private:
    static std::function<int()>& watcher() {
        static std::function<int()> watch;
        return watch;
    }
    Tinput_reader previous = search_input_reader;
};

class Searching : public Tin_temp_dir {
  protected:
    void SetUp() override {
        Tin_temp_dir::SetUp();
        use_bench_settings(); // the defaults of the settings file, whatever the build dir holds
        config.noise = 1;
    }
    void TearDown() override {
        board_state.game_ply = 0;
        Tin_temp_dir::TearDown();
    }
    bool set_position(const char* fen, int game_ply = 0) {
        board_state.game_ply = game_ply;
        return root.set_fen(fen) == 1;
    }
    // Searches the root to `depth` plies, untimed; what it printed is kept in `printed`.
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
    static int               root_score() { return search.iteration_score[search.last_iteration]; }
    static const Troot_move& entry(Move m) {
        static const Troot_move none{0, 0, SCORE_NOT_COMPUTED, 0, 0};
        const Troot_move*       found = search.find_root_move(m);
        return found ? *found : none;
    }
    Move move(const char* from, const char* to) {
        const Move m = legal_move(root, from, to);
        EXPECT_NE(m, 0u) << from << to;
        return m;
    }

    Tkeep       saved{config.K_BEST_MODE, config.noise,        config.min_sd,        config.max_sd,
                config.USE_TB,      config.in_game,      config.xboard_mode,   config.time_left,
                config.otim_left,   config.analyze_mode, config.opponent_name, config.searching,
                config.DRAW_SCORE};
    Tstdin_pipe input; // under a test driver standard input may be closed: a silent pipe instead
    Tboarddata  root{};
    std::string printed;
};

} // namespace search_test
