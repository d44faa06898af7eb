// Book files byte for byte: a book built from hand-written games against the book derived from
// them by hand, the merge and filter rules, batches, and what bad input must not break.
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>

#include "base/data_rows.h"
#include "book/book.h"
#include "book_test_util.h"
#include "interface/in_temp_dir.h"

namespace {

// The first 30 half-moves of the hand-written games' main line.
const std::string LINE_30 =
    "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 6. Re1 b5 7. Bb3 d6 8. c3 O-O 9. h3 Nb8\n"
    "10. d4 Nbd7 11. Nbd2 Bb7 12. Bc2 Re8 13. Nf1 Bf8 14. Ng3 g6 15. a4 c5";

std::string pgn_game(const std::string& result, const std::string& moves = LINE_30) {
    return "[Event \"E\"]\n[Site \"S\"]\n[Date \"2024.01.01\"]\n[Round \"1\"]\n[White \"W\"]\n[Black \"B\"]\n"
           "[Result \""
           + result + "\"]\n\n" + moves + " " + result + "\n\n";
}

// The text with each LF replaced by `line_end`.
std::string with_line_ends(std::string text, const std::string& line_end) {
    for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += line_end.size())
        text.replace(at, 1, line_end);
    return text;
}

bool logged(const std::string& log, const std::string& text) { return log.find(text) != std::string::npos; }

using BookFiles = Tin_temp_dir;

// The expected book is a data file: lines of moves, then one row per record.
TEST_F(BookFiles, HandWrittenGamesGiveTheBookDerivedByHand) {
    std::map<std::string, std::vector<std::string>> lines;
    std::vector<Tbook_record>                       expected;
    for (const Trow& row : read_rows("book/data/hand_games_book.txt")) {
        if (row[0] == "line") {
            for (const std::string& move : words(row[2])) {
                const size_t colon = move.find(':');
                const auto&  base  = lines[move.substr(0, colon)];
                if (colon == std::string::npos)
                    lines[row[1]].push_back(move);
                else
                    lines[row[1]].insert(lines[row[1]].end(), base.begin(),
                                         base.begin() + std::stoi(move.substr(colon + 1)));
            }
            continue;
        }
        std::vector<int> counts;
        for (const std::string& n : words(row[3] + " " + row[4]))
            counts.push_back(std::stoi(n));
        const auto& line = lines[row[0]];
        expected.push_back(
            book_record(key_after({line.begin(), line.begin() + row.number(1)}), row.number(2), counts));
    }
    ASSERT_EQ(expected.size(), 44u);
    write_file("games.pgn", test_data("book/data/hand_games.pgn"));
    ASSERT_EQ(make_book("games.pgn", "hand.bin"), 1);
    EXPECT_EQ(dump(read_file("hand.bin")), dump(book_bytes(expected)));
    EXPECT_EQ(list_dir("."), (std::vector<std::string>{"games.pgn", "hand.bin", "log"}));
    EXPECT_TRUE(logged(only_log(), "=> 8 games found in 'games.pgn'\n"));
}

