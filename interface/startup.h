// Start-up: the program ID, the checks that may refuse to start, and the opening-book count.
#pragma once

#include <string>

// What the program prints for --help or --version anywhere on the command line (argv as main gets
// it), before anything else runs; "" for any other command line, which starts the engine.
std::string command_line_answer(int argc, char** argv);

// "Brelok[host] version".
std::string make_program_id();

// The refusal of a settings file without its DEBUG_TEST key (the hash tables go on without their
// memory when they cannot have it): prints the messages, waits for a key and returns 0 when the
// program must not go on.
int startup_checks();

// Records in the opening book file (24 bytes each); 0 when it cannot be opened.
long count_book_entries(const char* file_name);

// The tablebase cache and registry from TBPATH when USE_TB is on, with the start-up message.
void start_tablebases();

// Removes what rewrites and book building killed in a former run left in the current directory:
// files of the engine's own temporary naming, and only once they are stale.
void remove_stale_temporary_files();
