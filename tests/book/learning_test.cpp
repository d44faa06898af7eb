// Learning in games of the real engine: a blunder written to b_learn.epd, turned into a table
// entry at "new" and met again by the next searches; a bad exit from the book written to
// b_style.txt and compiled into the style book that then steers the book; damaged input.
#include <chrono>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

#include "base/data_rows.h"
#include "book/learning.h"
#include "book_test_util.h"
#include "interface/game_session.h"

namespace {

const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
const std::string TIME  = "time 100000\notim 100000\n"; // long enough for the learning to be loaded

std::string today() {
    const std::time_t now = std::time(nullptr);
    char              date[16];
    std::strftime(date, sizeof date, "%Y.%m.%d", std::localtime(&now));
    return date;
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

// The game was found by playing the engine at depth 5 (Black) against itself at depth 7: its
// 10...d4 (+245) meets 11.Nd5, after which its own search says -191.
TEST(Learning, BlunderIsWrittenLearnedAtNewAndAvoidedNextTime) {
    const std::vector<std::string> game = {"d2d4", "e7e5", "d4e5", "b8c6", "g1f3", "d7d5", "b1c3", "f8b4",
                                           "c1g5", "f7f6", "e5f6", "g7f6", "g5d2", "c8g4", "h2h3", "g4f3",
                                           "e2f3", "d8e7", "d1e2", "d5d4", "c3d5", "b4d2"};
    auto plies = [&](size_t n) { return std::vector<std::string>(game.begin(), game.begin() + long(n)); };
    Tgame_session s;
    s.send("xboard\neasy\nmax_sd 5\nnew\n");
    for (size_t i = 0; i < game.size(); i += 2) {
        s.send(TIME + game[i] + "\n");
        ASSERT_EQ(s.next_move(), game[i + 1]) << "ply " << i + 2;
    }
    ASSERT_TRUE(s.expect("Brelok has just made a gaffe ....\n"));
    EXPECT_EQ(written(s.dir.file("b_learn.epd")),
              fen_after(START, plies(19))
                  + " bm d4? ; id Nd5! (Bxd2), eval:245->-191, depth:5, date:" + today() + ", ''-''\n");

    // At "new": one entry, the position after 11.Nd5 at 60 x (5 - 1), beside the old file.
    s.send("new\n");
    ASSERT_TRUE(s.expect("Updating position learning. . .\n  Done : 1 positions found in b_learn.epd\n"
                         "Updating style book. . .\n"));
    EXPECT_EQ(read_file(s.dir.file("b_learn.bin")), learned(key_after(plies(21)), -191, 240));
    for (const std::string& name : list_dir(s.dir.path()))
        EXPECT_EQ(name.find("b_learn.bin."), std::string::npos) << name;

    // The same game again: every search loads the entry, and 10...d4 is not played any more.
    for (size_t i = 0; i < 20; i += 2) {
        s.send(TIME + game[i] + "\n");
        const std::string reply = s.next_move();
        EXPECT_EQ(reply == game[i + 1], i < 18) << "ply " << i + 2 << ": " << reply;
    }

    // After 10...d4 the engine, White now, finds 11.Nd5 worth the learned 191 from iteration 1.
    std::string forced = "new\nforce\n";
    for (const std::string& move : plies(20))
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
    const std::string head      = "1. e4 f5?!\n; id exf5! (";
    const size_t      reply_end = text.find("), eval:");
    EXPECT_EQ(text.substr(0, head.size()), head) << reply;
    EXPECT_EQ(text.substr(reply_end),
              "), eval:" + std::to_string(score) + ", depth:5, date:" + today() + ", ''-''\n");

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
    Tgame_session s;
    std::string   file, expected, good_start;
    for (const Trow& row : read_rows("book/data/learn_lines.txt")) {
        std::string line = row[0];
        for (const auto& [name, text] :
             {std::pair<std::string, std::string>{"@START@", START},
              {"@TAIL@", ", date:2024.01.01, 'a'-'b'"},
              {"@CR@", "\r"},
              {"@LONG@", std::string(10000, 'x')},
              {"@GARBAGE@", std::string("\0\xff\x01 bm \0 id \x7f->\x80 depth:\xff\xfe\r", 26)}})
            for (size_t at; (at = line.find(name)) != std::string::npos;)
                line.replace(at, name.size(), text);
        file += line + "\n";
        good_start = good_start.empty() ? line : good_start;
        if (!row[1].empty())
            expected += learned(key_after(words(row[1])), row.number(2), row.number(3));
    }
    file += "\n";
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
    // Without b_learn.epd nothing is learned: b_learn.bin is rebuilt empty, not left teaching.
    remove(s.dir.file("b_learn.epd").c_str());
    s.send("new\n");
    ASSERT_TRUE(s.expect("Updating style book. . .\n"));
    EXPECT_TRUE(std::filesystem::is_regular_file(s.dir.file("b_learn.bin")));
    EXPECT_EQ(read_file(s.dir.file("b_learn.bin")), "");
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
