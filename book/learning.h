// Learning from the games played: positions where the engine went wrong, and bad exits from the
// book. For now nothing is learned: the hooks do nothing.
#pragma once

// After a move whose score fell well below the previous one.
void record_blunder();
// After a search right out of the book that found a bad position.
void record_bad_book_exit();
// At a new game: rebuild the learning files from what was recorded; 0 when a file cannot be had.
int update_learning();
void update_style_book();
