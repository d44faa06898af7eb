// Building a book from a PGN file in batches of 5000 games: each batch is counted in memory,
// written out and merged on disk with the book built so far, so memory stays bounded whatever
// the size of the file. The book named takes its new content only at the end.
#include <memory>

#include "base/console.h"
#include "book/book.h"
#include "book/book_output.h"
#include "book/pgn_reader.h"
#include "book/position_table.h"
#include "platform/platform.h"

namespace {

constexpr int BATCH_GAMES  = 5000;
constexpr int FEWEST_PLIES = 30; // shorter games say little about an opening
constexpr int PLY_LIMIT    = 40;
constexpr int REPORT_EVERY = 100;

void remove_temporary_files() {
    platform::remove_file(BOOK_BATCH_FILE);
    platform::remove_file(BOOK_BUILT_FILE);
}

// Whether a book can be written where `book_file` is, before any work is done for it.
bool book_can_be_written(const char* book_file) {
    Tbook_output probe;
    return probe.open(book_file) != 0;
}

} // namespace

int make_book(const char* pgn_file, const char* book_file) {
    if (!book_can_be_written(book_file))
        return 0;
    FILE* built = fopen(BOOK_BUILT_FILE, "wb+");
    if (!built) {
        report_open_failure(BOOK_BUILT_FILE);
        return 0;
    }
    fclose(built);

    console.print("=> Reading games in file '%s'\n", pgn_file);
    Tpgn_reader reader;
    // Without games there is nothing to build: the book named keeps what it holds.
    if (!reader.open(pgn_file)) {
        console.print("Pb lors de l'extraction des parties de %s !\n", pgn_file);
        remove_temporary_files();
        return 0;
    }
    const int nb_games = reader.count_games();
    console.print("=> %d games found in '%s'\n", nb_games, pgn_file);
    if (nb_games == 0) {
        remove_temporary_files();
        return 0;
    }
    console.print("=> Extracting positions from '%s'\n", pgn_file);

    const int nb_batches = (nb_games - 1) / BATCH_GAMES + 1;
    auto      table      = std::make_unique<Tposition_table>();
    auto      game       = std::make_unique<Tbook_game>();
    int       first = 1, last = nb_games < BATCH_GAMES ? nb_games : BATCH_GAMES;
    int       games_added = 0;
    for (int batch = 1;; ++batch) {
        console.print("\n=> Iteration #%d/%d : Games from %d to %d\n", batch, nb_batches, first, last);
        table->clear();
        for (int number = first; number <= last; ++number) {
            if (reader.next_game(*game) && game->nb_plies >= FEWEST_PLIES)
                games_added += table->add_game(*game, PLY_LIMIT);
            if (number % REPORT_EVERY == 0)
                console.print("%d|", number);
        }
        console.print("\n");
        // The last batch's merge goes to the book itself, the others to the book so far.
        const bool final_batch = last >= nb_games;
        // Not one game could be read and used: the book named keeps what it holds.
        if (final_batch && games_added == 0) {
            console.print("Pb lors de l'extraction des parties de %s !\n", pgn_file);
            remove_temporary_files();
            return 0;
        }
        if (!table->write(BOOK_BATCH_FILE, true)
            || !merge_books(BOOK_BATCH_FILE, BOOK_BUILT_FILE, final_batch ? book_file : BOOK_BUILT_FILE,
                            !final_batch)) {
            remove_temporary_files();
            return 0;
        }
        first = last + 1;
        last  = first + BATCH_GAMES - 1 < nb_games ? first + BATCH_GAMES - 1 : nb_games;
        if (first > nb_games) {
            remove_temporary_files();
            console.print("\n=> The opening book '%s' has been created\n", book_file);
            return 1;
        }
    }
}
