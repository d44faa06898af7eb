// The readers under the tools: algebraic moves against the legal list (data/san.txt), bounded
// text lines, the append helper and the date text.
#include <ctime>
#include <gtest/gtest.h>

#include "base/append_file.h"
#include "base/data_rows.h"
#include "board/boarddata.h"
#include "board/notation.h"
#include "board/san_move.h"
#include "interface/in_temp_dir.h"
#include "tools/date_text.h"
#include "tools/text_lines.h"
#include "tools/tools.h"

namespace {

// position | token | the move read in coordinates, or "-" when it reads as none
TEST(SanMove, TableOfTokens) {
    Tboarddata node;
    for (const Trow& row : read_rows("tools/data/san.txt")) {
        ASSERT_EQ(node.set_fen(row[0].c_str()), 1) << row.where;
        node.gen_legal();
        const Move m = read_san_move(node, row[1].c_str());
        EXPECT_EQ(m ? coord_text(m, node.side_to_move()) : "-", row[2]) << row.where;
    }
}

class Files : public Tin_temp_dir {};

TEST_F(Files, TextLinesLineEndsLongLinesAndBinaryBytes) {
    const auto lines_of = [](const std::string& content, int size = TOOL_LINE_LENGTH + 1) {
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
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(lines_of(""), V{});
    EXPECT_EQ(lines_of("a\r\nb\n\nc"), (V{"a", "b", "", "c"}));
    EXPECT_EQ(lines_of("a\r\r\n"), V{"a"});
    EXPECT_EQ(lines_of(std::string(10000, 'x') + "\nnext\n"), (V{std::string(255, 'x'), "next"}));
    EXPECT_EQ(lines_of(std::string("ab\0cd\nef\n", 9)), (V{"ab", "ef"}));
    EXPECT_EQ(lines_of("abcdef\n", 4), V{"abc"});
}

TEST_F(Files, AppendCreatesThenAppendsBytesOrText) {
    EXPECT_EQ(append_to_file("f.bin", "abc\0def", 0, 7), 1);
    EXPECT_EQ(append_to_file("f.bin", "xyz", 1, 0), 1);
    EXPECT_EQ(append_to_file("f.bin", "12345", 0, 2), 1);
    EXPECT_EQ(append_to_file("f.bin", nullptr, 1, 0), 1);
    EXPECT_EQ(read_file("f.bin"), std::string("abc\0defxyz\n12\n", 14));
    EXPECT_EQ(append_to_file("f.bin", "abc", 0, -1), 0);
    EXPECT_EQ(append_to_file("no_such_dir/f.bin", "abc", 1, 0), 0);
    EXPECT_FALSE(file_exists("no_such_dir"));
}

// The clock's own reading, formatted independently: day-Mon-year hh:mm:ss.
TEST(DateText, DayMonthYearAndTime) {
    const auto now = [] {
        static const char* const months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        const std::time_t        t          = std::time(nullptr);
        const std::tm            parts      = *std::localtime(&t);
        char                     rest[32];
        std::strftime(rest, sizeof rest, "%Y %H:%M:%S", &parts);
        return std::to_string(parts.tm_mday) + "-" + months[parts.tm_mon] + "-" + rest;
    };
    const std::string before = now(), shown = date_text(), after = now();
    EXPECT_TRUE(shown == before || shown == after) << shown;
}

} // namespace
