// Every incremental field of the board state checked against its recomputation around every
// make and unmake of the perft trees, and the board restored bit for bit by unmake.
#include <cstring>
#include <gtest/gtest.h>
#include <type_traits>

#include "base/data_rows.h"
#include "board/notation.h"
#include "perft.h"

namespace {

static_assert(std::is_trivially_copyable_v<Tboard> && std::is_trivially_copyable_v<Tboarddata>,
              "the snapshots are byte copies");

// The board state without the key history, whose entries past the current ply are scratch.
std::string board_bytes() {
    const auto* base = reinterpret_cast<const char*>(&board_state);
    const auto* head = reinterpret_cast<const char*>(&board_state.board);
    const auto* hist = reinterpret_cast<const char*>(&board_state.key_history);
    const auto* tail = reinterpret_cast<const char*>(&board_state.ply);
    return std::string(head, hist) + std::string(tail, base + sizeof(Tboard));
}

std::string line_of(const Tboarddata& record) {
    std::string line;
    for (const Tboarddata* r = &record; r && r->parent; r = r->parent) {
        line = coord_text(r->move, r->parent->side_to_move()) + " " + line;
    }
    return line;
}

// Checkers of the side to move in the order make_child records them: the piece that moved (the
// rook of a castling) first, then the uncovered one; after en passant and at a set-up, by square.
std::vector<int> expected_checkers(const Tboarddata& record) {
    const Color  side = record.side_to_move();
    const Square king = board_state.king_sq[side];
    Bitboard found    = side == WHITE ? board_state.attackers_black(king) : board_state.attackers_white(king);
    std::vector<int> squares;
    const int        kind   = record.parent ? move_kind(record.move) : KIND_NONE;
    const Square     direct = kind >= KIND_PAWN && kind <= KIND_PROMO_QUEEN ? move_to(record.move)
                              : kind == KIND_CASTLE_KING                    ? (side == BLACK ? 5 : 61)
                              : kind == KIND_CASTLE_QUEEN                   ? (side == BLACK ? 3 : 59)
                                                                            : NO_SQUARE;
    if (direct != NO_SQUARE && (found & square_bb(direct))) {
        squares.push_back(direct);
        found &= ~square_bb(direct);
    }
    while (found)
        squares.push_back(pop_lsb(found));
    return squares;
}

// Castling rights may only be held while king and rook stand on their squares.
bool rights_match_board(unsigned castle) {
    const auto has = [](Square s, int code) { return board_state.board[s] == code; };
    return (!(castle & WHITE_OO) || (has(4, 6) && has(7, 4)))
           && (!(castle & WHITE_OOO) || (has(4, 6) && has(0, 4)))
           && (!(castle & BLACK_OO) || (has(60, -6) && has(63, -4)))
           && (!(castle & BLACK_OOO) || (has(60, -6) && has(56, -4)));
}

class Tconsistency_checker : public Tperft_observer {
  public:
    int         failures = 0;
    std::string report; // the first faults in full

    void check(const Tboarddata& record, const char* when) {
        const char* mismatch = nullptr;
        if (!board_state.is_consistent(record.side_to_move(), &mismatch))
            fault(record, when, std::string("field ") + (mismatch ? mismatch : "?"));
        std::vector<int> recorded(record.checker_sq, record.checker_sq + std::min(record.nb_checkers, 2));
        if (recorded != expected_checkers(record))
            fault(record, when, "checkers");
        if (!rights_match_board(record.castle & CASTLE_RIGHTS_MASK))
            fault(record, when, "castling rights");
    }
    void before_make(const Tboarddata& parent, Move) override {
        boards.push_back(board_bytes());
        records.push_back(std::string(reinterpret_cast<const char*>(&parent), sizeof parent));
    }
    void after_make(const Tboarddata& parent, const Tboarddata& child) override {
        check(child, "after make");
        const Move m    = child.move;
        const int  kind = move_kind(m);
        const bool push2 =
            kind == KIND_PAWN && (move_to(m) - move_from(m) == 16 || move_from(m) - move_to(m) == 16);
        const bool resets =
            move_captured(m) || kind == KIND_PAWN || is_promotion_kind(kind) || kind == KIND_EN_PASSANT;
        if (board_state.current_record != &child || child.parent != &parent
            || board_state.ply != int(boards.size()))
            fault(child, "after make", "record chain or ply");
        if (board_state.key_history[board_state.game_ply + board_state.ply] != board_state.hash_key)
            fault(child, "after make", "key history");
        if (child.ep_file != (push2 ? file_of(move_to(m)) : NO_SQUARE))
            fault(child, "after make", "ep_file");
        if (child.halfmove_clock != (resets ? 0 : parent.halfmove_clock + 1))
            fault(child, "after make", "half-move clock");
    }
    void after_unmake(const Tboarddata& parent, Move) override {
        check(parent, "after unmake");
        if (board_bytes() != boards.back() || board_state.current_record != &parent)
            fault(parent, "after unmake", "board state differs from before make");
        if (std::string(reinterpret_cast<const char*>(&parent), sizeof parent) != records.back())
            fault(parent, "after unmake", "parent record changed");
        boards.pop_back();
        records.pop_back();
    }

  private:
    std::vector<std::string> boards, records;

    void fault(const Tboarddata& at, const char* when, const std::string& what) {
        if (++failures <= 10)
            report += "  moves " + line_of(at) + ": " + when + ", " + what + "\n";
    }
};

TEST(Consistency, PerftTreesToDepth3) {
    for (const char* file : {"perftsuite.epd", "perft_named.epd"}) {
        const std::vector<Tperft_case> cases = read_perft_file(shared_file(file));
        ASSERT_FALSE(cases.empty()) << file;
        for (const Tperft_case& c : cases) {
            ASSERT_TRUE(perft_setup(c.fen)) << c.fen;
            Tconsistency_checker checker;
            checker.check(perft_records[0], "after set-up");
            const uint64_t nodes = perft_observed(3, checker);
            EXPECT_EQ(checker.failures, 0) << c.fen << "\n" << checker.report;
            EXPECT_EQ(nodes, c.count(3)) << c.fen;
        }
    }
}

} // namespace
