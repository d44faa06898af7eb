// Text files written by the engine or by hand, read line by line whatever their line ends (LF or
// CRLF) and however damaged.
#pragma once

#include <cstdio>
#include <string>

// Reads the next line without its end into `line`; false at the end of the file. Only the first
// `longest` characters of a line are kept, cut back to their last blank so that no word comes
// out shortened (O-O-O must not read as O-O); the rest of the line is dropped, never taken for
// the next line. Null bytes read as blanks.
bool read_text_line(FILE* file, std::string& line, size_t longest);
