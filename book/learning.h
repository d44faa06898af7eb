// Learning from the engine's own games. A blunder noticed one move late leaves the position
// before it in b_learn.epd; at a new game those lines become transposition-table entries in
// b_learn.bin, which every search of a game adds to the table, so the bad line is scored as it
// deserves from the start. A bad exit from the book leaves the game's moves with the last book
// move marked "?!" in b_style.txt, compiled at a new game into the style book b_style.bin.
#pragma once

#include <cstdint>

#include "board/types.h"

constexpr const char* LEARN_EPD_NAME  = "b_learn.epd";
constexpr const char* LEARN_BIN_NAME  = "b_learn.bin";
constexpr const char* STYLE_TEXT_NAME = "b_style.txt";

// The game being played, as the learning reads it (the game loop keeps the record).
struct Tplayed_game {
    const char*    start_fen;
    const Move*    moves;  // half-moves 1..game_ply
    const int32_t* scores; // the score of the search that chose each half-move, mover's view
    int            game_ply;
    const char*    date;
    const char*    white;
    const char*    black;
};

// After the engine's move n whose score fell well below that of its move n - 2: appends the
// position before move n - 2 with the moves n - 2, n - 1 and n and the two scores to
// b_learn.epd. Plays the game on the board state: the caller sets its position up again.
void record_blunder(const Tplayed_game& game);
// After the engine's first search out of the book found a bad position: appends the game up to
// the last book move, marked "?!", and a comment line to b_style.txt. Plays the game on the board
// state like record_blunder.
void record_bad_book_exit(const Tplayed_game& game);

// At a new game: rebuilds b_learn.bin from b_learn.epd. 0 when b_learn.epd cannot be read (an
// existing b_learn.bin is then emptied: nothing is learned) or b_learn.bin cannot be written (it
// then stays as it was), else 1.
int update_learning();
// At the start of a search in a game: stores every entry of b_learn.bin in the transposition
// table. 0 when the file cannot be opened, else 1.
int load_learning();
// At a new game: rebuilds the style book b_style.bin from b_style.txt.
void update_style_book();

// One b_learn.bin entry: a transposition-table slot of an exact score, 24 bytes little-endian.
constexpr int LEARNED_ENTRY_SIZE = 24;
void          encode_learned_entry(uint64_t key, int32_t score, int32_t depth,
                                   unsigned char bytes[LEARNED_ENTRY_SIZE]);
