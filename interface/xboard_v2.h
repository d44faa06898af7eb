// xboard protocol 2: the features offered to an interface that announces it with "protover", and
// the commands it adds (setboard, ping, st, sd, hint, draw...). An interface that never sends
// "protover" meets none of this.
#pragma once

#include <string>

#include "search/search.h"

// The version the interface announced; 1 until "protover" says otherwise.
extern int xboard_protocol;

// Handles the current command words (console.words) when they are a protocol-2 command; false
// when they are not. `code` receives what the game loop must act on.
bool xboard_v2_command(int& code);
// A line that is no command: "Error (unknown command): X" under protocol 2, the log only before.
void report_unknown_command(const char* line);
// A move word that is not legal here.
void report_illegal_move(const char* word);
// Answers the pings held back while the engine thought on its own move.
void answer_held_pings();
// The FEN of the "setboard" the game loop is to set up (taken once; empty when none), and the
// set-up itself.
std::string take_setboard_fen();
void        forget_setboard();
void        set_up_board(const std::string& fen);
// The budget of a search under "st" (a target of 0 when no fixed time per move is set).
Ttime_budget fixed_move_budget();