TEST_F(BookFiles, MergeAddsCountersUpToTheLimitAndFilterKeepsEnoughGames) {
    const uint64_t                  last = 0xFFFF000000000001ULL; // the high half decides the order
    const std::vector<Tbook_record> a    = {
           book_record(0x10, 4, {1, 2, 3, 4, 5, 6}),
           book_record(0x20, 0, {32750, 0, 0, 0, 0, 32750}),
           book_record(0x30, 0, {32751, 65500, 0, 0, 0, 1}),
           book_record(0x40, 16, {3}),
           book_record(last, 0, {0, 1, 0, 1}),
    };
    const std::vector<Tbook_record> b = {book_record(0x05, 0, {7}),
                                         book_record(0x10, 32, {1, 1, 1, 1, 1, 1})};
    write_file("a.bin", book_bytes(a));
    write_file("b.bin", book_bytes(b));
    const std::vector<Tbook_record> doubled = {
        book_record(0x10, 4, {2, 4, 6, 8, 10, 12}), book_record(0x20, 0, {65500, 0, 0, 0, 0, 65500}),
        book_record(0x30, 0, {32751, 65500, 0, 0, 0, 2}), book_record(0x40, 16, {6}),
        book_record(last, 0, {0, 2, 0, 2})};
    ASSERT_EQ(merge_books("a.bin", "a.bin", "out.bin"), 1);
    EXPECT_EQ(dump(read_file("out.bin")), dump(book_bytes(doubled)));
    ASSERT_EQ(merge_books("a.bin", "b.bin", "out.bin"), 1);
    EXPECT_EQ(dump(read_file("out.bin")),
              dump(book_bytes({b[0], book_record(0x10, 4, {2, 3, 4, 5, 6, 7}), a[1], a[2], a[3], a[4]})));

    // Weights: source games plus twice the engine's games.
    const std::pair<int, std::vector<Tbook_record>> filters[] = {{0, a},
                                                                 {3, {a[0], a[1], a[2], a[3], a[4]}},
                                                                 {4, {a[0], a[1], a[2]}},
                                                                 {65501, {a[1], a[2]}},
                                                                 {200000, {}}};
    for (const auto& [minimum, kept] : filters) {
        ASSERT_EQ(filter_book("a.bin", "out.bin", minimum), 1) << minimum;
        EXPECT_EQ(dump(read_file("out.bin")), dump(book_bytes(kept))) << minimum;
    }
    // In place: the book is read whole before it is replaced.
    ASSERT_EQ(merge_books("a.bin", "a.bin", "a.bin"), 1);
    EXPECT_EQ(read_file("a.bin"), book_bytes(doubled));
}

TEST_F(BookFiles, TenThousandAndOneGamesTakeThreeBatches) {
    static const char* const RESULTS[3] = {"1-0", "0-1", "1/2-1/2"};
    std::string              pgn;
    for (int i = 0; i < 10001; ++i)
        pgn += pgn_game(RESULTS[i % 3]);
    write_file("many.pgn", pgn);
    ASSERT_EQ(make_book("many.pgn", "many.bin"), 1);

    const std::vector<std::string> line = words(
        "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1 f8e7 f1e1 b7b5 a4b3 d7d6 c2c3 e8g8 h2h3 c6b8 d2d4 "
        "b8d7 b1d2 c8b7 b3c2 f8e8 d2f1 e7f8 f1g3 g7g6 a2a4 c7c5");
    std::vector<Tbook_record> expected;
    for (size_t i = 0; i <= line.size(); ++i)
        expected.push_back(
            book_record(key_after({line.begin(), line.begin() + std::ptrdiff_t(i)}), 0, {3334, 3334, 3333}));
    EXPECT_EQ(dump(read_file("many.bin")), dump(book_bytes(expected)));
    for (const char* text :
         {"=> 10001 games found in 'many.pgn'\n", "=> Iteration #1/3 : Games from 1 to 5000\n",
          "=> Iteration #2/3 : Games from 5001 to 10000\n", "=> Iteration #3/3 : Games from 10001 to 10001\n",
          "\n=> The opening book 'many.bin' has been created\n"})
        EXPECT_TRUE(logged(only_log(), text)) << text;
    EXPECT_EQ(list_dir("."), (std::vector<std::string>{"log", "many.bin", "many.pgn"}));
}

