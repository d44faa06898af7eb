// Books made and read by the tests: records for positions named by coordinate moves.
#pragma once

#include <string>
#include <vector>

#include "book/book_record.h"

// The engine's key of the position after the coordinate moves from the FEN (by default the
// standard start); 0 when a move is illegal.
uint64_t key_after(const std::vector<std::string>& moves, const std::string& fen = "");

Tbook_record book_record(uint64_t key, int mark, std::vector<int> counts);
// The bytes of a book holding the records, sorted as a book must be.
std::string               book_bytes(std::vector<Tbook_record> records);
std::vector<Tbook_record> book_records(const std::string& bytes);
// A book as text, one record a line, for readable failures.
std::string dump(const std::string& bytes);
