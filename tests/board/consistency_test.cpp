// Every incremental field of the board state checked against its recomputation around every
// make and unmake of the perft trees, and the board restored bit for bit by unmake.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "board/notation.h"
#include "perft.h"

namespace {

static_assert(std::is_trivially_copyable_v<Tboard>, "the board snapshot is a byte copy");
static_assert(std::is_trivially_copyable_v<Tboarddata>, "the record snapshot is a byte copy");

const std::string SUITE_FILE = std::string(BRELOK_SHARED_DATA) + "/perftsuite.epd";
const std::string NAMED_FILE = std::string(BRELOK_SHARED_DATA) + "/perft_named.epd";

// The board state without the key history, whose entries past the current ply are scratch:
// everything from the mailbox to the pawn key, and everything after the history (ply, current
// record, phase and the private rotated sets).
struct Tboard_bytes {
    std::vector<unsigned char> head, tail;

    static Tboard_bytes take(const Tboard& b) {
        const auto* base       = reinterpret_cast<const unsigned char*>(&b);
        const auto* head_begin = reinterpret_cast<const unsigned char*>(&b.board);
        const auto* head_end   = reinterpret_cast<const unsigned char*>(&b.key_history);
        const auto* tail_begin = reinterpret_cast<const unsigned char*>(&b.ply);
        const auto* tail_end   = base + sizeof(Tboard);
        return {{head_begin, head_end}, {tail_begin, tail_end}};
    }
    bool operator==(const Tboard_bytes&) const = default;
};

std::string coord(Move m, int side) {
    char text[8];
    move_to_coord(m, text, side);
    return text;
}

// The moves from the root to this record, for failure messages.
std::string line_of(const Tboarddata& record) {
    std::string line;
    for (const Tboarddata* r = &record; r && r->parent; r = r->parent)
        line = coord(r->move, r->parent->side) + " " + line;
    return line;
}

// Squares of the pieces checking the side to move, in the order make_child must record them:
// the piece that moved (the rook of a castling) first, then the uncovered one; after en passant,
// and for a position set up from text, in ascending square order.
std::vector<int> expected_checkers(const Tboarddata& record) {
    const Color side  = record.side_to_move();
    const Square king = board_state.king_sq[side];
    Bitboard found    = side == WHITE ? board_state.attackers_black(king) : board_state.attackers_white(king);
    std::vector<int> squares;
    Square direct = NO_SQUARE;
    if (record.parent) {
        const int kind = move_kind(record.move);
        if (kind >= KIND_PAWN && kind <= KIND_PROMO_QUEEN)
            direct = move_to(record.move);
        else if (kind == KIND_CASTLE_KING)
            direct = side == BLACK ? 5 : 61; // f1 or f8: the rook of the side that castled
        else if (kind == KIND_CASTLE_QUEEN)
            direct = side == BLACK ? 3 : 59;
    }
    if (direct != NO_SQUARE && (found & square_bb(direct))) {
        squares.push_back(direct);
        found &= ~square_bb(direct);
    }
    while (found)
        squares.push_back(pop_lsb(found));
    return squares;
}

std::vector<int> recorded_checkers(const Tboarddata& record) {
    std::vector<int> squares;
    for (int i = 0; i < record.nb_checkers && i < 2; ++i)
        squares.push_back(record.checker_sq[i]);
    return squares;
}

// Castling rights may only be held while king and rook stand on their squares.
bool rights_match_board(unsigned castle) {
    const auto has = [](Square s, int code) { return board_state.board[s] == code; };
    return (!(castle & WHITE_OO) || (has(4, 6) && has(7, 4))) && (!(castle & WHITE_OOO) || (has(4, 6) && has(0, 4))) &&
           (!(castle & BLACK_OO) || (has(60, -6) && has(63, -4))) &&
           (!(castle & BLACK_OOO) || (has(60, -6) && has(56, -4)));
}

class Tconsistency_checker : public Tperft_observer {
  public:
    int failures = 0;
    std::string report; // the first few faults in full

    void before_make(const Tboarddata& parent, Move) override {
        boards.push_back(Tboard_bytes::take(board_state));
        Tboarddata copy;
        std::memcpy(static_cast<void*>(&copy), &parent, sizeof copy);
        records.push_back(copy);
    }

