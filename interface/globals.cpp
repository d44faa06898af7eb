// The long-lived objects, defined in one file so that their construction order is this one:
// the console (with the seeded key generator), the settings (which read brelok.ini and start the
// ticker), then the tables and key values. Destruction runs in the reverse order at exit.
#include <cstdlib>
#include <ctime>

#include "base/config.h"
#include "base/console.h"
#include "board/board.h"
#include "board/tables.h"
#include "book/learning.h"
#include "eval/hash_pawns.h"
#include "eval/psqt.h"
#include "interface/commands.h"
#include "interface/play.h"
#include "interface/startup.h"
#include "search/hash_table.h"
#include "search/search.h"

Tconsole console;
Tconfig  config;

namespace {
struct Ttables_builder {
    Ttables_builder() {
        init_tables(console.random);
        init_piece_square_tables();
        srand(unsigned(time(nullptr)));
        start_tablebases();
        // The search reads its input through the game loop's reader.
        search_input_reader    = read_command;
        search_learning_loader = load_learning;
        search_budget_source   = [] { return Tplay::time_budget(); };
    }
} tables_builder;
} // namespace

// The hash tables, sized from the settings.
Thashtables hash_tables(config.SIZE_HT);
Thashpawns  hash_pawns(config.SIZE_HP);
