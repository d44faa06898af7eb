#include "board/tables.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

uint8_t  knight_targets[64][9];
uint8_t  king_targets[64][9];
uint8_t  rays[64][7][8];
uint8_t  ray_end[64][9];
uint8_t  direction_to[64][64];
int32_t  king_adjacent[64][64];
int32_t  distance[64][64];
uint8_t  opposite_dir[8];
uint8_t  dir_order[8];
uint8_t  dir_line[8];
Bitboard set_mask[64];
Bitboard clear_mask[64];
Bitboard knight_attacks[64];
Bitboard king_attacks[64];
Bitboard rook_rays[64];
Bitboard bishop_rays[64];
Bitboard queen_rays[64];
Bitboard any_piece_rays[64];
Bitboard pawn_from_below[64];
Bitboard pawn_from_above[64];
Bitboard side_neighbours_below[64];
Bitboard side_neighbours_above[64];
Bitboard between[64][64];
Bitboard ray_bb[64][9];
Bitboard within_distance[64][8];
Bitboard line_through[64][5];
Bitboard rank_bb[8];
Bitboard file_bb[8];
Bitboard files_left_of[8];
Bitboard files_right_of[8];
Bitboard file_and_neighbours[8];
Bitboard neighbour_files_above[64];
Bitboard neighbour_files_below[64];
Bitboard pawn_front_span[2][64];
Bitboard two_knight_moves[64];
uint8_t  lowest_bit16[65536];
uint8_t  highest_bit16[65536];
uint8_t  bound_swap_table[256];
int32_t  diag_shift_a1h8[64];
int32_t  diag_shift_h1a8[64];
Bitboard rank_attacks[64][256];
Bitboard file_attacks[64][256];
Bitboard diag_a1h8_attacks[64][256];
Bitboard diag_h1a8_attacks[64][256];
uint64_t piece_keys[2][7][64];
uint64_t side_key;

// a1 <-> a8: the same byte table as the text "89:;<=>?01234567()*+,-./ !\"#$%&'" followed by the
// control characters 24..31, 16..23, 8..15, 0..7.
const uint8_t vertical_mirror[64] = {56, 57, 58, 59, 60, 61, 62, 63, 48, 49, 50, 51, 52, 53, 54, 55,
                                     40, 41, 42, 43, 44, 45, 46, 47, 32, 33, 34, 35, 36, 37, 38, 39,
                                     24, 25, 26, 27, 28, 29, 30, 31, 16, 17, 18, 19, 20, 21, 22, 23,
                                     8,  9,  10, 11, 12, 13, 14, 15, 0,  1,  2,  3,  4,  5,  6,  7};

