// Bit layouts of the three rotated occupancy sets: square -> rotated index and back. Each line
// of the board (file or diagonal) is a run of consecutive bits in its layout, so one shift and
// one mask give the occupancy pattern of the line through a square.
#pragma once

#include <array>
#include <cstdint>

namespace rotation {

// A diagonal layout lists the squares by line number, ties by file ascending.
template <typename LineOf> constexpr std::array<uint8_t, 64> diagonal_layout(LineOf line_of) {
    std::array<uint8_t, 64> rotated{};
    int                     index = 0;
    for (int line = 0; line < 15; ++line)
        for (int file = 0; file < 8; ++file)
            for (int rank = 0; rank < 8; ++rank)
                if (line_of(file, rank) == line)
                    rotated[rank * 8 + file] = uint8_t(index++);
    return rotated;
}

constexpr std::array<uint8_t, 64> files_layout() {
    std::array<uint8_t, 64> rotated{};
    for (int s = 0; s < 64; ++s)
        rotated[s] = uint8_t((s & 7) * 8 + (7 - (s >> 3))); // each file a run, rank 8 first
    return rotated;
}

constexpr std::array<uint8_t, 64> inverse(const std::array<uint8_t, 64>& layout) {
    std::array<uint8_t, 64> back{};
    for (int s = 0; s < 64; ++s)
        back[layout[s]] = uint8_t(s);
    return back;
}

} // namespace rotation

// a1-h8 diagonals by file - rank descending (h1 = 0, a1 = 28, a8 = 63), each from its lower-left
// end; h1-a8 diagonals by file + rank ascending (a1 = 0, a8 = 28, h8 = 63), each from its
// upper-left end.
inline constexpr std::array<uint8_t, 64> rot_r90 = rotation::files_layout();
inline constexpr std::array<uint8_t, 64> rot_a1h8 =
    rotation::diagonal_layout([](int f, int r) { return 7 - (f - r); });
inline constexpr std::array<uint8_t, 64> rot_h1a8 =
    rotation::diagonal_layout([](int f, int r) { return f + r; });
inline constexpr std::array<uint8_t, 64> unrot_r90  = rotation::inverse(rot_r90);
inline constexpr std::array<uint8_t, 64> unrot_a1h8 = rotation::inverse(rot_a1h8);
inline constexpr std::array<uint8_t, 64> unrot_h1a8 = rotation::inverse(rot_h1a8);

static_assert(rot_a1h8[7] == 0 && rot_a1h8[0] == 28 && rot_a1h8[63] == 35 && rot_a1h8[56] == 63);
static_assert(rot_h1a8[0] == 0 && rot_h1a8[8] == 1 && rot_h1a8[1] == 2 && rot_h1a8[56] == 28
              && rot_h1a8[7] == 35 && rot_h1a8[63] == 63);
