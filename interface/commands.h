// The command reader: takes the next line of input and recognises it as a typed move, a game
// command (answered with its code) or a settings command (carried out at once).
#pragma once

#include <cstdint>
#include <string>

#include "board/types.h"

// Command codes handed to the game loop and to the search's poll.
enum Tcommand : int {
    CMD_MOVE      = 0,
    CMD_GO        = 1,
    CMD_UNDO      = 3,
    CMD_EDIT      = 4,
    CMD_REMOVE    = 5,
    CMD_NEW       = 6,
    CMD_FORCE     = 7,
    CMD_NONE      = 9, // no whole line, an empty or illegal line, or one handled in the reader
    CMD_MOVE_NOW  = 10,
    CMD_INTERRUPT = 11, // set by the interrupt handler, never by the reader
    CMD_TEST      = 12,
    CMD_SPEED     = 13,
    CMD_FUSION    = 14,
    CMD_MAKEBOOK  = 15,
    CMD_FILTRE    = 19,
    CMD_FILTREBIN = 20,
    CMD_RESULT    = 21,
    CMD_BADEVAL   = 22,
    CMD_STAT      = 23,
    CMD_ANALYZE   = 24,
    CMD_EXIT      = 25,
};

// With wait, blocks until a whole line is there; without, CMD_NONE when none can be had at once.
// "quit", and the end of input, end the process.
int read_command(int wait);

// Reads a coordinate move (e2e4, e7e8q, e1g1) against 64 piece types; 1 on success. No legality
// test: the caller looks the word up in the legal list.
int read_move(Move& move, const char* word, const uint8_t piece_types[64]);

// The settings commands; 0 when the line is none of them or is badly formed.
int settings_command(const char* line);

void print_help();

// Edit mode: reads placement lines until "exit" or "."; returns the FEN of the edited board,
// with the side to move of the position before editing, no castling and no en-passant square.
std::string edit_position(Color side_to_move, const int8_t board[64]);

// Reads integers from text laid out as in the format, which holds literal characters, white
// space (any amount, none included) and "%d" (optional sign and decimal digits, white space
// before it skipped). Returns the number of integers read before the first mismatch.
int scan_numbers(const char* text, const char* format, int* const* targets, int nb_targets);