// Damaged input: games still read where they can be, clear messages, no crash, and the book
// already in place left as it was whenever a command fails.
TEST_F(BookFiles, BadInputNeverCostsTheBookInPlace) {
    write_file("plain.pgn", pgn_game("1-0"));
    ASSERT_EQ(make_book("plain.pgn", "plain.bin"), 1);
    const std::string plain = read_file("plain.bin");
    ASSERT_EQ(plain.size(), 31u * BOOK_RECORD_SIZE);

    std::string garbage(300000, '\0');
    uint32_t    seed = 12345;
    for (char& c : garbage)
        c = char((seed = seed * 1103515245 + 12345) >> 16);
    // A comment line of 200 kB, with a word of 100 kB in it.
    std::string long_lines = LINE_30, comment = "{";
    while (comment.size() < 200000)
        comment += " a long comment";
    long_lines.insert(long_lines.find("5. O-O"), comment + " " + std::string(100000, 'x') + " }\n");
    std::string broken_tags = pgn_game("1-0");
    broken_tags.erase(broken_tags.find("[Round"), broken_tags.find("[White") - broken_tags.find("[Round"));
    // Old Macintosh line ends (CR alone) among Windows ones.
    std::string mixed_line_ends = with_line_ends(pgn_game("1-0"), "\r\n");
    for (const char* next : {"[Date", "1. e4", "10."})
        mixed_line_ends.erase(mixed_line_ends.find(next) - 1, 1);
    const std::string readable[] = {pgn_game("1-0", long_lines),
                                    garbage + "\n\n" + pgn_game("1-0"),
                                    broken_tags + pgn_game("1-0"),
                                    pgn_game("1-0").substr(0, pgn_game("1-0").size() - 2),
                                    pgn_game("1-0", LINE_30 + " " + garbage.substr(0, 5000)),
                                    with_line_ends(pgn_game("1-0"), "\r"),
                                    mixed_line_ends};
    for (const std::string& pgn : readable) {
        write_file("bad.pgn", pgn);
        ASSERT_EQ(make_book("bad.pgn", "out.bin"), 1) << &pgn - readable;
        EXPECT_EQ(dump(read_file("out.bin")), dump(plain)) << &pgn - readable;
    }

    write_file("good.bin", plain);
    write_file("torn.bin", plain + "12345");
    write_file("unsorted.bin",
               plain.substr(BOOK_RECORD_SIZE, BOOK_RECORD_SIZE) + plain.substr(0, BOOK_RECORD_SIZE));
    write_file("garbage.pgn", garbage);
    write_file("readonly.bin", plain);
    // Games that cannot be read: no blank line after the tags, no Result tag, only Event lines.
    std::string untagged = pgn_game("1-0"), resultless = untagged;
    untagged.erase(untagged.find("\n\n"), 1);
    resultless.erase(resultless.find("[Result"), resultless.find("\n\n") + 1 - resultless.find("[Result"));
    write_file("untagged.pgn", untagged + untagged);
    write_file("resultless.pgn", resultless);
    write_file("events.pgn", "[Event \"A\"]\n[Event \"B\"]\n");
    std::filesystem::permissions("readonly.bin", std::filesystem::perms::owner_read);
    const std::pair<std::function<int()>, const char*> failing[] = {
        {[] { return make_book("none.pgn", "good.bin"); },
         "Pb lors de l'extraction des parties de none.pgn !\n"},
        {[] { return make_book("garbage.pgn", "good.bin"); }, "=> 0 games found in 'garbage.pgn'\n"},
        {[] { return make_book("good.bin", "garbage.pgn"); }, "=> 0 games found in 'good.bin'\n"},
        {[] { return make_book("untagged.pgn", "good.bin"); },
         "Pb lors de l'extraction des parties de untagged.pgn !\n"},
        {[] { return make_book("resultless.pgn", "good.bin"); },
         "Pb lors de l'extraction des parties de resultless.pgn !\n"},
        {[] { return make_book("events.pgn", "good.bin"); },
         "Pb lors de l'extraction des parties de events.pgn !\n"},
        {[] { return merge_books("none.bin", "torn.bin", "good.bin"); },
         "Impossible d'ouvrir le fichier none.bin !\n"},
        {[] { return merge_books("torn.bin", "unsorted.bin", "good.bin"); },
         "unsorted.bin is not sorted: record 1 is out"},
        {[] { return filter_book("torn.bin", "none/good.bin", 0); },
         "Impossible d'ouvrir le fichier none/good.bin !\n"},
        {[] { return make_book("plain.pgn", "readonly.bin"); },
         "Impossible d'ouvrir le fichier readonly.bin !\n"},
    };
    for (const auto& [run, message] : failing) {
        EXPECT_EQ(run(), 0) << message;
        EXPECT_TRUE(logged(only_log(), message)) << message;
        EXPECT_EQ(read_file("good.bin") + read_file("readonly.bin"), plain + plain) << message;
        EXPECT_EQ(read_file("garbage.pgn"), garbage) << message;
    }
    // A torn last record is left out, and said so.
    ASSERT_EQ(filter_book("torn.bin", "out.bin", 0), 1);
    EXPECT_EQ(read_file("out.bin"), plain);
    EXPECT_TRUE(logged(only_log(), "torn.bin: the last 5 bytes are no whole record, ignored\n"));
    EXPECT_EQ(list_dir(".").size(), 13u); // no temporary file left
}

} // namespace
