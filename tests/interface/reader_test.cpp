// The command reader's pieces in process: typed moves (data/read_move.txt), numbers read like
// the C library's scanner (data/scan_numbers.txt), settings commands (data/settings_commands.txt),
// and the time budget of a move (data/time_budget.txt).
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

#include "base/config.h"
#include "base/data_rows.h"
#include "base/keep_values.h"
#include "in_temp_dir.h"
#include "interface/commands.h"
#include "interface/game.h"
#include "interface/play.h"

namespace {

Square sq(const std::string& name) { return make_square(name[0] - 'a', name[1] - '1'); }

// pieces on the board (type letter and square) | word | the move read: "FROM TO KIND CAPTURED",
// or "-" for none | side to move (b: Black; White otherwise).
TEST(ReadMove, TableOfWords) {
    for (const Trow& row : read_rows("interface/data/read_move.txt")) {
        uint8_t types[64] = {};
        for (const std::string& piece : words(row[0]))
            types[sq(piece.substr(1))] = uint8_t(std::string(" pnbrqk").find(piece[0]));
        Move       move = 0xDEAD;
        const bool read = read_move(move, row[1].c_str(), types, row[3] == "b" ? BLACK : WHITE);
        const auto w    = words(row[2]);
        const Move want =
            w.size() < 3 ? 0
                         : make_move(w[1] == "-" ? NO_SQUARE : sq(w[1]), w[0] == "-" ? NO_SQUARE : sq(w[0]),
                                     std::stoi(w[2]), w.size() > 3 ? std::stoi(w[3]) : 0);
        EXPECT_EQ(read ? move : 0, want) << row.where;
    }
}

// text | format | numbers read and their values
TEST(ScanNumbers, TableOfTexts) {
    for (const Trow& row : read_rows("interface/data/scan_numbers.txt")) {
        int         values[3] = {0, 0, 0};
        int* const  targets[] = {&values[0], &values[1], &values[2]};
        const int   read      = scan_numbers(row[0].c_str(), row[1].c_str(), targets, 3);
        std::string got       = std::to_string(read);
        for (int i = 0; i < read; ++i)
            got += " " + std::to_string(values[i]);
        EXPECT_EQ(got, row[2]) << row.where;
    }
}

class SettingsCommand : public Tin_temp_dir {
  protected:
    Tkeep saved{config.level_moves, config.level_minutes, config.level_increment, config.time_left,
                config.otim_left,   config.book_on,       config.ponder_on,       config.flip,
                config.max_sd,      config.noise,         config.min_sd,          config.selectivite,
                config.DRAW_SCORE};
};

// line | what the command returns | settings after it: data/settings_commands.txt.
TEST_F(SettingsCommand, TableOfLines) {
    // clang-format off
    const std::map<std::string, int*> settings{
        {"level_moves", &config.level_moves}, {"level_minutes", &config.level_minutes},
        {"time_left", &config.time_left},     {"otim_left", &config.otim_left},     {"book_on", &config.book_on}, {"log_on", &config.log_on},
        {"ponder_on", &config.ponder_on},     {"flip", &config.flip},       {"max_sd", &config.max_sd},
        {"noise", &config.noise},             {"min_sd", &config.min_sd}, {"selectivite", &config.selectivite},
        {"DRAW_SCORE", &config.DRAW_SCORE}};
    // clang-format on
    config.book_on = 1;
    config.flip    = 0;
    write_file(dir.file("brelok.ini"), "a=1\nmax_sd=35\nb=2\n");
    for (const Trow& row : read_rows("interface/data/settings_commands.txt")) {
        EXPECT_EQ(settings_command(row[0].c_str()), row.number(1)) << row.where;
        for (const std::string& check : words(row[2])) {
            const std::string name = check.substr(0, check.find('='));
            char              increment[32];
            snprintf(increment, sizeof increment, "%g", config.level_increment);
            std::string value = name == "file"              ? read_file(dir.file("brelok.ini"))
                                : name == "level_increment" ? increment
                                                            : std::to_string(*settings.at(name));
            std::replace(value.begin(), value.end(), '\n', '/');
            EXPECT_EQ(value, check.substr(name.size() + 1)) << row.where;
        }
    }
}

// time left | moves per level | increment | game ply | analysing | target | most for the move
TEST(TimeBudget, FollowsClockLevelAndIncrement) {
    Tkeep saved(config.time_left, config.level_moves, config.level_increment, game.game_ply,
                config.analyze_mode);
    for (const Trow& row : read_rows("interface/data/time_budget.txt")) {
        config.time_left          = std::stoi(row[0]);
        config.level_moves        = std::stoi(row[1]);
        config.level_increment    = std::stod(row[2]);
        game.game_ply             = std::stoi(row[3]);
        config.analyze_mode       = uint8_t(std::stoi(row[4]));
        const Ttime_budget budget = Tplay::time_budget();
        EXPECT_NEAR(budget.target, std::stod(row[5]), 1e-9) << row.where;
        EXPECT_NEAR(budget.limit, std::stod(row[6]), 1e-6) << row.where;
    }
}

} // namespace
