// Test-side helpers of the evaluation tests: a position set up as a search root, its mirror
// image, random moves, and the position sources (EPD files, games replayed from PGN).
#pragma once

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "board/boarddata.h"

// Records of a line, as the search keeps them; [0] is the root.
constexpr int     EVAL_LINE_RECORDS = 66;
extern Tboarddata eval_line[EVAL_LINE_RECORDS];

// Sets up the root from FEN and prepares the evaluation as the search start does, the side to
// move being the root side. False when the reader refuses the text.
bool setup_root(const std::string& fen);
// A fresh evaluation of `node` (stale flag bits cleared first) with the given window.
int evaluate(Tboarddata& node, int alpha = -SCORE_NOT_COMPUTED, int beta = SCORE_NOT_COMPUTED);
// Plays a random legal move from `node` into the next record and steps onto it; false when the
// side to move has no move.
bool play_random_move(Tboarddata*& node, std::mt19937& rng);
// The same position with colours exchanged and ranks flipped: the first four FEN fields.
std::string mirror_fen(const std::string& fen);
// Calls visit(node, rng) on every record of random walks (`walks` from each position, `plies`
// long) from the perft suite and Bratko-Kopec, and on the way back after each take-back when
// `back` is set. Returns the number of records visited going down.
int for_each_walked_node(int walks, int plies, bool back,
                         const std::function<void(Tboarddata&, std::mt19937&)>& visit);
// The first four fields of every line of a shared EPD or perft file.
std::vector<std::string> read_epd_positions(const char* name);
// Positions met in the games of a shared PGN file (after each move), at most `limit`.
std::vector<std::string> read_game_positions(const char* name, size_t limit);
