// Moves and positions as text: coordinate moves read and written (and every legal move of the
// perft trees read back), the short algebraic form, FEN writing, the board diagram, the EPD
// files and the line of moves printed from a record. Cases in data/notation.txt.
#include <gtest/gtest.h>
#include <unistd.h>

#include "base/config.h"
#include "base/data_rows.h"
#include "board/notation.h"
#include "interface/in_temp_dir.h"
#include "perft.h"

namespace {

Tboarddata record;

Square sq(const std::string& name) {
    return name == "-" ? NO_SQUARE : make_square(name[0] - 'a', name[1] - '1');
}

// "FROM TO KIND [CAPTURED]": squares by name ("-" for none), the kind by number, the captured
// type by its letter.
Move spec_move(const std::string& spec) {
    const std::vector<std::string> w        = words(spec);
    const int                      captured = w.size() > 3 ? int(std::string(" pnbrqk").find(w[3][0])) : 0;
    return make_move(sq(w[1]), sq(w[0]), std::stoi(w[2]), captured);
}

TEST(Notation, TableOfCases) {
    for (const Trow& row : read_rows("board/data/notation.txt")) {
        char text[16] = {};
        if (row[0] == "read") {
            ASSERT_EQ(record.set_fen(row[1].c_str()), 1) << row.where;
            Move              m = 0;
            std::vector<char> word(row[2].c_str(), row[2].c_str() + row[2].size() + 1); // over-reads show
            const int         read = coord_to_move(m, word.data(), board_state.board_type);
            EXPECT_EQ(read ? m : 0, row[3] == "-" ? 0 : spec_move(row[3])) << row.where;
        } else if (row[0] == "write") {
            EXPECT_EQ(move_to_coord(spec_move(row[1]), text, row.number(2)), 1);
            EXPECT_EQ(text, row[3]) << row.where;
        } else if (row[0] == "short") {
            EXPECT_EQ(move_to_short(spec_move(row[1]), text, row[2] == "1"), 1);
            EXPECT_EQ(text, row[3]) << row.where;
        } else {
            ASSERT_EQ(record.set_fen(row[1].c_str()), 1) << row.where;
            EXPECT_EQ(record.get_fen(), row[2] + " ") << row.where;
        }
    }
}

// Every legal move written in coordinates reads back as the very same word: this ties writer,
// reader and generator together (castling words, en-passant captured field, promotions).
struct Tround_trip : Tperft_observer {
    std::string failures;
    void        before_make(const Tboarddata& parent, Move m) override {
        char text[8];
        move_to_coord(m, text, parent.side);
        Move back = 0;
        if ((coord_to_move(back, text, board_state.board_type) != 1 || back != m) && failures.size() < 500)
            failures += std::string(text) + " in " + parent.get_fen() + "\n";
    }
};

TEST(Notation, EveryLegalMoveReadsBack) {
    for (const Tperft_case& c : read_perft_file(shared_file("perftsuite.epd"))) {
        ASSERT_TRUE(perft_setup(c.fen));
        Tround_trip check;
        perft_observed(2, check);
        EXPECT_EQ(check.failures, "");
    }
}

// A word the board no longer matches can reach the printers from the bug reports: they print
// something without reading past their tables (the sanitizers watch).
TEST(Notation, CorruptWordsStayInBounds) {
    for (Move m : {make_move(200, 100, KIND_KNIGHT, 9), make_move(64, 255, 40, 200),
                   make_move(NO_SQUARE, 3, 99), make_move(12, 70, KIND_PAWN, 3)}) {
        char text[16];
        EXPECT_EQ(move_to_short(m, text, true), 1);
        EXPECT_LE(std::string(text).size(), 8u);
        EXPECT_EQ(move_to_coord(m, text, WHITE), 1);
        EXPECT_LE(std::string(text).size(), 5u);
    }
    char text[16];
    move_to_short(make_move(200, sq("g1"), KIND_KNIGHT), text, false);
    EXPECT_STREQ(text, "N??");
}

// The en-passant rank of each side is in the table (the "fen" rows).
TEST(FenWriting, OffBoardEnPassantSearchFlagsAndUnknownCodes) {
    ASSERT_EQ(record.set_fen(STANDARD_START_FEN), 1);
    record.side    = BLACK;
    record.ep_file = 8; // off the board: no square rather than a stray character
    record.castle  = WHITE_OOO | BLACK_OO | CASTLE_EXTENDED_FLAG; // search flags are not rights
    EXPECT_EQ(record.get_fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b Qk - ");

    int8_t squares[64] = {};
    squares[sq("a1")]  = 6;
    squares[sq("h8")]  = -6;
    squares[sq("c2")]  = -1;
    squares[sq("d4")]  = 9;
    squares[sq("h4")]  = -7;
    testing::internal::CaptureStdout();
    EXPECT_EQ(Ttools::SIGNED_PIECE2SAN(squares), "7k/8/8/8/3 3 /8/2p5/K7");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Ttools::SIGNED_PIECE2SAN : piece 9 inconnue\n"
                                                      "Ttools::SIGNED_PIECE2SAN : piece -7 inconnue\n");
}

class NotationFiles : public Tin_temp_dir {};

TEST_F(NotationFiles, PrintAppendAndBugTrail) {
    ASSERT_EQ(record.set_fen("7k/8/8/8/8/8/8/K7 w - -"), 1);
    EXPECT_EQ(printed_by([] { record.print_fen(); }), "7k/8/8/8/8/8/8/K7 w - - \n");
    record.append_epd("positions.epd");
    write_bug_epd();
    ASSERT_EQ(record.set_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"), 1);
    write_bug_epd();
    EXPECT_EQ(read_file("positions.epd"), "7k/8/8/8/8/8/8/K7 w - - \n");
    EXPECT_EQ(read_file("bug.epd"),
              "7k/8/8/8/8/8/8/K7 w - - \nrnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 \n");
}

TEST(BoardDiagram, BothOrientationsAndUnknownCodes) {
    ASSERT_EQ(record.set_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"), 1);
    const int saved_flip = config.flip;
    for (int flip : {0, -1, 1}) {
        config.flip = flip;
        EXPECT_EQ(printed_by(print_board),
                  test_data(flip > 0 ? "board/data/diagram_flipped.txt" : "board/data/diagram.txt"));
    }
    config.flip = saved_flip;
    ASSERT_EQ(record.set_fen("7k/8/8/8/8/8/8/K7 w - -"), 1);
    board_state.board[sq("b8")] = 8; // a code no piece has: reported where it is met, shown blank
    EXPECT_EQ(printed_by(print_board), test_data("board/data/diagram_unknown.txt"));
    board_state.board[sq("b8")] = 0;
}

TEST(MoveLine, MovesFromTheRootWithDepthSteps) {
    static Tboarddata line[5] = {};
    line[0].move              = spec_move("d2 d4 1"); // played before the line began
    line[0].depth             = 240;
    const char* const moves[] = {"e2 e4 1", "e7 e5 1", "g1 f3 2", "f3 e5 2 p"};
    const int         depth[] = {180, 180, 90, -6000}; // one ply, extended, reduced, quiescence
    for (int i = 1; i <= 4; ++i) {
        line[i].parent = &line[i - 1];
        line[i].move   = spec_move(moves[i - 1]);
        line[i].depth  = depth[i - 1];
    }
    EXPECT_EQ(printed_by([] { line[4].print_line(true, true); }), "e4 e5(60) Nf3(-30) Nxe5 \n");
    EXPECT_EQ(printed_by([] { line[4].print_line(false, false), line[0].print_line(true, false); }),
              "e4 e5 Nf3 Nxe5 ");
    line[1].parent = &line[1]; // a record being made points at itself for a moment
    EXPECT_EQ(printed_by([] { line[1].print_line(true, true); }), "\n");
}

} // namespace
