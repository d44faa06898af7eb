// Moves and positions as text: coordinate moves written and read (and read back from every legal
// move of a few trees), the short algebraic form, FEN/EPD writing, the board diagram and the line
// of moves printed from a record.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "board/boarddata.h"
#include "board/notation.h"
#include "base/config.h"
#include "perft.h"

namespace {

// Collects what the engine writes to standard output between construction and finish().
class Tstdout_capture {
  public:
    Tstdout_capture() {
        fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        file_  = tmpfile();
        dup2(fileno(file_), STDOUT_FILENO);
    }
    ~Tstdout_capture() { finish(); }

    std::string finish() {
        if (file_ == nullptr)
            return text_;
        fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
        rewind(file_);
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, file_)) > 0)
            text_.append(buffer, n);
        fclose(file_);
        file_ = nullptr;
        return text_;
    }

  private:
    int         saved_ = -1;
    FILE*       file_  = nullptr;
    std::string text_;
};

std::string coord(Move m, int side) {
    char text[6];
    EXPECT_EQ(move_to_coord(m, text, side), 1);
    return text;
}

std::string short_form(Move m, bool with_origin) {
    char text[9];
    EXPECT_EQ(move_to_short(m, text, with_origin), 1);
    return text;
}

// Reads a coordinate move against the current board; 0 stands for "refused".
Move read_coord(const char* text) {
    Move m = 0;
    return coord_to_move(m, text, board_state.board_type) ? m : 0;
}

Tboarddata record;

void setup(const char* fen) { ASSERT_EQ(record.set_fen(fen), 1) << fen; }

constexpr Square sq(const char* name) { return make_square(name[0] - 'a', name[1] - '1'); }

} // namespace

TEST(CoordinateNotation, WritesMovesCastlingsAndPromotions) {
    EXPECT_EQ(coord(make_move(sq("e4"), sq("e2"), KIND_PAWN), WHITE), "e2e4");
    EXPECT_EQ(coord(make_move(sq("f6"), sq("g8"), KIND_KNIGHT), BLACK), "g8f6");
    EXPECT_EQ(coord(make_move(sq("d6"), sq("e5"), KIND_EN_PASSANT, PAWN), WHITE), "e5d6");
    EXPECT_EQ(coord(make_move(sq("b8"), sq("a7"), KIND_PROMO_KNIGHT, ROOK), WHITE), "a7b8n");
    EXPECT_EQ(coord(make_move(sq("d1"), sq("d2"), KIND_PROMO_BISHOP), BLACK), "d2d1b");
    EXPECT_EQ(coord(make_move(sq("h8"), sq("h7"), KIND_PROMO_ROOK), WHITE), "h7h8r");
    EXPECT_EQ(coord(make_move(sq("a8"), sq("a7"), KIND_PROMO_QUEEN), WHITE), "a7a8q");

    // Castlings have no squares of their own: the side decides the text.
    EXPECT_EQ(coord(CASTLE_KING_MOVE, WHITE), "e1g1");
    EXPECT_EQ(coord(CASTLE_QUEEN_MOVE, WHITE), "e1c1");
    EXPECT_EQ(coord(CASTLE_KING_MOVE, BLACK), "e8g8");
    EXPECT_EQ(coord(CASTLE_QUEEN_MOVE, BLACK), "e8c8");
    EXPECT_EQ(coord(CASTLE_KING_MOVE, 2), "O-O");
    EXPECT_EQ(coord(CASTLE_QUEEN_MOVE, -1), "O-O-O");

    EXPECT_EQ(coord(0, WHITE), "VIDE");
    EXPECT_EQ(coord(NULL_MOVE, BLACK), "NULL");
}

