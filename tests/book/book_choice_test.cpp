// The book's choice through the real engine: books written for a position, "go", and what the
// engine prints and plays. The cases are rows of data/book_choice.txt.
#include <algorithm>
#include <gtest/gtest.h>

#include "base/data_rows.h"
#include "book_test_util.h"
#include "interface/game_session.h"

namespace {

const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// "move mark counters ; ..." as a book for the positions after those moves; "+bytes" appended.
std::string book_for(const std::vector<std::string>& before, const std::string& entries) {
    std::vector<Tbook_record> records;
    std::string               tail;
    for (size_t start = 0; start < entries.size();) {
        const size_t                   end = std::min(entries.find(';', start), entries.size());
        const std::vector<std::string> w   = words(entries.substr(start, end - start));
        start                              = end + 1;
        if (w[0][0] == '+') {
            tail = w[0].substr(1);
            continue;
        }
        std::vector<std::string> moves = before;
        moves.push_back(w[0]);
        std::vector<int> counts;
        for (size_t i = 2; i < w.size(); ++i)
            counts.push_back(std::stoi(w[i]));
        records.push_back(book_record(key_after(moves), std::stoi(w[1]), counts));
    }
    return book_bytes(records) + tail;
}

std::string with_line_ends(std::string text) {
    for (size_t at; (at = text.find("\\n")) != std::string::npos;)
        text.replace(at, 2, "\n");
    return text;
}

TEST(BookChoice, CandidatesAreFilteredRankedShownAndDrawnFromTheBest) {
    for (const Trow& c : read_rows("book/data/book_choice.txt")) {
        SCOPED_TRACE(c.where + " " + c[0]);
        Tgame_session                  s("noise=99");
        const std::vector<std::string> before = words(c[1]);
        write_file(s.dir.file("b_book.bin"), book_for(before, c[2]));
        if (!c[3].empty())
            write_file(s.dir.file("b_style.bin"), book_for(before, c[3]));
        std::string commands = "xboard\neasy\nmax_sd 2\nforce\n";
        for (const std::string& move : before)
            commands += move + "\n";
        s.send(commands + "go\n");
        const std::string move = s.next_move();
        ASSERT_FALSE(move.empty());
        const std::string shown = fen_after(START, before) + "\n" + with_line_ends(c[4])
                                  + std::to_string((before.size() + 2) / 2) + ". ... " + move + "\n";
        EXPECT_NE(s.protocol_lines().find(shown), std::string::npos) << s.protocol_lines();
        const std::vector<std::string> allowed = words(c[5]);
        EXPECT_TRUE(allowed.empty() || std::find(allowed.begin(), allowed.end(), move) != allowed.end())
            << move;
        EXPECT_NE(move, c[6]);
        s.send("quit\n");
        EXPECT_EQ(s.engine.wait_exit(), 0);
    }
}

} // namespace
