// After a game: the engine's own counters of the book positions its moves reached.
#include "base/config.h"
#include "base/console.h"
#include "book/book.h"
#include "book/book_lookup.h"

void update_book_after_game(int result, const uint64_t* keys, int game_ply) {
    if (result < RESULT_WHITE_WINS || result > RESULT_DRAW)
        return;
    int changes = 0;
    // The positions after the engine's moves, until the first one the book does not know.
    for (int i = config.computer_white ? 1 : 2; i <= game_ply; i += 2) {
        Tbook_record record;
        if (!book_lookup(keys[i], MAIN_BOOK_NAME, record))
            break;
        count_game(record.counts[ENGINE_WHITE_WINS + result]);
        if (!book_lookup(keys[i], MAIN_BOOK_NAME, record, &record))
            break;
        ++changes;
    }
    console.print("Updating '%s' : %d changes\n", MAIN_BOOK_NAME, changes);
}
