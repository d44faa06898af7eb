// The hand-tuned numbers of the evaluation, gathered in one place. Scores are centipawns;
// tables indexed by phase run opening, middle game, endgame.
#pragma once

#include <cstdint>

namespace weights {

constexpr int NB_PHASES = 3;
constexpr int OPENING   = 0;
constexpr int MIDDLE    = 1;
constexpr int ENDGAME   = 2;

// ---- Driver (lazy evaluation, tempo, scaling) ----
constexpr int LAZY_MARGIN = 100;
constexpr int TEMPO       = 10;
constexpr int FULL_FACTOR = 60; // win factor meaning "no reduction"
// From this stored passed-pawn score on, passers are looked at with the whole board.
constexpr int PASSED_FULL_THRESHOLD = 150;

// ---- Material and trades ----
constexpr int PAWN_VALUE            = 100;
constexpr int TRADE_AHEAD_THRESHOLD = 100; // balance from which the side counts as ahead
constexpr int TRADE_BONUS_MAX       = 100;
constexpr int TRADE_DIVISOR         = 3000;
constexpr int TRADE_PAWN_LOSS       = 10; // per own pawn gone since the root

// Knights gain and rooks lose with many pawns on the board.
constexpr int PAWN_COUNT_PIVOT    = 10;
constexpr int KNIGHT_PAWN_DIVISOR = 16;
constexpr int ROOK_PAWN_DIVISOR   = 8;

// ---- Global terms ----
constexpr int G_FILE_STORM         = 325; // enemy pawn on g3/g4 against the root side's castled king
constexpr int TRAPPED_BISHOP_ROOT  = 150;
constexpr int TRAPPED_BISHOP_OTHER = 75;
constexpr int CASTLING_RIGHT_KEPT  = 30; // still uncastled but may castle
constexpr int CASTLING_RIGHT_LOST  = 40; // rights gone without castling during the search

// Development: D in the opening (queen out early), G by the difference of undeveloped pieces.
constexpr int DEVELOPMENT_MIN_MINORS = 3;
constexpr int MAX_UNDEVELOPED        = 6;
// clang-format off
constexpr int DEVELOPMENT_QUEEN_OUT[MAX_UNDEVELOPED + 1] = { 0,  5, 20, 30, 40,  50,  60 };
constexpr int DEVELOPMENT_BEHIND[MAX_UNDEVELOPED + 1]    = { 0, 10, 30, 60, 90, 120, 150 };
// clang-format on
constexpr int FORCE_CAP   = 9; // min(9, pieces + 3 x queens) scales attacks and development
constexpr int QUEEN_FORCE = 3;

// ---- Win factors (out of FULL_FACTOR) ----
constexpr int WIN_FACTOR_QUEEN_VS_QUEEN   = 40;
constexpr int WIN_FACTOR_WRONG_BISHOP     = 6;
constexpr int WIN_FACTOR_OPPOSITE_BISHOPS = 30;
constexpr int WIN_FACTOR_KNIGHTS_ONLY     = 12;
constexpr int WIN_FACTOR_LONE_BISHOP      = 3;
constexpr int WIN_FACTOR_TWO_PIECES       = 30;
constexpr int WIN_FACTOR_PERPETUAL        = 30;
constexpr int PERPETUAL_PLIES             = 8; // checked at p, p-2, ..., p-8

// ---- Pawn structure (index: phase, then relative rank) ----
// clang-format off
constexpr int PASSED_PLAIN[NB_PHASES][8] = {
    { 0, 10, 10, 20, 40, 55,  75, 0 },
    { 0, 10, 10, 20, 40, 55,  75, 0 },
    { 0, 15, 20, 40, 55, 75, 100, 0 },
};
constexpr int PASSED_SUPPORTED[NB_PHASES][8] = {
    { 0,  0, 15, 35, 55,  75, 100, 0 },
    { 0,  0, 15, 35, 55,  75, 100, 0 },
    { 0,  0, 20, 50, 75, 100, 140, 0 },
};
constexpr int PAWN_PROTECTED[NB_PHASES][8] = {
    { 0, 0, 0, 3,  7, 15, 0, 0 },
    { 0, 0, 0, 3,  7, 15, 0, 0 },
    { 0, 0, 0, 7, 10, 20, 0, 0 },
};
constexpr int PAWN_UNPROTECTED[NB_PHASES][8] = {
    { 0, 0, 0, 0, 0, 3, 0, 0 },
    { 0, 0, 0, 0, 0, 3, 0, 0 },
    { 0, 0, 0, 0, 3, 6, 0, 0 },
};
constexpr int OUTSIDE_PASSER[NB_PHASES][8] = {
    { 0,  0,  0,  0,  0,  0,  0, 0 },
    { 0, 10, 20, 30, 40, 50, 70, 0 },
    { 0, 20, 30, 40, 50, 60, 80, 0 },
};
constexpr int WEAK_PAWN_OPEN[NB_PHASES]   = { 16, 16, 20 };
constexpr int WEAK_PAWN_CLOSED[NB_PHASES] = { 10, 10, 14 };
constexpr int BREAKTHROUGH[NB_PHASES]     = { 40, 40, 55 };
// clang-format on
constexpr int PAWN_ISLAND        = 6;
constexpr int BACKWARD_OPEN      = 10;
constexpr int PAWN_RAM_VS_HUMAN  = 10;
constexpr int DOUBLED_FRONT      = 10; // x n / 4
constexpr int DOUBLED_FRONT_WEAK = 25; // x n / 4
constexpr int DOUBLED_OTHER      = 5;  // x n / 4

// ---- Full passed-pawn evaluation ----
constexpr int PASSER_ON_SEVENTH    = 775; // promotes next move, nothing can stop it
constexpr int UNSTOPPABLE_BASE     = 775;
constexpr int UNSTOPPABLE_PER_STEP = 50;
constexpr int ENEMY_FASTEST_PLIES  = 3; // the seventh-rank rule wants the enemy slower than this
// Effective position of a passer, in sixtieths of a rank (60 per rank to go).
constexpr int PASSER_STEP         = 30; // per half rank to go / blocked path
constexpr int PASSER_ROOK_BEHIND  = 45;
constexpr int PASSER_KNIGHT_BLOCK = 45;
constexpr int PASSER_OTHER_BLOCK  = 30;
constexpr int PASSER_KING_SQUARE  = 30; // per path square next to a king
constexpr int PASSER_ESCORTED     = 60; // own king next to the whole path
constexpr int PASSER_X_MIN        = 60;
constexpr int PASSER_X_MAX        = 360;
constexpr int PASSER_X_ORIGIN     = 420;
constexpr int PASSER_X_RANK       = 60;
constexpr int SUPPORTED_ALONE_NUM = 5; // supported passer against no pieces: x 5 / 3
constexpr int SUPPORTED_ALONE_DEN = 3;
constexpr int OUTSIDE_RACE_BONUS  = 100;
constexpr int STOPPER_CAP         = 500;
constexpr int STOPPER_DISCOUNT    = 100;
constexpr int PASSER_KING_RACE    = 10; // race scheme: per step the own king is nearer the queening square

// ---- Piece placement ----
constexpr int TARGET_ATTACK           = 8;
constexpr int OUTPOST_UNPROTECTED_NUM = 8; // outpost without a pawn behind: x 8 / 10
constexpr int OUTPOST_UNPROTECTED_DEN = 10;
constexpr int BISHOP_NO_MOBILITY_EDGE = 30;
constexpr int BAD_BISHOP_BLOCKED      = 10;
constexpr int BAD_BISHOP_ALONE        = 10;
constexpr int BAD_BISHOP_WITH_ROOK    = 4;
constexpr int LONE_BISHOP_MATERIAL    = 325;
constexpr int BISHOP_ROOK_MATERIAL    = 825;
constexpr int BISHOP_PAIR_PAWNS       = 20; // (20 - pawns) x 2
constexpr int BISHOP_PAIR_FACTOR      = 2;
constexpr int BISHOP_PRESENCE         = 10;

constexpr int ROOK_SHUT_IN_ROOT     = 50;
constexpr int ROOK_SHUT_IN_OTHER    = 30;
constexpr int ROOK_EDGE_IMMOBILE    = 20;
constexpr int ROOK_TRAPPED_ROOT     = 100;
constexpr int ROOK_TRAPPED_OTHER    = 50;
constexpr int ROOK_OPEN_FILE        = 25;
constexpr int ROOK_OPEN_FILE_ON_7TH = 15;
constexpr int ROOK_HALF_OPEN_FILE   = 6;
constexpr int ROOK_USELESS_7TH      = 30;
constexpr int ROOK_7TH_ENDGAME      = 15;
constexpr int ROOK_7TH_DOUBLED      = 15;

constexpr int QUEEN_CONFINEMENT_LIMIT = 11;
constexpr int QUEEN_USELESS_7TH       = 10;
constexpr int QUEEN_7TH_DOUBLED       = 20;
constexpr int QUEEN_FILE_DIVISOR      = 3;
constexpr int QUEEN_KNIGHT_HELP       = 2;

constexpr int KING_NEAR_WEAK_PAWN = 16;
constexpr int KING_OPPOSITION     = 10;

constexpr int HOLE_WEIGHT_SHARED  = 3; // enemy bishop of the hole colour, and we have one too
constexpr int HOLE_WEIGHT_ALONE   = 9; // enemy bishop of the hole colour, we have none
constexpr int BLOCKADED_WEAK_PAWN = 3;

constexpr int PAWN_ENDING_KING_SMALL = 30; // two more pawns in reach
constexpr int PAWN_ENDING_KING_LARGE = 50; // three or more

// clang-format off
// Attack units -> score, index 0..20.
constexpr int MAX_ATTACK_UNITS = 20;
constexpr int ATTACK_SCORE[MAX_ATTACK_UNITS + 1] = {
      0,   5,  10,  20,  30,  40,  50,  60,  70,  80,  90,
    100, 110, 120, 130, 140, 155, 155, 155, 155, 155,
};
constexpr int KING_DANGER_PER_UNIT = 25;
// Tropism by king distance 0..7.
constexpr int TROPISM_MINOR_ROOK[8] = { 0, 3, 3, 2, 1, 0, 0, 0 };
constexpr int TROPISM_QUEEN[8]      = { 0, 5, 5, 4, 2, 1, 0, 0 };
// Bishop mobility by x / 2, 0..14; queen confinement by x / 2, 0..5.
constexpr int BISHOP_MOBILITY[15]  = { -10, -3, 0, 3, 6, 8, 10, 12, 14, 15, 16, 17, 18, 18, 18 };
constexpr int QUEEN_CONFINEMENT[6] = { 40, 20, 10, 6, 4, 0 };

// ---- King safety ----
constexpr int SHELTER_RANK[8]       = { 0, 0, 40, 60, 80, 80, 80, 80 };
constexpr int FIANCHETTO_HOLE[3]    = { 0, 10, 30 };
// clang-format on
constexpr int     KING_DANGER_MIN_COUNT = 2;
constexpr int     KING_DANGER_MATERIAL  = 1950;
constexpr int     KING_DANGER_CAP       = 150;
constexpr int     FIANCHETTO_BEARING    = 25;
constexpr int     FIANCHETTO_BOTH_ROOT  = 55;
constexpr int     SHIELD_NO_PAWN        = 25;
constexpr int     SHIELD_PER_RANK       = 5;
constexpr int     SHIELD_OPEN_FOR_ENEMY = 10;
constexpr int     STORM_UNIT            = 5;
constexpr int     STORM_NEAR_KING       = 5;
constexpr int     STORM_IN_ZONE         = 3;
constexpr int     OPEN_DIAGONAL         = 10;
constexpr uint8_t SHELTER_NOT_COMPUTED  = 0xFF;
constexpr int     SHELTER_FILE_MAX      = 254; // the cache byte keeps 255 for "not computed"

} // namespace weights
