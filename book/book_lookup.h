// Finding a position in a book file: a binary search over the sorted records, straight on disk.
#pragma once

#include <cstdint>

#include "book/book_record.h"

constexpr const char* MAIN_BOOK_NAME  = "b_book.bin";
constexpr const char* STYLE_BOOK_NAME = "b_style.bin";

// Looks the key up in the book; on a hit copies the record to `found` and, when a replacement is
// given, writes it over the found record in place. 1 on a hit; 0 on a miss, when the file cannot
// be opened or when a read comes short (no message: a missing book simply knows nothing).
int book_lookup(uint64_t key, const char* file_name, Tbook_record& found,
                const Tbook_record* replacement = nullptr);
