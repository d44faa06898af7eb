// The command reader's pieces in process: typed moves, settings commands and their numbers.
#include <gtest/gtest.h>

#include "board/types.h"
#include "interface/commands.h"
#include "base/config.h"
#include "in_temp_dir.h"

namespace {

// A board of piece types with the given pieces placed, e.g. {{"e7", PAWN}}.
struct Ttypes {
    uint8_t types[64] = {};
    Ttypes(std::initializer_list<std::pair<const char*, int>> pieces) {
        for (auto [square, type] : pieces)
            types[make_square(square[0] - 'a', square[1] - '1')] = uint8_t(type);
    }
};

Move read(const char* word, const Ttypes& board) {
    Move move = 0xDEAD;
    return read_move(move, word, board.types) ? move : 0xFFFFFFFF;
}

constexpr Move NOT_A_MOVE = 0xFFFFFFFF;

TEST(ReadMove, PromotionsNeedALowerCaseLetter) {
    const Ttypes board{{"e7", PAWN}, {"d8", ROOK}};
    EXPECT_EQ(read("e7e8q", board), make_move(60, 52, KIND_PROMO_QUEEN, EMPTY));
    EXPECT_EQ(read("e7d8n", board), make_move(59, 52, KIND_PROMO_KNIGHT, ROOK));
    EXPECT_EQ(read("e7e8", board), NOT_A_MOVE);
    EXPECT_EQ(read("e7e8Q", board), NOT_A_MOVE);
    EXPECT_EQ(read("e7e8k", board), NOT_A_MOVE);
}

TEST(ReadMove, CastlingIgnoresCaseOtherKingMovesDoNot) {
    const Ttypes board{{"e1", KING}, {"e8", KING}, {"h1", ROOK}};
    EXPECT_EQ(read("E1G1", board), CASTLE_KING_MOVE);
    EXPECT_EQ(read("e8c8", board), CASTLE_QUEEN_MOVE);
    EXPECT_EQ(read("e1f2", board), make_move(13, 4, KIND_KING, EMPTY));
    EXPECT_EQ(read("E1F2", board), make_move(13, 4, KIND_KING, EMPTY));
}

TEST(ReadMove, PawnToAnEmptySquareOfAnotherFileIsEnPassant) {
    const Ttypes board{{"d5", PAWN}, {"e5", PAWN}, {"c6", KNIGHT}};
    EXPECT_EQ(read("d5e6", board), make_move(44, 35, KIND_EN_PASSANT, PAWN));
    EXPECT_EQ(read("d5c6", board), make_move(42, 35, KIND_PAWN, KNIGHT));
    EXPECT_EQ(read("d5d6", board), make_move(43, 35, KIND_PAWN, EMPTY));
}

TEST(ReadMove, MalformedWordsAreNotMoves) {
    const Ttypes board{{"e2", PAWN}, {"a1", ROOK}};
    for (const char* word : {"e2e", "", "e3e4", "i2i4", "e0e4", "e2e9", "xyzw", "a1a\xff"})
        EXPECT_EQ(read(word, board), NOT_A_MOVE) << word;
    EXPECT_EQ(read("a1a8extra", board), make_move(56, 0, KIND_ROOK, EMPTY));
}

TEST(ScanNumbers, ReadsLikeTheCLibraryScanner) {
    int a = 0, b = 0, c = 0;
    int* const targets[] = {&a, &b, &c};
    EXPECT_EQ(scan_numbers("level 40 5 0", "level %d %d %d", targets, 3), 3);
    EXPECT_EQ(scan_numbers("level   +7   -3 x", "level %d %d %d", targets, 3), 2);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, -3);
    EXPECT_EQ(scan_numbers("level40 1:30", "level %d %d:%d", targets, 3), 3); // blanks optional
    EXPECT_EQ(c, 30);
    EXPECT_EQ(scan_numbers(" time 5", "time %d", targets, 1), 0);
    EXPECT_EQ(scan_numbers("time 99999999999", "time %d", targets, 1), 0);
    EXPECT_EQ(scan_numbers("time +-5", "time %d", targets, 1), 0);
}

class SettingsCommand : public Tin_temp_dir {};

TEST_F(SettingsCommand, LevelFormsAndClocks) {
    EXPECT_EQ(settings_command("level 40 5 0"), 1);
    EXPECT_EQ(config.level_moves, 40);
    EXPECT_EQ(config.level_minutes, 5);
    EXPECT_EQ(config.level_increment, 0);
    EXPECT_EQ(settings_command("level 0 0:30 2"), 1);
    EXPECT_EQ(config.level_moves, 0);
    EXPECT_EQ(config.level_minutes, 0); // the 30 seconds drop out
    EXPECT_EQ(config.level_increment, 2);
    EXPECT_EQ(settings_command("level 0 2:90 1"), 1);
    EXPECT_EQ(config.level_minutes, 3);
    // A failed form keeps what it read.
    EXPECT_EQ(settings_command("level 7 x"), 0);
    EXPECT_EQ(config.level_moves, 7);

    EXPECT_EQ(settings_command("time 6000"), 1);
    EXPECT_EQ(settings_command("otim 4500"), 1); // "otim" is tried before "time"
    EXPECT_EQ(config.time_left, 6000);
    EXPECT_EQ(config.otim_left, 4500);
    EXPECT_EQ(settings_command("time abc"), 0);
    EXPECT_EQ(config.time_left, 6000);
}

TEST_F(SettingsCommand, SubstringOrderDecides) {
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
    settings_command("flip");
    EXPECT_EQ(settings_command("white"), 1);
    EXPECT_EQ(settings_command("protover 2"), 0);
}

TEST_F(SettingsCommand, NumberSettingsGoToMemoryAndFile) {
    const int max_sd = config.max_sd, noise = config.noise;
    write_file(dir.file("brelok.ini"), "a=1\nmax_sd=35\nb=2\n");
    EXPECT_EQ(settings_command("max_sd 12"), 1);
    EXPECT_EQ(config.max_sd, 12);
    EXPECT_EQ(settings_command("noiseply -2"), 1);
    EXPECT_EQ(read_file(dir.file("brelok.ini")), "a=1\nmax_sd=12\nb=2\nnoise=-2\n");
    config.max_sd = max_sd;
    config.noise  = noise;
}

} // namespace
