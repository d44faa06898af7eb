// Merging two books and filtering one: both read their inputs in key order and write a new
// book beside the output, which replaces it only once complete.
#include <string>

#include "base/console.h"
#include "book/book.h"
#include "book/book_output.h"

namespace {

// A book read record by record, checked to be in key order.
class Tbook_input {
  public:
    explicit Tbook_input(const char* file_name) : name(file_name), file(fopen(file_name, "rb")) {
        if (!file)
            report_open_failure(file_name);
    }
    ~Tbook_input() { close(); }
    // Before the output replaces a file: an open input could hold it in place on some systems.
    void close() {
        if (file)
            fclose(file);
        file = nullptr;
    }
    Tbook_input(const Tbook_input&)            = delete;
    Tbook_input& operator=(const Tbook_input&) = delete;

    bool is_open() const { return file != nullptr; }
    bool failed() const { return broken; }

    // The next record; false at the end of the book, or when it is out of order or unreadable.
    bool next(Tbook_record& record) {
        if (!file || broken)
            return false;
        unsigned char bytes[BOOK_RECORD_SIZE];
        const size_t  got = fread(bytes, 1, BOOK_RECORD_SIZE, file);
        if (got != BOOK_RECORD_SIZE) {
            if (ferror(file)) {
                console.print("Error while reading %s\n", name.c_str());
                broken = true;
            } else if (got > 0)
                console.print("%s: the last %d bytes are no whole record, ignored\n", name.c_str(), int(got));
            return false;
        }
        record = decode_record(bytes);
        if (count > 0 && record.key < last_key) {
            console.print("%s is not sorted: record %lld is out of order\n", name.c_str(), count);
            broken = true;
            return false;
        }
        last_key = record.key;
        ++count;
        return true;
    }

  private:
    std::string name;
    FILE*       file;
    uint64_t    last_key = 0;
    long long   count    = 0;
    bool        broken   = false;
};

} // namespace

int merge_books(const char* first, const char* second, const char* merged, bool scratch) {
    Tbook_input  a(first), b(second);
    Tbook_output out;
    if (!a.is_open() || !b.is_open() || !out.open(merged))
        return 0;
    Tbook_record ra, rb;
    bool         has_a = a.next(ra), has_b = b.next(rb);
    while (has_a || has_b) {
        int written;
        if (has_a && (!has_b || ra.key < rb.key)) {
            written = out.write(ra);
            has_a   = a.next(ra);
        } else if (!has_a || rb.key < ra.key) {
            written = out.write(rb);
            has_b   = b.next(rb);
        } else {
            // Same position: the counters add up (the first book's mark stays).
            for (int i = 0; i < NB_BOOK_COUNTERS; ++i)
                ra.counts[i] = add_counts(ra.counts[i], rb.counts[i]);
            written = out.write(ra);
            has_a   = a.next(ra);
            has_b   = b.next(rb);
        }
        if (!written)
            break;
    }
    const bool unsorted = a.failed() || b.failed();
    a.close();
    b.close();
    return unsorted ? 0 : out.commit(scratch);
}

int filter_book(const char* book_in, const char* book_out, int minimum_games) {
    Tbook_input  in(book_in);
    Tbook_output out;
    if (!in.is_open() || !out.open(book_out))
        return 0;
    Tbook_record record;
    while (in.next(record)) {
        // The engine's own games weigh double.
        const double games = record.source_games() + 2 * record.engine_games();
        if (games >= minimum_games && !out.write(record))
            break;
    }
    const bool unsorted = in.failed();
    in.close();
    return unsorted ? 0 : out.commit();
}