TEST(CoordinateNotation, ReadsAgainstTheBoard) {
    setup(STANDARD_START_FEN);
    const Move e2e4 = make_move(sq("e4"), sq("e2"), KIND_PAWN);
    EXPECT_EQ(read_coord("e2e4"), e2e4);
    EXPECT_EQ(read_coord("E2E4"), e2e4);
    EXPECT_EQ(read_coord("e2e4 "), e2e4); // the blank that ends the word
    EXPECT_EQ(read_coord("e2e4\r"), e2e4);
    EXPECT_EQ(read_coord("g1f3"), make_move(sq("f3"), sq("g1"), KIND_KNIGHT));
    // No legality check: a bishop "through" its own pawn reads, and the captured field is the
    // type standing on the destination whatever its colour.
    EXPECT_EQ(read_coord("f1b5"), make_move(sq("b5"), sq("f1"), KIND_BISHOP));
    EXPECT_EQ(read_coord("d1d7"), make_move(sq("d7"), sq("d1"), KIND_QUEEN, PAWN));

    // Promotion, en passant and castling squares.
    setup("r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6");
    EXPECT_EQ(read_coord("b7a8n"), make_move(sq("a8"), sq("b7"), KIND_PROMO_KNIGHT, ROOK));
    EXPECT_EQ(read_coord("b7b8b"), make_move(sq("b8"), sq("b7"), KIND_PROMO_BISHOP));
    EXPECT_EQ(read_coord("b7b8r"), make_move(sq("b8"), sq("b7"), KIND_PROMO_ROOK));
    EXPECT_EQ(read_coord("B7B8q"), make_move(sq("b8"), sq("b7"), KIND_PROMO_QUEEN));
    EXPECT_EQ(read_coord("e5d6"), make_move(sq("d6"), sq("e5"), KIND_EN_PASSANT, PAWN));
    EXPECT_EQ(read_coord("e1g1"), CASTLE_KING_MOVE);
    EXPECT_EQ(read_coord("E1C1"), CASTLE_QUEEN_MOVE);
    EXPECT_EQ(read_coord("e8g8"), CASTLE_KING_MOVE);
    EXPECT_EQ(read_coord("e8c8"), CASTLE_QUEEN_MOVE);
    EXPECT_EQ(read_coord("e1g1\n"), CASTLE_KING_MOVE);
    EXPECT_EQ(read_coord("e1e2"), make_move(sq("e2"), sq("e1"), KIND_KING));
    EXPECT_EQ(read_coord("a1a8"), make_move(sq("a8"), sq("a1"), KIND_ROOK, ROOK));
}

TEST(CoordinateNotation, RefusesMalformedText) {
    setup("r3k2r/1P6/8/3pP3/8/8/8/R3K2R w KQkq d6");
    for (const char* text : {"", "e", "b7", "b7b", "b7b8", "b7b8Q", "b7b8N", "b7b8k", "b7b8p", "b7b8x",
                             "b7b8qq", "b7b8=q", "e2e4", "e3e4", "i1a1", "a0a1", "a9a1", "a1i1", "a1a0",
                             "@1a1", "a1`1", "e1g1q", "e1g1x", "e1e2e", "e5e6+", "1a1a"}) {
        Move m = 0;
        EXPECT_EQ(coord_to_move(m, text, board_state.board_type), 0) << '"' << text << '"';
    }
}

// Every legal move written in coordinates must read back as the very same word: this ties the
// writer, the reader and the generator together (castling words, en-passant captured field,
// promotion kinds, captures on the last rank).
namespace {
int round_trip_failures = 0;

void check_tree(Tboarddata* node, int depth) {
    node->gen_legal();
    for (int i = 1; i <= node->nb_moves; ++i) {
        const Move m = node->moves[i];
        char text[6];
        move_to_coord(m, text, node->side);
        Move back = 0;
        if (!coord_to_move(back, text, board_state.board_type) || back != m) {
            if (++round_trip_failures <= 5)
                ADD_FAILURE() << node->get_fen() << ": " << text << " gave " << std::hex << back
                              << " instead of " << m << std::dec;
        }
        if (depth > 1) {
            node[1].make_child(m, node, false);
            check_tree(node + 1, depth - 1);
            unmake(m, node);
        }
    }
}
} // namespace

TEST(CoordinateNotation, EveryLegalMoveReadsBack) {
    const std::pair<const char*, int> trees[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 3},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 2},
        {"n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -", 3},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 3},
        {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6", 2},
    };
    for (const auto& [fen, depth] : trees) {
        ASSERT_TRUE(perft_setup(fen)) << fen;
        round_trip_failures = 0;
        check_tree(&perft_records[0], depth);
        EXPECT_EQ(round_trip_failures, 0) << fen;
    }
}

