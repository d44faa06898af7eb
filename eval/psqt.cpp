#include "eval/psqt.h"

#include <initializer_list>

#include "eval/weights.h"

int32_t knight_outpost[2][64];
int32_t bishop_outpost[2][64];
int32_t rook_outpost[2][64];

namespace {

using Table = int16_t[64];

// Written as a board diagram, rank 8 first: White's value at square s is at index s ^ 56.
// clang-format off
constexpr Table KNIGHT_TABLE = {
    -80, -25, -10, -10, -10, -10, -25, -80,
    -25, -25,   6,   6,   6,   6, -25, -25,
    -10,   0,   8,   8,   8,   8,   0, -10,
    -10,   0,   8,   8,   8,   8,   0, -10,
    -10,   0,   6,   6,   6,   6,   0, -10,
    -10,   0,   4,   4,   4,   4,   0, -10,
    -20, -10,   0,   0,   0,   0, -10, -20,
    -25, -15, -10, -10, -10, -10, -15, -25,
};
constexpr Table PAWN_OPENING = {
      0,   0,   0,   0,   0,   0,   0,   0,
    -20,   0,   0,   0,   0,   0,   0, -20,
    -20,   0,   0,   0,   0,   0,   0, -20,
    -20,   0,   0,   5,   5,   0,   0, -20,
    -20,   0,   0,  10,  10,   0,   0, -20,
    -10,   0,   0,   5,   5,   0,   0, -10,
      5,   5,   0,  -5,  -5,   5,   5,   5,
      0,   0,   0,   0,   0,   0,   0,   0,
};
constexpr Table PAWN_MIDDLE = {
      0,   0,   0,   0,   0,   0,   0,   0,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
      0,   0,   0,   0,   0,   0,   0,   0,
};
constexpr Table PAWN_ENDGAME = {
      0,   0,   0,   0,   0,   0,   0,   0,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
      0,   0,   0,   0,   0,   0,   0,   0,
};
constexpr Table BISHOP_OPENING = {
    -30, -20,  -5,  -5,  -5,  -5, -20, -30,
    -20,   0,   0,   0,   0,   0,   0, -20,
     -5,   0,   4,   4,   4,   4,   0,  -5,
     -5,   5,   4,   6,   6,   4,   5,  -5,
     -5,   0,   4,   6,   6,   4,   0,  -5,
     -5,   0,   4,   4,   4,   4,   0,  -5,
    -15,   5,   0,   2,   2,   0,   5, -15,
    -25, -15, -10,  -5,  -5, -10, -15, -25,
};
constexpr Table BISHOP_MIDDLE = {
    -30, -20,  -5,  -5,  -5,  -5, -20, -30,
    -20,   0,   0,   0,   0,   0,   0, -20,
     -3,   0,   4,   4,   4,   4,   0,  -3,
     -3,   0,   4,   6,   6,   4,   0,  -3,
     -3,   0,   4,   6,   6,   4,   0,  -3,
     -3,   0,   4,   3,   3,   4,   0,  -3,
    -15,   4,   0,   0,   0,   0,   4, -15,
    -25, -15, -10,  -5,  -5, -10, -15, -25,
};
constexpr Table BISHOP_ENDGAME = {
    -30, -20,  -3,  -3,  -3,  -3, -20, -30,
    -20,   0,   0,   0,   0,   0,   0, -20,
     -3,   0,   3,   3,   3,   3,   0,  -3,
     -3,   0,   3,   5,   5,   3,   0,  -3,
     -3,   0,   3,   5,   5,   3,   0,  -3,
     -3,   0,   3,   3,   3,   3,   0,  -3,
    -15,   3,   0,   0,   0,   0,   3, -15,
    -25, -15, -10,  -3,  -3, -10, -15, -25,
};
constexpr Table ROOK_OPENING = {
    -15, -15, -15, -15, -15, -15, -15, -15,
     15,  15,  15,  15,  15,  15,  15,  15,
    -15, -15, -15, -15, -15, -15, -15, -15,
    -15, -15, -15, -15, -15, -15, -15, -15,
    -15, -15, -15, -15, -15, -15, -15, -15,
    -15, -15, -15, -15, -15, -15, -15, -15,
    -15, -15, -15, -15, -15, -15, -15, -15,
      0,   0,   0,   0,   0,   0,   0,   0,
};
constexpr Table ROOK_MIDDLE = {
      0,   3,   5,   7,   7,   5,   3,   0,
     30,  33,  35,  37,  37,  35,  33,  30,
      0,   3,   5,   7,   7,   5,   3,   0,
      0,   3,   5,   7,   7,   5,   3,   0,
      0,   3,   5,   7,   7,   5,   3,   0,
      0,   3,   5,   7,   7,   5,   3,   0,
      0,   3,   5,   7,   7,   5,   3,   0,
      0,   3,   5,   7,   7,   5,   3,   0,
};
constexpr Table ROOK_ENDGAME = {
      0,   0,   0,   0,   0,   0,   0,   0,
     30,  31,  32,  33,  33,  32,  31,  30,
      0,   1,   2,   3,   3,   2,   1,   0,
      0,   1,   2,   3,   3,   2,   1,   0,
      0,   1,   2,   3,   3,   2,   1,   0,
      0,   1,   2,   3,   3,   2,   1,   0,
      0,   1,   2,   3,   3,   2,   1,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
};
constexpr Table QUEEN_OPENING = {
      0,   0,   0,   0,   0,   0,   0,   0,
     10,  10,  10,  10,  10,  10,  10,  10,
      0,   0,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
};
constexpr Table QUEEN_MIDDLE = {
      0,   0,   0,   0,   0,   0,   0,   0,
     10,  13,  15,  19,  19,  15,  13,  10,
      0,   3,   7,  10,  10,   7,   3,   0,
      0,   3,   7,  12,  12,   7,   3,   0,
    -10,   3,   6,  12,  12,   6,   3, -10,
    -10,   3,   5,   7,   7,   5,   3, -10,
    -10,   3,   4,   5,   5,   4,   3, -10,
    -10, -10,   0,   0,   0,   0, -10, -10,
};
constexpr Table QUEEN_ENDGAME = {
      0,   0,   0,   0,   0,   0,   0,   0,
     10,  13,  14,  15,  15,  14,  13,  10,
      0,   3,   5,   7,   7,   5,   3,   0,
      0,   3,   7,  10,  10,   7,   3,   0,
      0,   3,   7,  10,  10,   7,   3,   0,
     -5,   3,   5,   7,   7,   5,   3,  -5,
    -10,   3,   4,   5,   5,   4,   3, -10,
    -10, -10,   0,   0,   0,   0, -10, -10,
};
constexpr Table KING_ENDGAME = {
    -20,   0,   0,   0,   0,   0,   0, -20,
      0,  10,  20,  20,  20,  20,  10,   0,
      0,  20,  50,  60,  60,  50,  20,   0,
      0,  20,  50,  60,  60,  50,  20,   0,
      0,  20,  40,  50,  50,  40,  20,   0,
      0,  20,  30,  35,  35,  30,  20,   0,
      0,  10,  20,  20,  20,  20,  10,   0,
    -20, -10,   0,  10,  10,   0, -10, -20,
};
constexpr Table KNIGHT_OUTPOST_TABLE = {
      0,   0,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   5,   5,   0,   0,   0,
      0,   0,  15,  25,  25,  15,   0,   0,
      0,   0,  15,  20,  20,  15,   0,   0,
      0,   0,   0,  10,  10,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
};
constexpr Table BISHOP_OUTPOST_TABLE = {
      0,   0,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   5,   5,   0,   0,   0,
      0,   0,  15,  20,  20,  15,   0,   0,
      0,   0,  10,  20,  20,  10,   0,   0,
      0,   0,   0,  10,  10,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
};
constexpr Table ROOK_OUTPOST_TABLE = {
      0,   0,   0,   0,   0,   0,   0,   0,
     20,  25,  30,  30,  30,  30,  25,  20,
      0,  10,  15,  15,  15,  15,  10,   0,
      0,   0,  10,  10,  10,  10,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
};
constexpr Table ZERO = {};
// clang-format on

constexpr const int16_t* BASE_TABLES[7][3] = {
    {ZERO, ZERO, ZERO},
    {PAWN_OPENING, PAWN_MIDDLE, PAWN_ENDGAME},
    {KNIGHT_TABLE, KNIGHT_TABLE, KNIGHT_TABLE},
    {BISHOP_OPENING, BISHOP_MIDDLE, BISHOP_ENDGAME},
    {ROOK_OPENING, ROOK_MIDDLE, ROOK_ENDGAME},
    {QUEEN_OPENING, QUEEN_MIDDLE, QUEEN_ENDGAME},
    {ZERO, ZERO, KING_ENDGAME},
};

// A diagram index is the Black square of the same value: White reads at s ^ 56, Black at s.
void fill(int32_t (&target)[2][64], const Table& diagram) {
    for (Square s = 0; s < 64; ++s) {
        target[WHITE][s] = diagram[flip_rank(s)];
        target[BLACK][s] = diagram[s];
    }
}

// Middle-game knight squares of the root side, from White's side: the edge files and the
// enemy's back rank, with the corners and the squares next to them worst of all.
constexpr int KNIGHT_EDGE        = -30;
constexpr int KNIGHT_CORNER      = -225;
constexpr int KNIGHT_NEAR_CORNER = -100;

void adjust_root_knights(Color root) {
    int32_t(&table)[64] = piece_square[root][KNIGHT][weights::MIDDLE];
    auto set = [&](Square white_square, int value) { table[relative_square(root, white_square)] = value; };
    for (int rank = 0; rank < 8; ++rank) {
        set(make_square(0, rank), KNIGHT_EDGE);
        set(make_square(7, rank), KNIGHT_EDGE);
    }
    for (int file = 2; file <= 5; ++file)
        set(make_square(file, 7), KNIGHT_EDGE);
    set(make_square(0, 7), KNIGHT_CORNER);
    set(make_square(7, 7), KNIGHT_CORNER);
    for (const Square s : {make_square(1, 7), make_square(6, 7), make_square(0, 6), make_square(1, 6),
                           make_square(6, 6), make_square(7, 6)})
        set(s, KNIGHT_NEAR_CORNER);
}

} // namespace

void init_piece_square_tables() {
    for (int type = 0; type < 7; ++type)
        for (int phase = 0; phase < weights::NB_PHASES; ++phase)
            for (Square s = 0; s < 64; ++s) {
                const int16_t* diagram              = BASE_TABLES[type][phase];
                piece_square[WHITE][type][phase][s] = diagram[flip_rank(s)];
                piece_square[BLACK][type][phase][s] = diagram[s];
            }
    fill(knight_outpost, KNIGHT_OUTPOST_TABLE);
    fill(bishop_outpost, BISHOP_OUTPOST_TABLE);
    fill(rook_outpost, ROOK_OUTPOST_TABLE);
}

void refresh_piece_square_tables(Color root_side) {
    init_piece_square_tables();
    adjust_root_knights(root_side);
}
