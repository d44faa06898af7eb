// Board edge cases, table-driven from data/: move lists in generation order and their legality,
// the records make_child fills, the FEN reader's checks and warnings; the hash-key values.
#include <gtest/gtest.h>

#include "base/config.h"
#include "base/data_rows.h"
#include "board/notation.h"
#include "board/tables.h"
#include "perft.h"

namespace {

Tboarddata* const records = perft_records;

std::string list_text(const Tboarddata& r) {
    std::string text;
    for (int i = 1; i <= r.nb_moves; ++i)
        text += (i > 1 ? " " : "") + coord_text(r.moves[i], r.side_to_move());
    return text;
}

// The legal move of the record written `text` in coordinates ("null" for the null move).
Move legal_move(Tboarddata& r, const std::string& text) {
    if (text == "null")
        return NULL_MOVE;
    r.gen_legal();
    for (int i = 1; i <= r.nb_moves; ++i)
        if (coord_text(r.moves[i], r.side_to_move()) == text)
            return r.moves[i];
    return 0;
}

TEST(MoveGen, ListsInGenerationOrder) {
    for (const Trow& row : read_rows("board/data/move_lists.txt")) {
        ASSERT_TRUE(perft_setup(row[0])) << row.where;
        Tboarddata& r    = records[0];
        const auto  kind = row[1];
        std::string got;
        if (kind == "result") {
            const int result = r.gen_legal();
            got = result == GEN_CHECKMATE ? "checkmate" : result == GEN_STALEMATE ? "stalemate" : "moves";
            EXPECT_TRUE(result == GEN_MOVES
                        || (r.eval_flags & (BOUND_MASK | FLAG_TERMINAL)) == (BOUND_EXACT | FLAG_TERMINAL))
                << row.where;
            EXPECT_EQ(r.gen_legal(), result) << "a second call keeps the answer";
        } else {
            if (kind == "legal")
                r.gen_legal();
            else if (kind == "captures")
                r.gen_captures();
            else
                r.gen_all();
            if (kind == "filtered")
                r.filter_legal();
            if (kind == "evasions")
                r.filter_evasions();
            got = list_text(r);
        }
        EXPECT_EQ(got, row[2]) << row.where;
    }
}

// Each row's moves made one after the other, then taken back: the FEN, the half-move clock and
// the checkers of the last record; the root as it was after the take-backs.
TEST(MakeChild, RecordsAlongALine) {
    for (const Trow& row : read_rows("board/data/make_child.txt")) {
        ASSERT_TRUE(perft_setup(row[0])) << row.where;
        const uint64_t                 key   = board_state.hash_key;
        const std::vector<std::string> moves = words(row[1]);
        for (size_t i = 0; i < moves.size(); ++i) {
            const Move m = legal_move(records[i], moves[i]);
            ASSERT_NE(m, 0u) << row.where << " " << moves[i];
            records[i + 1].make_child(m, &records[i], false);
        }
        const Tboarddata& last = records[moves.size()];
        std::string       checkers;
        for (int i = 0; i < last.nb_checkers; ++i)
            checkers += (i ? " " : "") + std::string(SQUARE_NAMES[last.checker_sq[i]]);
        EXPECT_EQ(last.get_fen(), row[2] + " ") << row.where;
        EXPECT_EQ(std::to_string(last.halfmove_clock), row[3]) << row.where;
        EXPECT_EQ(checkers.empty() ? "-" : checkers, row[4]) << row.where;
        if (moves.size() == 1 && moves[0] == "null") {
            EXPECT_EQ(board_state.hash_key, key ^ side_key);
            EXPECT_EQ(board_state.key_history[board_state.game_ply + 1], key ^ side_key);
        }
        for (size_t i = moves.size(); i > 0; --i)
            unmake(records[i].move, &records[i - 1]);
        EXPECT_EQ(board_state.hash_key, key) << row.where;
        EXPECT_EQ(records[0].get_fen().substr(0, 20), row[0].substr(0, 20)) << row.where;
    }
}

TEST(MakeChild, FiftyMoveDrawFromTheHundredthHalfMove) {
    ASSERT_TRUE(perft_setup(STANDARD_START_FEN));
    records[0].halfmove_clock = 99;
    records[0].eval_flags     = BOUND_UPPER;
    EXPECT_EQ(records[0].is_fifty_move_draw(), 0);
    records[0].halfmove_clock = 100;
    EXPECT_EQ(records[0].is_fifty_move_draw(), 1);
    EXPECT_EQ(records[0].eval_flags & (BOUND_MASK | FLAG_DRAW_RULE), BOUND_EXACT | FLAG_DRAW_RULE);
}

// What the reader makes of a text: the FEN written back (or "refused"), the checkers it found in
// order, and what it printed ("\n" written as "/n").
TEST(SetFen, ChecksAndWarnings) {
    for (const Trow& row : read_rows("board/data/set_fen.txt")) {
        testing::internal::CaptureStdout();
        const int   read    = records[0].set_fen(row[0].c_str());
        std::string printed = testing::internal::GetCapturedStdout();
        for (size_t at; (at = printed.find('\n')) != std::string::npos;)
            printed.replace(at, 1, "/n");
        std::string checkers;
        for (int i = 0; read && i < records[0].nb_checkers; ++i)
            checkers += (i ? " " : "") + std::string(SQUARE_NAMES[records[0].checker_sq[i]]);
        EXPECT_EQ(read ? records[0].get_fen() : "refused", read ? row[1] + " " : row[1]) << row.where;
        EXPECT_EQ(checkers.empty() ? "-" : checkers, row[2]) << row.where;
        EXPECT_EQ(printed, row[3]) << row.where;
    }
}

TEST(SetFen, BookFlagOnlyForTheExactStartString) {
    config.book_on = 0;
    ASSERT_TRUE(perft_setup(STANDARD_START_FEN));
    EXPECT_EQ(config.book_on, 1);
    ASSERT_TRUE(perft_setup(STANDARD_START_FEN + std::string(" 0 1")));
    EXPECT_EQ(config.book_on, 0);
    EXPECT_EQ(records[0].parent, nullptr);
    EXPECT_EQ(board_state.current_record, &records[0]);
}

// Book and learning files store keys drawn from the generator with its fixed seed.
TEST(HashKeys, PinnedValues) {
    EXPECT_EQ(piece_keys[WHITE][PAWN][0], 0x039b11bf4890d6a4ull);
    EXPECT_EQ(piece_keys[WHITE][KING][63], 0x6ca33d46f23478d4ull);
    EXPECT_EQ(piece_keys[BLACK][PAWN][0], 0xe4f5dd9ec8d05b38ull);
    EXPECT_EQ(side_key, 0x9550b69b55772368ull); // the draw after all 768 piece keys

    ASSERT_TRUE(perft_setup(STANDARD_START_FEN));
    EXPECT_EQ(board_state.hash_key, 0x4efbbb0ed242cabfull);
    EXPECT_EQ(board_state.pawn_key, 0xf12221e04b5c76a4ull);
    EXPECT_EQ(board_state.key_history[board_state.game_ply], board_state.hash_key);
}

} // namespace