TEST(ShortNotation, PiecesCapturesAndOrigins) {
    const Move nxd5 = make_move(sq("d5"), sq("f4"), KIND_KNIGHT, PAWN);
    EXPECT_EQ(short_form(nxd5, false), "Nxd5");
    EXPECT_EQ(short_form(nxd5, true), "Nf4xd5");
    EXPECT_EQ(short_form(make_move(sq("f3"), sq("g1"), KIND_KNIGHT), true), "Ng1f3");
    EXPECT_EQ(short_form(make_move(sq("d1"), sq("a1"), KIND_ROOK), true), "Ra1d1");
    EXPECT_EQ(short_form(make_move(sq("d7"), sq("d1"), KIND_QUEEN, BISHOP), true), "Qd1xd7");
    // Bishops and kings never carry their origin.
    EXPECT_EQ(short_form(make_move(sq("c4"), sq("f1"), KIND_BISHOP), true), "Bc4");
    EXPECT_EQ(short_form(make_move(sq("e2"), sq("e1"), KIND_KING, QUEEN), true), "Kxe2");

    // Pawns: no letter, the origin file only when capturing; promotions carry no suffix.
    EXPECT_EQ(short_form(make_move(sq("e4"), sq("e2"), KIND_PAWN), true), "e4");
    EXPECT_EQ(short_form(make_move(sq("d5"), sq("e4"), KIND_PAWN, PAWN), false), "exd5");
    EXPECT_EQ(short_form(make_move(sq("d6"), sq("e5"), KIND_EN_PASSANT, PAWN), true), "exd6");
    EXPECT_EQ(short_form(make_move(sq("e8"), sq("e7"), KIND_PROMO_QUEEN), false), "e8");
    EXPECT_EQ(short_form(make_move(sq("h1"), sq("g2"), KIND_PROMO_KNIGHT, ROOK), true), "gxh1");

    EXPECT_EQ(short_form(CASTLE_KING_MOVE, true), "O-O");
    EXPECT_EQ(short_form(CASTLE_QUEEN_MOVE, false), "O-O-O");
    EXPECT_EQ(short_form(NULL_MOVE, false), "NULL");
    EXPECT_EQ(short_form(0, false), "//?");
}

// A word the board no longer matches can reach the printers from the bug reports; they must
// print something without reading past their tables (the sanitizers watch this test).
TEST(ShortNotation, CorruptWordsStayInBounds) {
    for (Move m : {make_move(200, 100, KIND_KNIGHT, 9), make_move(64, 255, 40, 200),
                   make_move(NO_SQUARE, 3, 99), make_move(12, 70, KIND_PAWN, 3)}) {
        char text[16];
        EXPECT_EQ(move_to_short(m, text, true), 1);
        EXPECT_LE(std::string(text).size(), 8u);
        EXPECT_EQ(move_to_coord(m, text, WHITE), 1);
        EXPECT_LE(std::string(text).size(), 5u);
    }
    EXPECT_EQ(short_form(make_move(200, sq("g1"), KIND_KNIGHT), false), "N??");
}