namespace {

struct Step {
    int file, rank, square;
};

constexpr Step DIRECTION_STEP[8] = {{+1, 0, +1},  {-1, 0, -1},  {0, +1, +8},  {0, -1, -8},
                                    {+1, +1, +9}, {-1, -1, -9}, {+1, -1, -7}, {-1, +1, +7}};
constexpr Step KNIGHT_STEP[8]    = {{+2, -1, -6}, {+1, -2, -15}, {-1, -2, -17}, {-2, -1, -10},
                                    {-2, +1, +6}, {-1, +2, +15}, {+1, +2, +17}, {+2, +1, +10}};
constexpr Step KING_STEP[8]      = {{+1, 0, +1}, {+1, -1, -7}, {0, -1, -8}, {-1, -1, -9},
                                    {-1, 0, -1}, {-1, +1, +7}, {0, +1, +8}, {+1, +1, +9}};

// For each rotated diagonal index: where its diagonal starts and how long it is.
// clang-format off
constexpr uint8_t DIAGONAL_START[64] = {
     0,  1,  1,  3,  3,  3,  6,  6,  6,  6, 10, 10, 10, 10, 10, 15, 15, 15, 15, 15, 15,
    21, 21, 21, 21, 21, 21, 21, 28, 28, 28, 28, 28, 28, 28, 28, 36, 36, 36, 36, 36, 36, 36,
    43, 43, 43, 43, 43, 43, 49, 49, 49, 49, 49, 54, 54, 54, 54, 58, 58, 58, 61, 61, 63};
constexpr uint8_t DIAGONAL_LENGTH[64] = {
    1, 2, 2, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6,
    7, 7, 7, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8, 7, 7, 7, 7, 7, 7, 7,
    6, 6, 6, 6, 6, 6, 5, 5, 5, 5, 5, 4, 4, 4, 4, 3, 3, 3, 2, 2, 1};
// clang-format on

bool on_board(int file, int rank) { return file >= 0 && file < 8 && rank >= 0 && rank < 8; }

void fill_step_targets(uint8_t targets[64][9], const Step* steps) {
    std::memset(targets, NO_SQUARE, sizeof(uint8_t) * 64 * 9);
    for (Square s = 0; s < 64; ++s) {
        int n = 0;
        for (int i = 0; i < 8; ++i)
            if (on_board(file_of(s) + steps[i].file, rank_of(s) + steps[i].rank))
                targets[s][n++] = uint8_t(s + steps[i].square);
    }
}

void fill_rays() {
    std::memset(rays, NO_SQUARE, sizeof rays);
    for (Square s = 0; s < 64; ++s)
        for (int d = 0; d < 8; ++d) {
            int file = file_of(s), rank = rank_of(s);
            for (int step = 0; step < 7; ++step) {
                file += DIRECTION_STEP[d].file;
                rank += DIRECTION_STEP[d].rank;
                if (!on_board(file, rank))
                    break;
                rays[s][step][d] = uint8_t(make_square(file, rank));
            }
        }
}

// 64-bit values, drawn square by square: White's six types, then Black's, then the side key.
void draw_keys(Tlagged_random& rng) {
    std::memset(piece_keys, 0, sizeof piece_keys);
    for (Color c : {WHITE, BLACK})
        for (Square s = 0; s < 64; ++s)
            for (int type = PAWN; type <= KING; ++type)
                piece_keys[c][type][s] = rng.next64();
    side_key = rng.next64();
}

Bitboard targets_bb(const uint8_t* targets) {
    Bitboard b = 0;
    for (int i = 0; targets[i] != NO_SQUARE; ++i)
        b |= square_bb(targets[i]);
    return b;
}

Bitboard ray_set(Square s, int d) {
    Bitboard b = 0;
    for (int step = 0; step < 7 && rays[s][step][d] != NO_SQUARE; ++step)
        b |= square_bb(rays[s][step][d]);
    return b;
}

void fill_between() {
    for (Square a = 0; a < 64; ++a)
        for (Square b = 0; b < 64; ++b) {
            const int d = direction_to[a][b];
            if (d == NO_DIRECTION) {
                between[a][b] = ~Bitboard(0);
                continue;
            }
            Bitboard squares = 0;
            for (int step = 0; step < 7 && rays[a][step][d] != b; ++step)
                squares |= square_bb(rays[a][step][d]);
            between[a][b] = squares & ~square_bb(a) & ~square_bb(b);
        }
}

// Squares attacked along one line from position `pos`, for a pattern whose bit i is the i-th
// square of the line: scan outwards both ways, stopping at the first blocker.
Bitboard line_attacks(const uint8_t* line, int length, int pos, int pattern) {
    Bitboard attacks = 0;
    for (int i = pos + 1; i < length; ++i) {
        attacks |= square_bb(line[i]);
        if (pattern >> i & 1)
            break;
    }
    for (int i = pos - 1; i >= 0; --i) {
        attacks |= square_bb(line[i]);
        if (pattern >> i & 1)
            break;
    }
    return attacks;
}

// The line of a square is the stretch [start, start + length) of its layout's rotated order.
template <typename StartOf, typename LengthOf>
void fill_line_attacks(Bitboard table[64][256], const std::array<uint8_t, 64>& layout,
                       const std::array<uint8_t, 64>& inverse, StartOf start_of, LengthOf length_of) {
    for (Square s = 0; s < 64; ++s) {
        const int index  = layout[s];
        const int start  = start_of(index);
        const int length = length_of(index);
        uint8_t   line[8];
        for (int i = 0; i < length; ++i)
            line[i] = inverse[start + i];
        for (int pattern = 0; pattern < 256; ++pattern)
            table[s][pattern] = line_attacks(line, length, index - start, pattern);
    }
}

constexpr std::array<uint8_t, 64> IDENTITY = [] {
    std::array<uint8_t, 64> identity{};
    for (int s = 0; s < 64; ++s)
        identity[s] = uint8_t(s);
    return identity;
}();

} // namespace

