// Lines of the text files the tools read (EPD suites, badeval.epd), taken one at a time with a
// bounded length so that no line, however long or strange, can overrun a buffer.
#pragma once

#include <cstdio>

constexpr int TOOL_LINE_LENGTH = 255; // characters of a line that are read; the rest is skipped

// Reads the next line into out (size bytes, at least 2): at most size - 1 characters are kept,
// the rest of a longer line is skipped, and the line end (LF, CR LF or a lone CR before LF) is
// removed. A NUL byte ends the text of its line. Returns 0 at the end of the file.
int read_text_line(FILE* file, char* out, int size);
