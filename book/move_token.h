// PGN move text: the words of a game's moves read against its position, with the annotation
// marks they carry ("e4!?", "Nxd5??", "O-O", "12.Nf3", "12...e5").
#pragma once

#include "book/book_game.h"
#include "book/book_record.h"

enum Ttoken_kind : int {
    TOKEN_SKIPPED, // not a move: move number, result, annotation glyph, empty
    TOKEN_MOVE,    // a legal move of the position
    TOKEN_ILLEGAL, // begins as a move but names no legal move (or more than one)
};

// The mark a word carries: the first of ?? ?! !? !! ! ? that it contains, else 0.
int token_mark(const char* token);

// Reads one word against the position (its legal list is generated here).
Ttoken_kind read_move_token(Tboarddata& position, const char* token, Move& move, int& mark);

// Reads move text line by line into a game. Comments in braces (over several lines too), rest-of-
// line comments after ';' and variations in parentheses are passed over.
class Tmove_text_reader {
  public:
    // Plays the moves of the line on the game; 0 when a word names no legal move: the game is
    // then over, its moves before that word kept.
    int  read_line(Tbook_game& game, const char* line);
    void reset() { in_comment = false, variation_depth = 0; }

  private:
    bool in_comment      = false;
    int  variation_depth = 0;
};
