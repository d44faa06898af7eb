// No book in this build yet: lookups miss, building commands report that they cannot run.
#include "book/book.h"

#include "base/console.h"

namespace {
int no_book_building(const char* command) {
    console.print("%s: no book building in this version\n", command);
    return 0;
}
} // namespace

Move book_move(Tboarddata&, int& found_in_book) {
    found_in_book = 0;
    return 0;
}

void update_book_after_game(int) {}

int make_book(const char*, const char*) { return no_book_building("makebook"); }
int merge_books(const char*, const char*, const char*) { return no_book_building("fusion"); }
int filter_book(const char*, const char*, int) { return no_book_building("filtre"); }
