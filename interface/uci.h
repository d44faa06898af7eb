// The UCI mode: once the interface has sent "uci", the engine speaks UCI for the rest of the run.
#pragma once

#include <string>
#include <vector>

// Answers "uci" and reads UCI commands until "quit" or the end of input.
[[noreturn]] void run_uci();

// The parts of the mode, one file each.
using Twords = std::vector<std::string>;
// Splits a line on white space.
Twords split_line(const char* line);
// "info string ...": UCI's only way to tell the user something.
void uci_tell(const std::string& text);
// The option lines of the answer to "uci", and "setoption".
void print_uci_options();
void uci_setoption(const Twords& words);
// "go" with its limits; returns once "bestmove" has been sent.
void uci_go(const Twords& words, bool position_given);
