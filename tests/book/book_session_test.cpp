// The book in games of the real engine: asked at each of its turns until one of its moves came
// from a search, never from an edited position nor when switched off, and updated by "result".
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

#include "book_test_util.h"
#include "interface/game_session.h"

namespace {

const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// The first of the moves that is legal after the game's moves.
std::string first_legal(const std::vector<std::string>& game, const std::vector<std::string>& choices) {
    const std::vector<std::string> legal = legal_moves(fen_after(START, game));
    for (const std::string& move : choices)
        if (std::find(legal.begin(), legal.end(), move) != legal.end())
            return move;
    return "";
}

// The engine's next move, and whether it printed a search line (one starting with a blank) or
// book statistics before it.
struct Tturn {
    std::string move;
    bool        searched, from_book;
};
Tturn turn(Tgame_session& s) {
    const size_t      from = s.mark;
    const std::string move = s.next_move();
    const std::string text = s.engine.output().substr(from, s.mark - from);
    return {move, text.find("\n ") != std::string::npos, text.find("!!\n\n") != std::string::npos};
}

TEST(BookSession, AskedUntilTheFirstSearchNeverAfterEditOrWhenOffAndUpdatedByResult) {
    Tgame_session                    s;
    std::map<uint64_t, Tbook_record> book;
    const auto                       bytes = [&] {
        std::vector<Tbook_record> all;
        for (const auto& [key, record] : book)
            all.push_back(record);
        return book_bytes(all);
    };
    const auto put = [&](const std::vector<std::string>& moves, int mark, std::vector<int> counts,
                         const std::string& fen = "") {
        const uint64_t key = key_after(moves, fen);
        book[key]          = book_record(key, mark, counts);
        write_file(s.dir.file("b_book.bin"), bytes());
        return key;
    };
    std::vector<std::string>       game   = {"e2e4", "e7e5", "g1f3", "b8c6"};
    const std::vector<std::string> quiet  = {"a2a3", "h2h3", "b2b3", "g2g3"};
    std::vector<uint64_t>          scored = {put({"e2e4"}, 8, {}), put({"e2e4", "e7e5", "g1f3"}, 8, {10})};
    put({"e2e4", "e7e5", "g1f3", "b8c6", "f1b5"}, 0, {2}); // too few games

    s.send("xboard\neasy\nmax_sd 2\nnew\ngo\n");
    ASSERT_TRUE(s.expect(fen_after(START, {}) + "\ne4!!\n\n1. ... e2e4\n"));
    s.send("e7e5\n");
    ASSERT_TRUE(s.expect(fen_after(START, {"e2e4", "e7e5"}) + "\nNf3!!\n\n2. ... g1f3\n"));
    // A known position without a move good enough: a search, and the book is asked again.
    s.send("b8c6\n");
    Tturn t = turn(s);
    EXPECT_TRUE(t.searched && !t.from_book);
    game.push_back(t.move);
    scored.push_back(put(game, 0, {1}));
    game.push_back(first_legal(game, {"h7h6", "a7a6", "a7a5"}));
    game.push_back(first_legal(game, quiet));
    scored.push_back(put(game, 8, {}));
    s.send(game[game.size() - 2] + "\n");
    t = turn(s);
    EXPECT_TRUE(t.move == game.back() && t.from_book && !t.searched);

    // Out of the book: a search, and from then on the book is not asked.
    game.push_back(first_legal(game, {"g7g6", "a7a6", "a7a5"}));
    s.send(game.back() + "\n");
    t = turn(s);
    EXPECT_TRUE(t.searched && !t.from_book);
    game.push_back(t.move);
    game.push_back(first_legal(game, {"h7h6", "g7g6", "a7a6", "a7a5", "b7b6"}));
    std::vector<std::string> planted = game;
    planted.push_back(first_legal(game, quiet));
    put(planted, 8, {});
    s.send(game.back() + "\n");
    t = turn(s);
    EXPECT_TRUE(t.searched && !t.from_book);

    // The positions after the engine's moves 1, 3, 5 and 7 are in the book; 9 is not.
    s.send("result 1-0\n");
    ASSERT_TRUE(s.expect("Updating 'b_book.bin' : 4 changes\n"));
    s.send("new\nbook off\ngo\n");
    t = turn(s);
    EXPECT_TRUE(t.searched && !t.from_book);
    for (const uint64_t key : scored)
        book[key].counts[ENGINE_WHITE_WINS] = 1;
    EXPECT_EQ(dump(read_file(s.dir.file("b_book.bin"))), dump(bytes()));

    // An edited position never asks the book, even for a move it holds.
    put({"e2e4"}, 8, {}, "4k3/8/8/8/8/8/4P3/4K3 w - -");
    s.send("new\nforce\nedit\n#\nKe1\nPe2\nc\nKe8\n.\ngo\n");
    t = turn(s);
    EXPECT_TRUE(t.searched && !t.from_book);
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);

