// Malformed input: thousands of mutated FEN strings and coordinate moves, run under the
// sanitizers. A refused FEN may leave the board half filled, but a following valid set-up must
// repair everything.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "board/notation.h"
#include "perft.h"

namespace {

const std::string SUITE_FILE = std::string(BRELOK_SHARED_DATA) + "/perftsuite.epd";

// The repair position and its depth-3 count.
constexpr const char* REPAIR_FEN   = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -";
constexpr uint64_t    REPAIR_COUNT = 2812;

// Each text lives in a buffer of exactly its length plus the terminator, so that reading past
// the end is caught by the address sanitizer.
class Texact_text {
  public:
    explicit Texact_text(const std::string& text) : size(text.size()), data(new char[text.size() + 1]) {
        std::memcpy(data.get(), text.data(), size);
        data[size] = '\0';
    }
    const char* c_str() const { return data.get(); }

  private:
    size_t size;
    std::unique_ptr<char[]> data;
};

// The reader's castling warnings would flood the test output: they are kept off the screen,
// one call at a time so that a failure message is never swallowed.
int quiet_set_fen(Tboarddata& record, const char* text) {
    testing::internal::CaptureStdout();
    const int result = record.set_fen(text);
    testing::internal::GetCapturedStdout();
    return result;
}

class Tmutator {
  public:
    explicit Tmutator(uint64_t seed) : rng(seed) {}

    size_t below(size_t n) { return n == 0 ? 0 : size_t(rng() % n); }

    // Mostly characters a FEN may hold, sometimes any byte.
    char any_char() {
        static const std::string fen_chars = "pnbrqkPNBRQKwWbB-/ 012345678 9abcdefghKQkq";
        if (below(8) == 0)
            return char(1 + below(255));
        return fen_chars[below(fen_chars.size())];
    }

    std::string mutate(std::string text) {
        const int edits = 1 + int(below(3));
        for (int e = 0; e < edits; ++e) {
            switch (below(6)) {
            case 0: // flip one byte
                if (!text.empty())
                    text[below(text.size())] = any_char();
                break;
            case 1: // truncate
                text.resize(below(text.size() + 1));
                break;
            case 2: // insert
                text.insert(text.begin() + std::ptrdiff_t(below(text.size() + 1)), any_char());
                break;
            case 3: // delete
                if (!text.empty())
                    text.erase(text.begin() + std::ptrdiff_t(below(text.size())));
                break;
            case 4: { // repeat a piece of the text
                const size_t from = below(text.size() + 1);
                const size_t len  = below(16);
                text.insert(below(text.size() + 1), text.substr(from, len));
                break;
            }
            default: // swap two bytes
                if (text.size() > 1)
                    std::swap(text[below(text.size())], text[below(text.size())]);
                break;
            }
        }
        return text;
    }

    std::string garbage(size_t max_length) {
        std::string text(below(max_length + 1), ' ');
        for (char& c : text)
            c = any_char();
        return text;
    }

