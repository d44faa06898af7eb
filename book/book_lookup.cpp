// The binary search of a book file. Nothing is cached: the file may be replaced between moves.
#include "book/book_lookup.h"

#include <cstdio>

#include "platform/platform.h"

namespace {

// Record `index` of the file; 0 on a short read.
int read_at(FILE* file, long long index, Tbook_record& record) {
    if (fseek(file, long(index * BOOK_RECORD_SIZE), SEEK_SET) != 0)
        return 0;
    return read_record(file, record);
}

int search(FILE* file, uint64_t key, Tbook_record& found, const Tbook_record* replacement) {
    const long long size = file_size(file);
    if (size < BOOK_RECORD_SIZE)
        return 0;
    // Bytes past the last whole record are no record.
    long long low = 0, high = size / BOOK_RECORD_SIZE - 1;
    while (low <= high) {
        const long long mid = (low + high) / 2;
        Tbook_record    record;
        if (!read_at(file, mid, record))
            return 0;
        if (record.key == key) {
            if (!replacement) {
                found = record;
                return 1;
            }
            // The replacement may be the caller's buffer itself: copied before it is filled.
            Tbook_record written = *replacement;
            written.key          = key;
            found                = record;
            return fseek(file, long(mid * BOOK_RECORD_SIZE), SEEK_SET) == 0 && write_record(file, written)
                           && fflush(file) == 0
                       ? 1
                       : 0;
        }
        if (low == high)
            return 0;
        if (record.key < key)
            low = mid + 1;
        else
            high = mid;
    }
    return 0;
}

} // namespace

int book_lookup(uint64_t key, const char* file_name, Tbook_record& found, const Tbook_record* replacement) {
    // A directory or a pipe of that name is no book (and a pipe could block the open).
    if (platform::file_kind(file_name) != platform::FILE_REGULAR)
        return 0;
    // Reading alone needs no write access: a read-only book still gives its moves.
    FILE* file = fopen(file_name, replacement ? "r+b" : "rb");
    if (!file)
        return 0;
    const int hit = search(file, key, found, replacement);
    fclose(file);
    return hit;
}