    // Switched off in the settings: a search from the start. The console's book commands reach
    // their files: fusion doubles, filtrebin writes a new book, filtre replaces its input.
    write_file(s.dir.file("brelok.ini"), settings_with("ENABLE_BOOK=FALSE"));
    Tengine_process off(s.dir.path());
    off.send("xboard\neasy\nmax_sd 2\nnew\ngo\n");
    ASSERT_TRUE(off.wait_for(". ... "));
    EXPECT_EQ(off.output().find("!!"), std::string::npos);
    EXPECT_NE(off.output().find("\n "), std::string::npos);
    EXPECT_NE(off.output().find("\n" + std::to_string(book.size())
                                + " entries found in the Opening Book (b_book.bin)\n"),
              std::string::npos);
    off.send("fusion b_book.bin b_book.bin twice.bin\nfiltrebin twice.bin some.bin 4\nfiltre twice.bin "
             "20\nquit\n");
    EXPECT_EQ(off.wait_exit(), 0);
    std::vector<Tbook_record> some, many;
    for (Tbook_record record : book_records(read_file(s.dir.file("b_book.bin")))) {
        for (uint16_t& c : record.counts)
            c = uint16_t(2 * c);
        const double weight = record.source_games() + 2 * record.engine_games();
        if (weight >= 4)
            some.push_back(record);
        if (weight >= 20)
            many.push_back(record);
    }
    EXPECT_EQ(dump(read_file(s.dir.file("some.bin"))), dump(book_bytes(some)));
    EXPECT_EQ(dump(read_file(s.dir.file("twice.bin"))), dump(book_bytes(many)));
    EXPECT_FALSE(file_exists(s.dir.file("_tmp0001.bin")));
}

// A game longer than the record holds: the book's statistics after it still follow the engine's
// moves from the start (the position after its first move is the book's, the next one is not,
// and the knights' dance after it never comes back to either).
TEST(BookSession, AGameLongerThanTheRecordIsCountedFromItsStart) {
    Tgame_session  s;
    const uint64_t key = key_after({"e2e4", "e7e5"});
    write_file(s.dir.file("b_book.bin"), book_bytes({book_record(key, 0, {})}));
    const char* const knights[4] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    std::string       input      = "xboard\nforce\ne2e4\ne7e5\nd2d4\nd7d5\n";
    for (int i = 0; i < 600; ++i)
        input += std::string(knights[i % 4]) + "\n";
    s.send(input + "result 1-0\nquit\n");
    EXPECT_EQ(s.engine.wait_exit(30), 0);
    EXPECT_NE(s.engine.output().find("Updating 'b_book.bin' : 1 changes\n"), std::string::npos);
    Tbook_record counted              = book_record(key, 0, {});
    counted.counts[ENGINE_WHITE_WINS] = 1;
    EXPECT_EQ(dump(read_file(s.dir.file("b_book.bin"))), dump(book_bytes({counted})));
}

} // namespace