TEST(FenWriting, ReadPositionsWriteBackWithATrailingBlank) {
    setup(STANDARD_START_FEN);
    EXPECT_EQ(record.get_fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - ");
    for (const char* fen : {
             "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
             "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
             "rnbqkbnr/pppp1ppp/8/8/3Pp3/8/PPP1PPPP/RNBQKBNR b Kq d3",
             "r3k3/8/8/8/8/8/8/4K2R b Kq -",
             "7k/8/8/8/8/8/8/K7 w - -",
             "k7/8/8/8/8/8/8/7K b - -",
             "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - -",
         }) {
        setup(fen);
        EXPECT_EQ(record.get_fen(), std::string(fen) + " ");
    }
    // The move counters are not written back.
    setup("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    EXPECT_EQ(record.get_fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 ");
}

TEST(FenWriting, EnPassantRankFollowsTheSideToMove) {
    setup(STANDARD_START_FEN);
    record.ep_file = 3;
    EXPECT_EQ(record.get_fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq d6 ");
    record.side = BLACK;
    EXPECT_EQ(record.get_fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq d3 ");
    // A file off the board is written as no square rather than as a stray character.
    record.ep_file = 8;
    EXPECT_EQ(record.get_fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - ");
    record.ep_file = -1;
    record.castle  = WHITE_OOO | BLACK_OO | CASTLE_EXTENDED_FLAG; // search flags are not rights
    EXPECT_EQ(record.get_fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b Qk - ");
}

TEST(FenWriting, PlacementOfUnknownCodesIsABlank) {
    int8_t squares[64] = {};
    squares[sq("a1")]  = 6;
    squares[sq("h8")]  = -6;
    squares[sq("c2")]  = -1;
    EXPECT_EQ(Ttools::SIGNED_PIECE2SAN(squares), "7k/8/8/8/8/8/2p5/K7");

    squares[sq("d4")] = 9;
    squares[sq("h4")] = -7;
    Tstdout_capture capture;
    const std::string placement = Ttools::SIGNED_PIECE2SAN(squares);
    EXPECT_EQ(capture.finish(), "Ttools::SIGNED_PIECE2SAN : piece 9 inconnue\n"
                                "Ttools::SIGNED_PIECE2SAN : piece -7 inconnue\n");
    EXPECT_EQ(placement, "7k/8/8/8/3 3 /8/2p5/K7");
}

TEST(FenWriting, PrintAppendAndBugTrail) {
    char dir_template[] = "/tmp/brelok_notation_XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir_template), 0);

    setup("7k/8/8/8/8/8/8/K7 w - -");
    {
        Tstdout_capture capture;
        record.print_fen();
        EXPECT_EQ(capture.finish(), "7k/8/8/8/8/8/8/K7 w - - \n");
    }
    record.append_epd("positions.epd");
    write_bug_epd();
    setup("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3");
    write_bug_epd();

    auto contents = [](const char* name) {
        std::ifstream in(name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    EXPECT_EQ(contents("positions.epd"), "7k/8/8/8/8/8/8/K7 w - - \n");
    EXPECT_EQ(contents("bug.epd"), "7k/8/8/8/8/8/8/K7 w - - \n"
                                   "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 \n");

    unlink("positions.epd");
    unlink("bug.epd");
    ASSERT_EQ(chdir(previous), 0);
    rmdir(dir_template);
}

TEST(BoardDiagram, BothOrientationsAndUnknownCodes) {
    setup("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3");
    const char* ranks[8] = {
        "1 R N B Q K B N R \n", "2 P P P P   P P P \n", "3 -   -   -   -   \n", "4   -   - P -   - \n",
        "5 -   -   -   -   \n", "6   -   -   -   - \n", "7 p p p p p p p p \n", "8 r n b q k b n r \n",
    };
    std::string black_on_top = "\n", white_on_top = "\n";
    for (int i = 0; i < 8; ++i) {
        black_on_top += ranks[7 - i];
        white_on_top += ranks[i];
    }
    black_on_top += "  a b c d e f g h\n";
    white_on_top += "  a b c d e f g h\n";

    const int saved_flip = config.flip;
    for (int flip : {0, -1, 1}) {
        config.flip = flip;
        Tstdout_capture capture;
        print_board();
        EXPECT_EQ(capture.finish(), flip > 0 ? white_on_top : black_on_top) << "flip " << flip;
    }
    config.flip = saved_flip;

    // A code no piece has: reported where it is met and shown as a blank.
    setup("7k/8/8/8/8/8/8/K7 w - -");
    board_state.board[sq("b8")] = 8;
    Tstdout_capture capture;
    print_board();
    EXPECT_EQ(capture.finish(), "\n8   Ttools::SIGNED_PIECE2SAN : piece 8 inconnue\n"
                                "    -   -   k \n"
                                "7 -   -   -   -   \n"
                                "6   -   -   -   - \n"
                                "5 -   -   -   -   \n"
                                "4   -   -   -   - \n"
                                "3 -   -   -   -   \n"
                                "2   -   -   -   - \n"
                                "1 K   -   -   -   \n"
                                "  a b c d e f g h\n");
    board_state.board[sq("b8")] = 0;
}

TEST(MoveLine, MovesFromTheRootWithDepthSteps) {
    Tboarddata line[5] = {};
    line[0].move  = make_move(sq("d4"), sq("d2"), KIND_PAWN); // played before the line began
    line[0].depth = 240;
    const Move moves[4] = {make_move(sq("e4"), sq("e2"), KIND_PAWN), make_move(sq("e5"), sq("e7"), KIND_PAWN),
                           make_move(sq("f3"), sq("g1"), KIND_KNIGHT),
                           make_move(sq("e5"), sq("f3"), KIND_KNIGHT, PAWN)};
    const int depths[4] = {180, 180, 90, -6000}; // one ply, extended, reduced, quiescence
    for (int i = 1; i <= 4; ++i) {
        line[i].parent = &line[i - 1];
        line[i].move   = moves[i - 1];
        line[i].depth  = depths[i - 1];
    }
    {
        Tstdout_capture capture;
        line[4].print_line(true, true);
        EXPECT_EQ(capture.finish(), "e4 e5(60) Nf3(-30) Nxe5 \n");
    }
    {
        Tstdout_capture capture;
        line[4].print_line(false, false);
        line[0].print_line(true, false); // a root alone prints nothing
        EXPECT_EQ(capture.finish(), "e4 e5 Nf3 Nxe5 ");
    }
    // A record being made without a parent points at itself for a moment.
    line[1].parent = &line[1];
    Tstdout_capture capture;
    line[1].print_line(true, true);
    EXPECT_EQ(capture.finish(), "\n");
}
