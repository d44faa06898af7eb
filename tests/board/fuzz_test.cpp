// Malformed input under the sanitizers: thousands of mutated FEN strings. A refused FEN may leave
// the board half filled, but a following valid set-up must repair it all. (Malformed coordinate
// moves are rows of the notation table, read from buffers of their exact length.)
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <random>

#include "base/data_rows.h"
#include "perft.h"

namespace {

// A text in a buffer of exactly its length and the terminator: reading past it is caught.
std::unique_ptr<char[]> exact(const std::string& text) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

class Tmutator {
  public:
    explicit Tmutator(uint64_t seed) : rng(seed) {}
    size_t below(size_t n) { return n == 0 ? 0 : size_t(rng() % n); }
    // Mostly characters a FEN may hold, sometimes any byte.
    char any_char() {
        static const std::string fen_chars = "pnbrqkPNBRQKwWbB-/ 012345678 9abcdefghKQkq";
        return below(8) == 0 ? char(1 + below(255)) : fen_chars[below(fen_chars.size())];
    }
    std::string mutate(std::string text) {
        for (int edits = 1 + int(below(3)); edits > 0; --edits) {
            const size_t at = below(text.size() + 1);
            switch (below(5)) {
            case 0:
                if (at < text.size())
                    text[at] = any_char();
                break;
            case 1: text.resize(at); break;
            case 2: text.insert(text.begin() + std::ptrdiff_t(at), any_char()); break;
            case 3:
                if (at < text.size())
                    text.erase(at, 1);
                break;
            default: text.insert(below(text.size() + 1), text.substr(at, below(16))); break;
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

TEST(Fuzz, MutatedFenStrings) {
    const std::vector<Tperft_case> seeds  = read_perft_file(shared_file("perftsuite.epd"));
    const char* const              REPAIR = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -";
    ASSERT_FALSE(seeds.empty());
    ASSERT_TRUE(perft_setup(REPAIR));
    const uint64_t repair_key = board_state.hash_key;
    Tmutator       mutator(20240611);
    int            accepted = 0, refused = 0;
    for (int round = 0; round < 4000; ++round) {
        const std::string text = round % 10 == 9 ? mutator.garbage(round % 20 == 19 ? 4000 : 80)
                                                 : mutator.mutate(seeds[mutator.below(seeds.size())].fen);
        testing::internal::CaptureStdout(); // the castling warnings
        const int read = perft_records[0].set_fen(exact(text).get());
        testing::internal::GetCapturedStdout();
        const char* mismatch = nullptr;
        if (read == 1) {
            ++accepted;
            ASSERT_TRUE(board_state.is_consistent(perft_records[0].side_to_move(), &mismatch))
                << mismatch << " for " << text;
            perft(2, Tperft_mode::make_every_node); // whatever it accepts must be playable
        } else {
            ++refused;
            ASSERT_TRUE(perft_setup(REPAIR)) << "after " << text;
            ASSERT_TRUE(board_state.is_consistent(WHITE, &mismatch)) << mismatch << " after " << text;
            ASSERT_EQ(perft(3, Tperft_mode::make_every_node), 2812u) << "after " << text;
            ASSERT_EQ(board_state.hash_key, repair_key);
        }
    }
    EXPECT_GT(accepted, 200); // both outcomes must be exercised
    EXPECT_GT(refused, 1000);
}

} // namespace
