// A game as the book builders read it: its tags, its half-moves with their annotation marks, and
// the position key after each of them. The position is played on the one board state.
#pragma once

#include <cstdint>
#include <string>

#include "board/boarddata.h"
#include "board/types.h"

constexpr int BOOK_GAME_PLIES = 600; // half-moves kept; a longer game is cut there

// The seven tags of a PGN game, in the order a game must give them.
enum Tpgn_tag : int {
    PGN_EVENT,
    PGN_SITE,
    PGN_DATE,
    PGN_ROUND,
    PGN_WHITE,
    PGN_BLACK,
    PGN_RESULT,
    NB_PGN_TAGS
};
extern const char* const PGN_TAG_NAMES[NB_PGN_TAGS];

struct Tbook_game {
    std::string tags[NB_PGN_TAGS];
    int         nb_plies = 0;
    Move        moves[BOOK_GAME_PLIES + 1]{}; // 1..nb_plies
    int16_t     marks[BOOK_GAME_PLIES + 1]{}; // mark of each half-move, 0 for the start
    uint64_t    keys[BOOK_GAME_PLIES + 1]{};  // keys[i]: the position after half-move i
    Tboarddata  position{};                   // the position after the last half-move

    // Empties the game and sets the board up from the FEN (tags kept); 0 on failure.
    int start(const char* fen);
    // Plays a legal move of `position` and records it; 0 once the game is full.
    int play(Move move, int mark);
};
