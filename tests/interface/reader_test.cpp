// The command reader's pieces in process: typed moves (data/read_move.txt), numbers read like
// the C library's scanner (data/scan_numbers.txt), settings commands, and the time budget of a
// move (data/time_budget.txt).
#include <gtest/gtest.h>

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
// or "-" for none.
TEST(ReadMove, TableOfWords) {
    for (const Trow& row : read_rows("interface/data/read_move.txt")) {
        uint8_t types[64] = {};
        for (const std::string& piece : words(row[0]))
            types[sq(piece.substr(1))] = uint8_t(std::string(" pnbrqk").find(piece[0]));
        Move       move = 0xDEAD;
        const bool read = read_move(move, row[1].c_str(), types);
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
                config.max_sd,      config.noise};
};

TEST_F(SettingsCommand, LevelFormsClocksAndSubstringOrder) {
    const std::pair<const char*, int> lines[] = {
        {"level 40 5 0", 1}, {"level 0 0:30 2", 1}, {"level 0 2:90 1", 1}, {"level 7 x", 0},
        {"time 6000", 1},    {"otim 4500", 1},      {"time abc", 0}};
    for (const auto& [line, result] : lines)
        EXPECT_EQ(settings_command(line), result) << line;
    // The 30 seconds dropped out, 2:90 is three minutes; a failed form keeps what it read;
    // "otim" is tried before "time".
    EXPECT_EQ(config.level_moves, 7);
    EXPECT_EQ(config.level_minutes, 3);
    EXPECT_EQ(config.level_increment, 1);
    EXPECT_EQ(config.time_left, 6000);
    EXPECT_EQ(config.otim_left, 4500);

    config.book_on = 1;
    EXPECT_EQ(settings_command("selectivite book off"), 0); // selectivite first, badly formed
    EXPECT_EQ(config.book_on, 1);
    EXPECT_EQ(settings_command("logbook off"), 1); // book before log
    EXPECT_EQ(config.book_on, 0);
    EXPECT_EQ(config.log_on, 1);
    EXPECT_EQ(settings_command("ponder offside"), 1);
    EXPECT_EQ(config.ponder_on, 0);
    EXPECT_EQ(settings_command("ponder"), 1);
    EXPECT_EQ(config.ponder_on, 1);
    const int flip = config.flip;
    EXPECT_EQ(settings_command("flip"), 1);
    EXPECT_EQ(settings_command("flip "), 0); // "is" tests want the whole line
    EXPECT_EQ(config.flip, !flip);
    EXPECT_EQ(settings_command("white"), 1);
    EXPECT_EQ(settings_command("protover 2"), 0);

    write_file(dir.file("brelok.ini"), "a=1\nmax_sd=35\nb=2\n"); // numbers go to memory and file
    EXPECT_EQ(settings_command("max_sd 12"), 1);
    EXPECT_EQ(config.max_sd, 12);
    EXPECT_EQ(settings_command("noiseply -2"), 1);
    EXPECT_EQ(read_file(dir.file("brelok.ini")), "a=1\nmax_sd=12\nb=2\nnoise=-2\n");
}

// time left | moves per level | increment | game ply | analysing | seconds for the move
TEST(TimeBudget, FollowsClockLevelAndIncrement) {
    Tkeep saved(config.time_left, config.level_moves, config.level_increment, game.game_ply,
                config.analyze_mode);
    for (const Trow& row : read_rows("interface/data/time_budget.txt")) {
        config.time_left       = std::stoi(row[0]);
        config.level_moves     = std::stoi(row[1]);
        config.level_increment = std::stoi(row[2]);
        game.game_ply          = std::stoi(row[3]);
        config.analyze_mode    = uint8_t(std::stoi(row[4]));
        EXPECT_NEAR(Tplay::time_budget(), std::stod(row[5]), 1e-9) << row.where;
    }
}

} // namespace
