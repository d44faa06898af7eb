// A small retrograde solver for endgames of three and four men, its results as tables in the
// engine's index order, the scan of every legal position of a class, and the compressed files
// kept in data/. Test tool: plain rather than fast.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace tb_test {

// A solved value: ILLEGAL, DRAW, or plies to mate (odd: the side to move wins, even: it loses).
constexpr int ILLEGAL = -1;
constexpr int DRAW    = -2;

// The men besides the kings: piece types (1 pawn .. 5 queen) of each side, strongest first.
struct Tmaterial {
    std::array<int, 2> white{}, black{};
    int                nb_white = 0, nb_black = 0;
    int                men() const { return nb_white + nb_black; }
    bool        pawns() const { return white[0] == 1 || white[1] == 1 || black[0] == 1 || black[1] == 1; }
    std::string name() const; // "kqkr"
};
Tmaterial material_of(const std::string& class_name);

// White's king, Black's king, White's men, Black's men.
using Tsquares = std::array<int, 4>;

// One endgame's values for both sides to move, over positions with White's king folded to a-d
// (and ranks 1-4 without pawns).
class Tendgame {
  public:
    explicit Tendgame(const Tmaterial& m);
    Tmaterial            material;
    int                  count; // squares in a position
    bool                 pawns;
    uint32_t             states; // per side to move
    std::vector<int16_t> value[2];

    uint32_t state_of(Tsquares sq) const;
    Tsquares squares_of(uint32_t state) const;
    int      value_of(const Tsquares& sq, int side) const { return value[side][state_of(sq)]; }

  private:
    void solve();
};

// Solves an endgame (and, on the way, those it turns into); results live for the process.
const Tendgame& solve(const std::string& class_name);

// Distinct squares, kings apart, pawns on ranks 2-7, the side not to move not in check.
bool is_legal(const Tmaterial& m, const Tsquares& sq, int side);

// The class's table for one side to move in index order, up to its last legal position; slots of
// no legal position hold 127. Empty when two positions of one slot disagree.
std::vector<int8_t> make_table(const std::string& class_name, int side);
// The bytes of a file of data/ kept as hex: compressed tables written once (the solver's krk
// tables among them, which the tests check against make_table).
std::vector<uint8_t> hex_fixture(const std::string& file);
// Bytes written to a file.
template <typename T> void write_bytes(const std::string& path, const std::vector<T>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The largest index of a legal position of a class (NO_INDEX or any index past the table's
// length shows there too).
// Every slot of a legal position is reached by one whose key king (the side to move's) lies in
// the a1-d1-d4 triangle, or on files a-d with pawns; kpkp adds its en-passant slots. The king
// pair leads every index, so the last slots belong to the last key squares: d3 and d4 without
// pawns, the first and last ranks with them (some orders see the board upside down). `full`
// scans every key square of the four-man classes too (slow).
int64_t scan_class(int id, int side, bool full);

} // namespace tb_test
