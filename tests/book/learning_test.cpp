// Learning in games of the real engine: a blunder written to b_learn.epd, turned into a table
// entry at "new" and met again by the next searches; a bad exit from the book written to
// b_style.txt and compiled into the style book that then steers the book; damaged input.
#include <chrono>
#include <ctime>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

#include "board/notation.h"
#include "book/learning.h"
#include "book_test_util.h"
#include "interface/commands.h"
#include "interface/game.h"
#include "interface/game_session.h"

namespace {

const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
const std::string TIME  = "time 100000\notim 100000\n"; // long enough for the learning to be loaded

std::string today() {
    const std::time_t now = std::time(nullptr);
    const std::tm*    t   = std::localtime(&now);
    return std::to_string(t->tm_year + 1900) + "." + (t->tm_mon < 9 ? "0" : "")
           + std::to_string(t->tm_mon + 1) + "." + (t->tm_mday < 10 ? "0" : "") + std::to_string(t->tm_mday);
}

// The engine announces what it learned before it writes the file down.
std::string written(const std::string& path) {
    for (int i = 0; i < 500 && read_file(path).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return read_file(path);
}

std::string le32(uint32_t v) {
    return {char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24 & 0xFF)};
}
// A b_learn.bin entry as the table reads it: fresh, exact, no move.
std::string learned(uint64_t key, int score, int depth) {
    return std::string("\0\1\0\0", 4) + le32(uint32_t(score)) + le32(uint32_t(key))
           + le32(uint32_t(key >> 32)) + le32(0) + le32(uint32_t(depth));
}

// The short algebraic form of the last coordinate move, played after the others.
std::string short_form(const std::vector<std::string>& moves) {
    static Tgame board;
    board.set_start_position(STANDARD_START_FEN);
    Move move = 0;
    for (const std::string& text : moves)
        if (!read_move(move, text.c_str(), board_state.board_type) || !board.is_legal(move)
            || !board.add_move(move, ORIGIN_ENTERED))
            return "";
    char text[16];
    move_to_short(move, text, false);
    return text;
}

std::vector<std::string> interleaved(const std::vector<std::string>& white,
                                     const std::vector<std::string>& black, size_t plies) {
    std::vector<std::string> all;
    for (size_t i = 0; all.size() < plies; ++i) {
        all.push_back(white[i]);
        if (all.size() < plies)
            all.push_back(black[i]);
    }
    return all;
}

// The game was found by playing the engine at depth 5 (Black) against itself at depth 7: its
// 10...d4 (+245) meets 11.Nd5, after which its own search says -191.
TEST(Learning, BlunderIsWrittenLearnedAtNewAndAvoidedNextTime) {
    Tgame_session                  s;
    const std::vector<std::string> white = {"d2d4", "d4e5", "g1f3", "b1c3", "c1g5", "e5f6",
                                            "g5d2", "h2h3", "e2f3", "d1e2", "c3d5"};
    const std::vector<std::string> black = {"e7e5", "b8c6", "d7d5", "f8b4", "f7f6", "g7f6",
                                            "c8g4", "g4f3", "d8e7", "d5d4", "b4d2"};
    s.send("xboard\neasy\nmax_sd 5\nnew\n");
    std::vector<std::string> replies;
    for (const std::string& move : white) {
        s.send(TIME + move + "\n");
        replies.push_back(s.next_move());
    }
    ASSERT_EQ(replies, black);
    ASSERT_TRUE(s.expect("Brelok has just made a gaffe ....\n"));
    EXPECT_EQ(written(s.dir.file("b_learn.epd")),
              fen_after(START, interleaved(white, black, 19))
                  + " bm d4? ; id Nd5! (Bxd2), eval:245->-191, depth:5, date:" + today() + ", ''-''\n");

    // At "new": one entry, the position after 11.Nd5 at 60 x (5 - 1), beside the old file.
    s.send("new\n");
    ASSERT_TRUE(s.expect("Updating position learning. . .\n  Done : 1 positions found in b_learn.epd\n"
                         "Updating style book. . .\n"));
    EXPECT_EQ(read_file(s.dir.file("b_learn.bin")),
              learned(key_after(interleaved(white, black, 21)), -191, 240));
    for (const std::string& name : list_dir(s.dir.path()))
        EXPECT_EQ(name.find("b_learn.bin."), std::string::npos) << name;

    // The same game again: every search loads the entry, and 10...d4 is not played any more.
    s.send(TIME + "d2d4\n");
    std::vector<std::string> again;
    for (size_t i = 0; i < 10; ++i) {
        if (i > 0)
            s.send(TIME + white[i] + "\n");
        again.push_back(s.next_move());
    }
    EXPECT_EQ(std::vector<std::string>(again.begin(), again.begin() + 9),
              std::vector<std::string>(black.begin(), black.begin() + 9));
    EXPECT_NE(again[9], "d5d4");

    // After 10...d4 the engine, White now, finds 11.Nd5 worth the learned 191 from iteration 1.
    std::string forced = "new\nforce\n";
    for (const std::string& move : interleaved(white, black, 20))
        forced += move + "\n";
    const size_t from = s.mark;
    s.send(forced + TIME + "go\n");
    s.next_move();
    const std::string output = s.engine.output();
    const size_t      first  = output.find("\n 1->", from) + 1;
    const std::string line   = output.substr(first, output.find('\n', first) - first);
    EXPECT_TRUE(line.find(" 191 ") != std::string::npos && line.ends_with(" Nd5")) << line;
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    EXPECT_NE(s.log().find("\n1 learned positions added in the HashTables\n"), std::string::npos);
}

TEST(Learning, BadBookExitIsWrittenAndMarksTheMoveInTheStyleBook) {
    Tgame_session s;
    write_file(s.dir.file("b_book.bin"),
               book_bytes({book_record(key_after({"e2e4", "f7f5"}), MARK_BRILLIANT, {})}));
    s.send("xboard\neasy\nmax_sd 5\nnew\n" + TIME + "e2e4\n");
    ASSERT_TRUE(s.expect("f5!!\n\n1. ... f7f5\n"));
    s.send(TIME + "e4f5\n");
    const std::string reply = s.next_move();
    ASSERT_TRUE(s.expect("Brelok has just left the opening book in a bad position ....\n"));
    const std::string text  = written(s.dir.file("b_style.txt"));
    const size_t      eval  = text.find("eval:") + 5;
    const int         score = std::atoi(text.c_str() + eval);
    EXPECT_LT(score, -35);
    EXPECT_EQ(text, "1. e4 f5?!\n; id exf5! (" + short_form({"e2e4", "f7f5", "e4f5", reply})
                        + "), eval:" + std::to_string(score) + ", depth:5, date:" + today() + ", ''-''\n");

    // The style book holds the line as a drawn game with f5 marked "?!": the book plays it no more.
    s.send("new\n");
    ASSERT_TRUE(s.expect("Updating style book. . .\n  Done : 1 lines found in b_style.txt\n"
                         "=> Writing positions on disk\n\n"));
    EXPECT_EQ(dump(read_file(s.dir.file("b_style.bin"))),
              dump(book_bytes({book_record(key_after({}), 0, {0, 0, 1}),
                               book_record(key_after({"e2e4"}), 0, {0, 0, 1}),
                               book_record(key_after({"e2e4", "f7f5"}), MARK_DUBIOUS, {0, 0, 1})})));
    s.send(TIME + "e2e4\n");
    const size_t from = s.mark;
    EXPECT_NE(s.next_move(), "f7f5");
    EXPECT_EQ(s.engine.output().find("f5!!", from), std::string::npos);
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
}

TEST(Learning, StyleLineExcludesTheMoveAndCommentsNeverReachTheStyleBook) {
    Tgame_session s;
    write_file(s.dir.file("b_book.bin"), book_bytes({book_record(key_after({"e2e4"}), MARK_BRILLIANT, {}),
                                                     book_record(key_after({"d2d4"}), 0, {10})}));
    s.send("xboard\neasy\nmax_sd 2\nnew\ngo\n");
    ASSERT_TRUE(s.expect("e4!!\nd4 "));
    ASSERT_TRUE(s.expect("1. ... e2e4\n"));
    // CRLF line ends, as an editor may leave them; the comment would exclude d4 if it were read.
    write_file(s.dir.file("b_style.txt"), "; my style\r\n1. e4?!\r\n; 1. d4??\r\n");
    s.send("new\ngo\n");
    ASSERT_TRUE(s.expect("  Done : 1 lines found in b_style.txt\n"));
    ASSERT_TRUE(
        s.expect("\nd4 91% (10 games) scoring 100%" + std::string(29, ' ') + " => 100 Pts\n\n1. ... d2d4\n"))
        << s.rest();
    EXPECT_EQ(dump(read_file(s.dir.file("b_style.bin"))),
              dump(book_bytes({book_record(key_after({}), 0, {0, 0, 1}),
                               book_record(key_after({"e2e4"}), MARK_DUBIOUS, {0, 0, 1})})));
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
}

TEST(Learning, DamagedOrMissingFilesAreSkippedAndNeverCostThePreviousFiles) {
    const std::string tail       = ", date:2024.01.01, 'a'-'b'";
    const std::string good_start = START + "  bm e4? ; id e5! (Nf3), eval:10->-50, depth:5" + tail;
    const std::string after_e4e5 = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - ";
    const std::string good_long =
        START + "  bm d4 ; id d5 (c4), eval:0->-30, depth:4" + tail + " " + std::string(10000, 'y');
    const struct {
        std::string line;
        std::string entry; // empty: skipped
    } lines[] = {
        {good_start, learned(key_after({"e2e4", "e7e5"}), -50, 240)},
        {after_e4e5 + " bm Nf3? ; id Nc6! (Bb5), eval:30->-40, depth:6" + tail + "\r",
         learned(key_after({"e2e4", "e7e5", "g1f3", "b8c6"}), -40, 300)},
        {good_long, learned(key_after({"d2d4", "d7d5"}), -30, 180)},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq -  bm e4? ; id e5! (Nf3), eval:10->-50, depth:5",
         ""},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPP1/RNBQKBNP w Qkq -  bm e4? ; id e5! (Nf3), eval:10->-50, depth:5",
         ""},
        {START + "  bx e4? ; id e5! (Nf3), eval:10->-50, depth:5", ""},
        {START + "  bm e4? ; ix e5! (Nf3), eval:10->-50, depth:5", ""},
        {START + "  bm e5? ; id e5! (Nf3), eval:10->-50, depth:5", ""},
        {START + "  bm e4? ; id e4! (Nf3), eval:10->-50, depth:5", ""},
        {START + "  bm e4? ; id e5! (Nf3), eval:10->-50, dept:5", ""},
        {START + "  bm e4? ; id e5! (Nf3), eval:10=>-50, depth:5", ""},
        {START + "  bm e4? ; id e5! (Nf3), eval:10->-50, depth:3", ""},
        {START + "  bm e4? ; id e5! (Nf3), eval:10->-50, depth:99999999999999999999", ""},
        {START + "  bm e4? ; id e5! (Nf3), eval:10->99999, depth:5", ""},
        {std::string(10000, 'x') + " " + START + "  bm Nf3 ; id Nf6 (c4), eval:0->-70, depth:5", ""},
        {std::string("\0\xff\x01 bm \0 id \x7f->\x80 depth:\xff\xfe", 25) + "\r\r", ""},
        {START, ""},
        {"", ""},
    };
    Tgame_session s;
    std::string   file, expected;
    for (const auto& row : lines) {
        file += row.line + "\n";
        expected += row.entry;
    }
    write_file(s.dir.file("b_learn.epd"), file);
    s.send("xboard\neasy\nmax_sd 2\nnew\n");
    ASSERT_TRUE(s.expect("  Done : 3 positions found in b_learn.epd\n"));
    ASSERT_TRUE(s.expect("=> Writing positions on disk\n\n")); // the book is in place
    EXPECT_EQ(read_file(s.dir.file("b_learn.bin")), expected);

    // A read-only b_learn.bin and b_style.bin stay as they are, the style book saying why.
    write_file(s.dir.file("b_learn.epd"), good_start + "\n" + file);
    write_file(s.dir.file("b_style.txt"), "1. e4?!\n");
    const std::string old_style = read_file(s.dir.file("b_style.bin"));
    chmod(s.dir.file("b_learn.bin").c_str(), 0444);
    chmod(s.dir.file("b_style.bin").c_str(), 0444);
    s.send("new\n");
    ASSERT_TRUE(s.expect("Updating style book. . .\n  Done : 1 lines found in b_style.txt\n"
                         "Impossible d'ouvrir le fichier b_style.bin !\n"))
        << s.rest();
    chmod(s.dir.file("b_learn.bin").c_str(), 0644);
    chmod(s.dir.file("b_style.bin").c_str(), 0644);
    EXPECT_EQ(read_file(s.dir.file("b_style.bin")), old_style);
    // Without b_learn.epd there is nothing to rebuild from: the entries stay.
    remove(s.dir.file("b_learn.epd").c_str());
    s.send("new\n");
    ASSERT_TRUE(s.expect("Updating style book. . .\n"));
    EXPECT_EQ(read_file(s.dir.file("b_learn.bin")), expected);
    EXPECT_EQ(s.engine.output().find("Updating position learning", s.engine.output().find("Done : 3")),
              std::string::npos);

    // A damaged b_learn.bin: an entry without a bound and a short tail are passed over.
    std::string damaged = learned(0x0123456789ABCDEFULL, 10, 240) + learned(0x1111, 10, 240) + "stray";
    damaged[LEARNED_ENTRY_SIZE + 1] = 0;
    write_file(s.dir.file("b_learn.bin"), damaged);
    s.send(TIME + "e2e4\n");
    EXPECT_NE(s.next_move(), "");
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    EXPECT_NE(s.log().find("\n1 learned positions added in the HashTables\n"), std::string::npos);
}

} // namespace
