// The opening book: the move for a position, the statistics after a game, and the book-building
// commands. For now no book is read: every lookup misses and the building commands say so.
#pragma once

#include "board/boarddata.h"
#include "board/types.h"

// A book move for the position (its legal list generated), 0 for none. found_in_book is set when
// the book knows the position even without a move to give.
Move book_move(Tboarddata& position, int& found_in_book);

// The book statistics after a game: result 0 White won, 1 Black won, 2 draw.
void update_book_after_game(int result);

// Book building; each returns 1 on success, 0 on failure.
int make_book(const char* pgn_file, const char* book_file);
int merge_books(const char* first, const char* second, const char* merged);
int filter_book(const char* book_in, const char* book_out, int minimum_games);
