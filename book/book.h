// The opening book as the game loop and the console commands use it: the move for a position,
// the statistics after a game, and building, merging and filtering books.
#pragma once

#include <cstdint>

#include "board/boarddata.h"
#include "board/types.h"

// A book move for the position of the game (game_ply half-moves played, the board state on that
// position), 0 for none. Prints the statistics of the candidates kept. found_in_book is set
// when the book knows a position after a legal move even without a move to give.
Move book_move(Tboarddata& position, int game_ply, int& found_in_book);

// After a game: counts the result (0 White won, 1 Black won, 2 draw) in the main book's records
// of the positions after the engine's moves, keys[i] being the position after half-move i,
// until the first one the book does not know.
void update_book_after_game(int result, const uint64_t* keys, int game_ply);

// Scratch files of book building in the current directory: the positions of the current batch
// (also the filtered book before it replaces its source) and the book of the batches before it.
constexpr const char* BOOK_BATCH_FILE = "_tmp0001.bin";
constexpr const char* BOOK_BUILT_FILE = "_tmp0002.bin";

// Book building; each returns 1 on success, 0 on failure (the output book then unchanged).
int make_book(const char* pgn_file, const char* book_file);
// A scratch result (a step of a longer build) is not forced to the disk.
int merge_books(const char* first, const char* second, const char* merged, bool scratch = false);
// Keeps the records whose source games plus twice the engine's games reach the minimum.
int filter_book(const char* book_in, const char* book_out, int minimum_games);
