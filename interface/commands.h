// The command reader: takes the next line of input and recognises it as a typed move, a game
// command (answered with its code) or a settings command (carried out at once).
#pragma once

#include <cstdint>
#include <string>

#include "base/command_codes.h"
#include "board/types.h"

// With wait, blocks until a whole line is there; without, CMD_NONE when none can be had at once.
// "quit", and the end of input, end the process.
int read_command(int wait);

// Ends the process as "quit" does, logging the line given.
[[noreturn]] void leave_program(const char* log_line);

// Reads a coordinate move (e2e4, e7e8q, e1g1) against 64 piece types and the side to move; 1 on
// success. No legality test: the caller looks the word up in the legal list.
int read_move(Move& move, const char* word, const uint8_t piece_types[64], Color side);

// The settings commands; 0 when the line is none of them or is badly formed.
int settings_command(const char* line);

void print_help();

// Edit mode: reads placement lines until "exit" or "."; returns the FEN of the edited board,
// with the side to move of the position before editing, no castling and no en-passant square.
// "quit" leaves the program from here too.
std::string edit_position(Color side_to_move, const int8_t board[64]);

// Reads integers from text laid out as in the format, which holds literal characters, white
// space (any amount, none included) and "%d" (optional sign and decimal digits, white space
// before it skipped). Returns the number of integers read before the first mismatch; `stop`, when
// given, receives where the text of the last integer read ends.
int scan_numbers(const char* text, const char* format, int* const* targets, int nb_targets,
                 const char** stop = nullptr);
