// Test-side helpers of the evaluation tests: setting up a position as a search root, mirroring
// it, and the position sources (EPD files, games replayed from PGN).
#pragma once

#include <random>
#include <string>
#include <vector>

#include "board/boarddata.h"

// Records of a line, as the search keeps them; [0] is the root.
constexpr int EVAL_LINE_RECORDS = 66;
extern Tboarddata eval_line[EVAL_LINE_RECORDS];

// Sets up the root from FEN and prepares the evaluation as the search start does, the side to
// move being the root side. False when the reader refuses the text.
bool setup_root(const std::string& fen);

// A fresh evaluation of `node` (stale flag bits cleared first) with the given window.
int evaluate(Tboarddata& node, int alpha = -SCORE_NOT_COMPUTED, int beta = SCORE_NOT_COMPUTED);

// Plays a random legal move from `node` into the next record and steps `node` onto it; false,
// with nothing played, when the side to move has no move.
bool play_random_move(Tboarddata*& node, std::mt19937& rng);

// The same position with colours exchanged and ranks flipped: the first four FEN fields.
std::string mirror_fen(const std::string& fen);

// The first four fields of every line of an EPD or perft file.
std::vector<std::string> read_epd_positions(const std::string& path);

// The move of the node's legal list written as `san` (standard algebraic), 0 when none or
// ambiguous.
Move find_san_move(Tboarddata& node, const std::string& san);

// Positions met in the games of a PGN file (every position after each move), at most `limit`.
std::vector<std::string> read_game_positions(const std::string& path, size_t limit);

// The path of a shared data file.
std::string shared_data(const char* name);
