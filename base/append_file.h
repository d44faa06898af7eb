// Adding to a file without keeping it open: what the tools log and what the learning records.
#pragma once

// Appends length bytes of data to the file (the whole text when length is 0), then a new line in
// text mode; creates the file when missing. Returns 1 when written, 0 when the file cannot be
// opened (or the arguments make no sense), -1 when it was opened but not written in full.
int append_to_file(const char* file_name, const void* data, int text_mode, int length);
