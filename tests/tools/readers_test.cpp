// The readers under the tools: algebraic moves against the legal list, bounded text lines, the
// append helper and the date text.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "board/boarddata.h"
#include "board/notation.h"
#include "interface/in_temp_dir.h"
#include "tools/date_text.h"
#include "tools/san_move.h"
#include "tools/text_lines.h"
#include "tools/tools.h"

namespace {

Tboarddata node;

// The token read in the position, in coordinate form ("-" when it reads as no move).
std::string read(const char* fen, const char* token) {
    EXPECT_EQ(node.set_fen(fen), 1) << fen;
    node.gen_legal();
    const Move m = read_san_move(node, token);
    if (m == 0)
        return "-";
    char text[16];
    move_to_coord(m, text, node.side);
    return text;
}

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

TEST(SanMove, PieceAndPawnMovesWithTheirMarks) {
    EXPECT_EQ(read(START, "e4"), "e2e4");
    EXPECT_EQ(read(START, "Pe4"), "e2e4");
    EXPECT_EQ(read(START, "e4!?"), "e2e4");
    EXPECT_EQ(read(START, "Nf3+"), "g1f3");
    EXPECT_EQ(read(START, "Ng1-f3"), "g1f3");
    EXPECT_EQ(read(START, "Na3#"), "b1a3");
    EXPECT_EQ(read("4k3/8/8/8/8/2n5/1P6/4K3 w - -", "bxc3"), "b2c3");
    EXPECT_EQ(read("4k3/8/8/8/8/2n5/1P6/4K3 w - -", "bc3"), "b2c3");
    EXPECT_EQ(read("4k3/8/8/3pP3/8/8/8/4K3 w - d6", "exd6"), "e5d6");
    EXPECT_EQ(read("r3r1k1/ppqb1ppp/8/4p1NQ/8/2P5/PP3PPP/R3R1K1 b - -", "Bf5"), "d7f5");
}

TEST(SanMove, WhatIsNoLegalMoveReadsAsNone) {
    for (const char* token : {"Ke2", "e5", "O-O", "id", "LCTPOS01", "Xe4", "e9", "i4", "", "Nf", "4", "-",
                              "Qxh7", "e4e5e6e7e8e9e4e5e6e7", "N@f3", "e8=Q"})
        EXPECT_EQ(read(START, token), "-") << token;
}

TEST(SanMove, CastlingInItsSpellings) {
    const char* fen = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -";
    EXPECT_EQ(read(fen, "O-O"), "e1g1");
    EXPECT_EQ(read(fen, "0-0"), "e1g1");
    EXPECT_EQ(read(fen, "o-o+"), "e1g1");
    EXPECT_EQ(read(fen, "O-O-O"), "e1c1");
    EXPECT_EQ(read(fen, "0-0-0"), "e1c1");
    EXPECT_EQ(read(fen, "Kg1"), "-");
    EXPECT_EQ(read("r3k2r/8/8/8/8/8/8/R3K2R b kq -", "O-O-O"), "e8c8");
    EXPECT_EQ(read("r3k2r/8/8/8/8/8/8/R3K2R w - -", "O-O"), "-");
}

TEST(SanMove, AmbiguityNeedsTheOrigin) {
    const char* fen = "7k/8/8/8/8/8/8/N3N2K w - -";
    EXPECT_EQ(read(fen, "Nc2"), "-");
    EXPECT_EQ(read(fen, "N1c2"), "-");
    EXPECT_EQ(read(fen, "Nac2"), "a1c2");
    EXPECT_EQ(read(fen, "Nec2"), "e1c2");
    EXPECT_EQ(read(fen, "Na1c2"), "a1c2");
    EXPECT_EQ(read(fen, "Nb3"), "a1b3");
}

TEST(SanMove, Promotions) {
    const char* fen = "2r4k/1P6/8/8/8/8/8/K7 w - -";
    EXPECT_EQ(read(fen, "b8=Q"), "b7b8q");
    EXPECT_EQ(read(fen, "b8Q"), "b7b8q");
    EXPECT_EQ(read(fen, "b8q"), "b7b8q");
    EXPECT_EQ(read(fen, "b8"), "b7b8q");
    EXPECT_EQ(read(fen, "b8=N"), "b7b8n");
    EXPECT_EQ(read(fen, "bxc8=R+"), "b7c8r");
    EXPECT_EQ(read(fen, "bxc8b"), "b7c8b");
    EXPECT_EQ(read(fen, "b8=K"), "-");
    EXPECT_EQ(read(fen, "Nb8=Q"), "-");
}

class TextLines : public Tin_temp_dir {
  protected:
    std::vector<std::string> lines_of(const std::string& content, int size = TOOL_LINE_LENGTH + 1) {
        write_file("lines.txt", content);
        std::vector<std::string> lines;
        FILE*                    file = std::fopen("lines.txt", "rb");
        std::vector<char>        buffer(size_t(size) + 8, '#');
        while (read_text_line(file, buffer.data(), size)) {
            EXPECT_EQ(buffer[size_t(size)], '#'); // nothing written past the buffer
            lines.push_back(buffer.data());
        }
        std::fclose(file);
        return lines;
    }
};

TEST_F(TextLines, LineEndsLongLinesAndBinaryBytes) {
    using V = std::vector<std::string>;
    EXPECT_EQ(lines_of(""), V{});
    EXPECT_EQ(lines_of("a\r\nb\n\nc"), (V{"a", "b", "", "c"}));
    EXPECT_EQ(lines_of("a\r\r\n"), V{"a"});
    EXPECT_EQ(lines_of(std::string(10000, 'x') + "\nnext\n"), (V{std::string(255, 'x'), "next"}));
    EXPECT_EQ(lines_of(std::string("ab\0cd\nef\n", 9)), (V{"ab", "ef"}));
    EXPECT_EQ(lines_of("abcdef\n", 4), V{"abc"});
}

class AppendToFile : public Tin_temp_dir {};

TEST_F(AppendToFile, CreatesThenAppendsBytesOrText) {
    EXPECT_EQ(append_to_file("f.bin", "abc\0def", 0, 7), 1);
    EXPECT_EQ(append_to_file("f.bin", "xyz", 1, 0), 1);
    EXPECT_EQ(append_to_file("f.bin", "12345", 0, 2), 1);
    EXPECT_EQ(read_file("f.bin"), std::string("abc\0defxyz\n12", 13));
    EXPECT_EQ(append_to_file("f.bin", nullptr, 1, 0), 1);
    EXPECT_EQ(read_file("f.bin").size(), 14u);
    EXPECT_EQ(append_to_file("f.bin", "abc", 0, -1), 0);
    EXPECT_EQ(append_to_file("no_such_dir/f.bin", "abc", 1, 0), 0);
    EXPECT_FALSE(file_exists("no_such_dir"));
}

// The clock's own reading, formatted independently.
std::string local_date_now() {
    static const char* const months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now   = std::time(nullptr);
    const std::tm     parts = *std::localtime(&now);
    char              rest[32];
    std::strftime(rest, sizeof rest, "%Y %H:%M:%S", &parts);
    return std::to_string(parts.tm_mday) + "-" + months[parts.tm_mon] + "-" + rest;
}

TEST(DateText, DayMonthYearAndTime) {
    const std::string before = local_date_now();
    const std::string shown  = date_text();
    const std::string after  = local_date_now();
    EXPECT_TRUE(shown == before || shown == after) << shown;
}

} // namespace
