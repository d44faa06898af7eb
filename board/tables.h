// Constant tables built once at start-up: rays, steps, masks, slider attacks by line pattern, and
// the hash-key values. Nothing here changes after init_tables().
#pragma once

#include "base/lagged_random.h"
#include "board/rotation.h"
#include "board/types.h"

// Directions: 0 east, 1 west, 2 north, 3 south, 4 north-east, 5 south-west, 6 south-east,
// 7 north-west. d and d ^ 1 are opposite; 0-3 are straight, 4-7 diagonal.
enum Direction : int {
    EAST       = 0,
    WEST       = 1,
    NORTH      = 2,
    SOUTH      = 3,
    NORTH_EAST = 4,
    SOUTH_WEST = 5,
    SOUTH_EAST = 6,
    NORTH_WEST = 7
};
constexpr int  NO_DIRECTION = 10;
constexpr bool is_straight(int direction) { return direction < 4; }

extern uint8_t knight_targets[64][9];
extern uint8_t king_targets[64][9];
extern uint8_t rays[64][7][8]; // [square][step][direction], 67 past the edge
extern uint8_t ray_end[64][9];
extern uint8_t direction_to[64][64];
extern int32_t king_adjacent[64][64];
extern int32_t distance[64][64];
extern uint8_t opposite_dir[8];
extern uint8_t dir_order[8];
extern uint8_t dir_line[8];

extern Bitboard set_mask[64];
extern Bitboard clear_mask[64];
extern Bitboard knight_attacks[64];
extern Bitboard king_attacks[64];
extern Bitboard rook_rays[64];
extern Bitboard bishop_rays[64];
extern Bitboard queen_rays[64];
extern Bitboard any_piece_rays[64];
extern Bitboard pawn_from_below[64]; // where a white pawn attacking the square stands
extern Bitboard pawn_from_above[64]; // where a black pawn attacking the square stands
extern Bitboard side_neighbours_below[64];
extern Bitboard side_neighbours_above[64];
extern Bitboard between[64][64]; // all ones for squares that share no line
extern Bitboard ray_bb[64][9];
extern Bitboard within_distance[64][8];
extern Bitboard line_through[64][5];
extern Bitboard rank_bb[8];
extern Bitboard file_bb[8];
extern Bitboard files_left_of[8];
extern Bitboard files_right_of[8];
extern Bitboard file_and_neighbours[8];
extern Bitboard neighbour_files_above[64];
extern Bitboard neighbour_files_below[64];
extern Bitboard pawn_front_span[2][64];
extern Bitboard two_knight_moves[64];
extern uint8_t  lowest_bit16[65536];
extern uint8_t  highest_bit16[65536];
extern uint8_t  bound_swap_table[256];
extern int32_t  diag_shift_a1h8[64];
extern int32_t  diag_shift_h1a8[64];

// Slider attacks by square and 8-bit occupancy pattern of the line through it.
extern Bitboard rank_attacks[64][256];
extern Bitboard file_attacks[64][256];
extern Bitboard diag_a1h8_attacks[64][256];
extern Bitboard diag_h1a8_attacks[64][256];

// a1 <-> a8 as a byte table; the same as flip_rank().
extern const uint8_t vertical_mirror[64];

// Hash-key values: [colour][type][square], type 1..6 (index 0 unused), and the side key.
extern uint64_t piece_keys[2][7][64];
extern uint64_t side_key;

// Builds every table above; draws the key values from the given generator.
void init_tables(Tlagged_random& rng);

inline uint8_t bound_swap(uint8_t flags) { return bound_swap_table[flags]; }
inline bool    at_most_one_bit(Bitboard b) { return (b & (b - 1)) == 0; }