void init_tables(Tlagged_random& rng) {
    fill_step_targets(knight_targets, KNIGHT_STEP);
    fill_step_targets(king_targets, KING_STEP);
    fill_rays();

    draw_keys(rng);

    std::memset(direction_to, NO_DIRECTION, sizeof direction_to);
    for (Square a = 0; a < 64; ++a)
        for (int d = 0; d < 8; ++d)
            for (int step = 0; step < 7 && rays[a][step][d] != NO_SQUARE; ++step)
                direction_to[a][rays[a][step][d]] = uint8_t(d);

    for (Square a = 0; a < 64; ++a)
        for (Square b = 0; b < 64; ++b) {
            distance[a][b] = std::max(std::abs(file_of(a) - file_of(b)), std::abs(rank_of(a) - rank_of(b)));
            king_adjacent[a][b] = 0;
        }
    for (Square s = 0; s < 64; ++s)
        for (int i = 0; king_targets[s][i] != NO_SQUARE; ++i)
            king_adjacent[s][king_targets[s][i]] = 1;

    for (int d = 0; d < 8; ++d) {
        opposite_dir[d] = uint8_t(d ^ 1);
        dir_order[d]    = uint8_t(d);
        dir_line[d]     = uint8_t(d / 2 + 1);
    }

    set_mask[0] = 1;
    for (Square s = 1; s < 64; ++s)
        set_mask[s] = set_mask[s - 1] << 1;
    for (Square s = 0; s < 64; ++s)
        clear_mask[s] = ~set_mask[s];

    for (Square s = 0; s < 64; ++s) {
        knight_attacks[s] = targets_bb(knight_targets[s]);
        king_attacks[s]   = targets_bb(king_targets[s]);
        rook_rays[s]      = ray_set(s, EAST) | ray_set(s, WEST) | ray_set(s, NORTH) | ray_set(s, SOUTH);
        bishop_rays[s] =
            ray_set(s, NORTH_EAST) | ray_set(s, SOUTH_WEST) | ray_set(s, SOUTH_EAST) | ray_set(s, NORTH_WEST);
        queen_rays[s]     = rook_rays[s] | bishop_rays[s];
        any_piece_rays[s] = queen_rays[s] | knight_attacks[s];
    }
    for (Square s = 0; s < 64; ++s) {
        pawn_from_below[s] = 0;
        pawn_from_above[s] = 0;
        for (int d : {SOUTH_WEST, SOUTH_EAST})
            if (rays[s][0][d] != NO_SQUARE)
                pawn_from_below[s] |= square_bb(rays[s][0][d]);
        for (int d : {NORTH_EAST, NORTH_WEST})
            if (rays[s][0][d] != NO_SQUARE)
                pawn_from_above[s] |= square_bb(rays[s][0][d]);
    }
    for (Square s = 0; s < 64; ++s) {
        Bitboard sides = 0;
        for (int d : {EAST, WEST})
            if (rays[s][0][d] != NO_SQUARE)
                sides |= square_bb(rays[s][0][d]);
        side_neighbours_below[s] = sides | pawn_from_below[s];
        side_neighbours_above[s] = sides | pawn_from_above[s];
    }

    fill_between();

    for (Square s = 0; s < 64; ++s) {
        for (int d = 0; d < 8; ++d) {
            ray_bb[s][d]  = ray_set(s, d);
            ray_end[s][d] = uint8_t(s);
            for (int step = 0; step < 7 && rays[s][step][d] != NO_SQUARE; ++step)
                ray_end[s][d] = rays[s][step][d];
        }
        ray_bb[s][8]  = 0;
        ray_end[s][8] = uint8_t(s);
        for (int k = 0; k < 8; ++k) {
            within_distance[s][k] = 0;
            for (Square t = 0; t < 64; ++t)
                if (distance[s][t] <= k)
                    within_distance[s][k] |= square_bb(t);
        }
        for (int line = 0; line < 4; ++line)
            line_through[s][line] = ray_bb[s][2 * line] | ray_bb[s][2 * line + 1] | square_bb(s);
        line_through[s][4] = 0;
    }
    for (int i = 0; i < 8; ++i) {
        rank_bb[i] = Bitboard(0xFF) << (8 * i);
        file_bb[i] = Bitboard(0x0101010101010101) << i;
    }
    for (int f = 0; f < 8; ++f) {
        files_left_of[f]  = 0;
        files_right_of[f] = 0;
        for (int g = 0; g <= f; ++g)
            files_left_of[f] |= file_bb[g];
        for (int g = f; g < 8; ++g)
            files_right_of[f] |= file_bb[g];
        file_and_neighbours[f] = file_bb[f] | (f > 0 ? file_bb[f - 1] : 0) | (f < 7 ? file_bb[f + 1] : 0);
    }
    for (Square s = 0; s < 64; ++s) {
        neighbour_files_above[s] = 0;
        neighbour_files_below[s] = 0;
        for (int d : {EAST, WEST}) {
            const Square side = rays[s][0][d];
            if (side == NO_SQUARE)
                continue;
            neighbour_files_above[s] |= ray_bb[side][NORTH];
            neighbour_files_below[s] |= ray_bb[side][SOUTH];
        }
    }

    lowest_bit16[0]  = 0;
    highest_bit16[0] = 0;
    for (int v = 1; v < 65536; ++v) {
        lowest_bit16[v]  = uint8_t(std::countr_zero(unsigned(v)));
        highest_bit16[v] = uint8_t(31 - std::countl_zero(unsigned(v)));
    }

    for (Square s = 0; s < 64; ++s) {
        diag_shift_a1h8[s] = DIAGONAL_START[rot_a1h8[s]];
        diag_shift_h1a8[s] = DIAGONAL_START[rot_h1a8[s]];
    }

    // Upper and lower bounds trade places; exact and unknown stay; bit 2 is dropped.
    for (int flags = 0; flags < 256; ++flags) {
        static constexpr uint8_t SWAPPED[4] = {0, 1, 3, 2};
        bound_swap_table[flags]             = uint8_t((flags & 0xF8) | SWAPPED[flags & 3]);
    }

    for (Square s = 0; s < 64; ++s) {
        pawn_front_span[WHITE][s] = ray_bb[s][NORTH] | neighbour_files_above[s];
        pawn_front_span[BLACK][s] = ray_bb[s][SOUTH] | neighbour_files_below[s];
    }

    auto whole_rank  = [](int index) { return index & 56; };
    auto eight       = [](int) { return 8; };
    auto diag_start  = [](int index) { return int(DIAGONAL_START[index]); };
    auto diag_length = [](int index) { return int(DIAGONAL_LENGTH[index]); };
    fill_line_attacks(rank_attacks, IDENTITY, IDENTITY, whole_rank, eight);
    fill_line_attacks(file_attacks, rot_r90, unrot_r90, whole_rank, eight);
    fill_line_attacks(diag_a1h8_attacks, rot_a1h8, unrot_a1h8, diag_start, diag_length);
    fill_line_attacks(diag_h1a8_attacks, rot_h1a8, unrot_h1a8, diag_start, diag_length);

    for (Square s = 0; s < 64; ++s) {
        Bitboard reach = 0;
        for (Bitboard first = knight_attacks[s]; first;)
            reach |= knight_attacks[pop_lsb(first)];
        two_knight_moves[s] = reach & ~square_bb(s);
    }
}