  private:
    std::mt19937_64 rng;
};

// What a caller may walk: the reader leaves the pawn ranks and the en-passant file unchecked,
// so a text it accepts need not be a position the generators can work on.
bool walkable() {
    if ((board_state.pawns_bb[WHITE] | board_state.pawns_bb[BLACK]) & (rank_bb[0] | rank_bb[7]))
        return false;
    const Tboarddata& root = perft_records[0];
    if (root.ep_file == NO_SQUARE)
        return true;
    if (root.ep_file < 0 || root.ep_file > 7)
        return false;
    // The pawn that has just made a double step, with the two squares it crossed empty.
    const bool white_moved = root.side == BLACK;
    const Square pawn      = make_square(root.ep_file, white_moved ? 3 : 4);
    const Square crossed   = make_square(root.ep_file, white_moved ? 2 : 5);
    const Square origin    = make_square(root.ep_file, white_moved ? 1 : 6);
    return board_state.board[pawn] == (white_moved ? PAWN : -PAWN) && board_state.board[crossed] == 0 &&
           board_state.board[origin] == 0;
}

void expect_repaired(const std::string& after) {
    ASSERT_TRUE(perft_setup(REPAIR_FEN)) << "after " << after;
    const char* mismatch = nullptr;
    ASSERT_TRUE(board_state.is_consistent(WHITE, &mismatch)) << (mismatch ? mismatch : "?") << " after " << after;
    ASSERT_EQ(perft(3, Tperft_mode::make_every_node), REPAIR_COUNT) << "after " << after;
}

TEST(Fuzz, MutatedFenStrings) {
    std::vector<std::string> seeds;
    for (const Tperft_case& c : read_perft_file(SUITE_FILE))
        seeds.push_back(c.fen);
    ASSERT_FALSE(seeds.empty());
    ASSERT_TRUE(perft_setup(REPAIR_FEN));
    const uint64_t repair_key = board_state.hash_key;

    Tmutator mutator(20240611);
    int accepted = 0, refused = 0;
    for (int round = 0; round < 4000; ++round) {
        const std::string text = round % 10 == 9 ? mutator.garbage(round % 20 == 19 ? 4000 : 80)
                                                 : mutator.mutate(seeds[mutator.below(seeds.size())]);
        const Texact_text exact(text);
        if (quiet_set_fen(perft_records[0], exact.c_str()) == 1) {
            ++accepted;
            const char* mismatch = nullptr;
            ASSERT_TRUE(board_state.is_consistent(perft_records[0].side_to_move(), &mismatch))
                << (mismatch ? mismatch : "?") << " for \"" << text << '"';
            if (walkable())
                perft(2, Tperft_mode::make_every_node); // must simply run clean
        } else {
            ++refused;
            expect_repaired(text);
            ASSERT_EQ(board_state.hash_key, repair_key);
        }
    }
    // Both outcomes must be exercised for the test to mean anything.
    EXPECT_GT(accepted, 200);
    EXPECT_GT(refused, 1000);
}

// Square names as typed, mutated and random, against the types of real positions; whatever
// the reader accepts must be a well-formed word.
TEST(Fuzz, CoordinateMoves) {
    const char* positions[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ -",
        "8/8/8/KPp4r/8/8/8/k7 w - c6",
    };
    Tmutator mutator(77);
    int read = 0;
    for (const char* fen : positions) {
        ASSERT_TRUE(perft_setup(fen));
        perft_records[0].gen_legal();
        const Tboarddata& root = perft_records[0];
        const std::vector<Move> moves(root.moves + 1, root.moves + 1 + root.nb_moves);
        ASSERT_FALSE(moves.empty());
        for (int round = 0; round < 1500; ++round) {
            std::string text;
            if (round % 3 == 0) {
                text = mutator.garbage(7);
            } else {
                char coord[8];
                move_to_coord(moves[mutator.below(moves.size())], coord, perft_records[0].side);
                text = round % 3 == 1 ? coord : mutator.mutate(coord);
            }
            const Texact_text exact(text);
            Move m = 0;
            if (coord_to_move(m, exact.c_str(), board_state.board_type) != 1)
                continue;
            ++read;
            const int kind = move_kind(m);
            ASSERT_GE(kind, KIND_PAWN) << text;
            ASSERT_LE(kind, KIND_CASTLE_QUEEN) << text;
            if (is_castling_kind(kind)) {
                EXPECT_EQ(move_to(m), NO_SQUARE);
                EXPECT_EQ(move_from(m), NO_SQUARE);
            } else {
                EXPECT_LT(move_to(m), 64) << text;
                EXPECT_LT(move_from(m), 64) << text;
                EXPECT_NE(board_state.board_type[move_from(m)], EMPTY) << text;
            }
            EXPECT_LE(move_captured(m), KING) << text;
        }
    }
    EXPECT_GT(read, 1000);
}

// Every legal move written in coordinates reads back as the same word, over the perft trees
// to depth 2.
class Tround_trip : public Tperft_observer {
  public:
    int failures = 0;
    std::string first;
    void before_make(const Tboarddata& parent, Move m) override {
        char text[8];
        move_to_coord(m, text, parent.side);
        Move back = 0;
        if (coord_to_move(back, text, board_state.board_type) != 1 || back != m) {
            if (failures++ == 0)
                first = std::string(text) + " in " + parent.get_fen();
        }
    }
};

TEST(Fuzz, CoordinateRoundTrip) {
    for (const Tperft_case& c : read_perft_file(SUITE_FILE)) {
        ASSERT_TRUE(perft_setup(c.fen));
        Tround_trip check;
        perft_observed(2, check);
        EXPECT_EQ(check.failures, 0) << check.first;
    }
}

} // namespace