    void after_make(const Tboarddata& parent, const Tboarddata& child) override {
        const char* mismatch = nullptr;
        if (!board_state.is_consistent(child.side_to_move(), &mismatch))
            fault(child, std::string("after make, field ") + (mismatch ? mismatch : "?"));
        if (board_state.current_record != &child || child.parent != &parent || board_state.ply != parent_ply() + 1)
            fault(child, "after make, record chain or ply");
        if (board_state.key_history[board_state.game_ply + board_state.ply] != board_state.hash_key)
            fault(child, "after make, key history");
        if (expected_checkers(child) != recorded_checkers(child))
            fault(child, "after make, checkers " + squares_text(recorded_checkers(child)) + " expected " +
                             squares_text(expected_checkers(child)));
        if (!rights_match_board(child.castle & CASTLE_RIGHTS_MASK))
            fault(child, "after make, castling rights " + std::to_string(child.castle & CASTLE_RIGHTS_MASK));
        const Move m      = child.move;
        const bool push2  = move_kind(m) == KIND_PAWN && (move_to(m) - move_from(m) == 16 || move_from(m) - move_to(m) == 16);
        if (child.ep_file != (push2 ? file_of(move_to(m)) : NO_SQUARE))
            fault(child, "after make, ep_file " + std::to_string(child.ep_file));
        const bool resets = move_captured(m) != 0 || move_kind(m) == KIND_PAWN || is_promotion_kind(move_kind(m)) ||
                            move_kind(m) == KIND_EN_PASSANT;
        if (child.halfmove_clock != (resets ? 0 : parent.halfmove_clock + 1))
            fault(child, "after make, halfmove clock " + std::to_string(child.halfmove_clock));
    }

    void after_unmake(const Tboarddata& parent, Move m) override {
        const Tboard_bytes before = boards.back();
        boards.pop_back();
        const Tboarddata record = records.back();
        records.pop_back();
        const char* mismatch = nullptr;
        if (!board_state.is_consistent(parent.side_to_move(), &mismatch))
            fault(parent, "after unmake of " + coord(m, parent.side) + ", field " + (mismatch ? mismatch : "?"));
        if (!(Tboard_bytes::take(board_state) == before))
            fault(parent, "after unmake of " + coord(m, parent.side) + ", board state differs from before make");
        if (std::memcmp(static_cast<const void*>(&record), &parent, sizeof record) != 0)
            fault(parent, "after unmake of " + coord(m, parent.side) + ", parent record changed");
        if (board_state.current_record != &parent)
            fault(parent, "after unmake of " + coord(m, parent.side) + ", current record");
    }

    void check_root(const Tboarddata& root) {
        const char* mismatch = nullptr;
        if (!board_state.is_consistent(root.side_to_move(), &mismatch))
            fault(root, std::string("after set-up, field ") + (mismatch ? mismatch : "?"));
        if (expected_checkers(root) != recorded_checkers(root))
            fault(root, "after set-up, checkers " + squares_text(recorded_checkers(root)));
        if (!rights_match_board(root.castle & CASTLE_RIGHTS_MASK))
            fault(root, "after set-up, castling rights");
    }

  private:
    std::vector<Tboard_bytes> boards;
    std::vector<Tboarddata> records;

    int parent_ply() const { return int(boards.size()) - 1; }

    static std::string squares_text(const std::vector<int>& squares) {
        std::string text = "[";
        for (int s : squares)
            text += std::string(s >= 0 && s < 64 ? SQUARE_NAMES[s] : "?") + " ";
        return text + "]";
    }

    void fault(const Tboarddata& at, const std::string& what) {
        if (++failures <= 10)
            report += "  moves " + line_of(at) + ": " + what + "\n";
    }
};

void walk_file(const std::string& path, int depth) {
    const std::vector<Tperft_case> cases = read_perft_file(path);
    ASSERT_FALSE(cases.empty()) << path;
    for (const Tperft_case& c : cases) {
        ASSERT_TRUE(perft_setup(c.fen)) << c.fen;
        Tconsistency_checker checker;
        checker.check_root(perft_records[0]);
        const uint64_t nodes = perft_observed(depth, checker);
        EXPECT_EQ(checker.failures, 0) << c.fen << "\n" << checker.report;
        if (c.count(depth)) {
            EXPECT_EQ(nodes, c.count(depth)) << c.fen;
        }
    }
}

TEST(Consistency, PerftSuiteTreesToDepth3) { walk_file(SUITE_FILE, 3); }

TEST(Consistency, NamedTreesToDepth3) { walk_file(NAMED_FILE, 3); }

} // namespace
