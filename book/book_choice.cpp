// Choosing a book move: every legal move's position is looked up in the style book and in the
// main book, the candidates are filtered and ranked, their statistics printed, and one of the
// best is drawn at random.
#include <cstdlib>
#include <cstring>

#include "base/console.h"
#include "board/board.h"
#include "board/notation.h"
#include "book/book.h"
#include "book/book_lookup.h"
#include "search/hash_table.h"

namespace {

constexpr int    MAX_CANDIDATES             = 256;
constexpr int    MAIN_BOOK_LAST_PLY         = 40; // deeper in the game only the style book speaks
constexpr double FEWEST_GAMES               = 3;
constexpr double LOWEST_FREQUENCY           = 0.15;
constexpr double LOWEST_VALUE               = 0.3;
constexpr double CLOSE_TO_BEST              = 0.06; // candidates this close to the best are drawn from
constexpr int    SPACES_FOR_NO_ENGINE_GAMES = 29;

struct Tcandidate {
    int    mark;
    Move   move;
    double frequency;
    double n1, s1; // source games and their score for the side to move
    double n2, s2; // engine games and their score
    double value;
};

struct Tmark_info {
    int         mark;
    const char* symbol;
    double      value;
    bool        kept; // kept whatever the statistics, else always dropped
};

constexpr Tmark_info MARKS[] = {
    {MARK_MISTAKE, "?", -10, false},   {MARK_BLUNDER, "??", -100, false}, {MARK_GOOD, "!", 10, true},
    {MARK_BRILLIANT, "!!", 100, true}, {MARK_DUBIOUS, "?!", -5, false},   {MARK_INTERESTING, "!?", 5, true},
};

// A mark the book does not know (a damaged record) counts as none.
const Tmark_info* mark_info(int mark) {
    for (const Tmark_info& info : MARKS)
        if (info.mark == mark)
            return &info;
    return nullptr;
}

// (2 x White wins + draws) / (2 x games), from the side to move's point of view.
double score_for(const uint16_t* triple, Color side) {
    double games = double(triple[0]) + triple[1] + triple[2];
    if (games <= 1)
        games = 1;
    const double white = (2.0 * triple[0] + triple[2]) / (2 * games);
    return side == WHITE ? white : 1 - white;
}

// What the statistics alone make of an unmarked candidate.
double statistics_value(const Tcandidate& c) {
    if (c.n1 + c.n2 < FEWEST_GAMES || c.frequency < LOWEST_FREQUENCY)
        return 0;
    if (c.n2 < 1)
        return c.s1;
    // The engine's own results move the source score by at most 10 %.
    return 2 * c.s1 * (0.5 + 0.2 * (c.s2 - 0.5));
}

bool passes_first_filter(const Tcandidate& c) {
    if (const Tmark_info* info = mark_info(c.mark))
        return info->kept;
    return c.n1 + c.n2 >= FEWEST_GAMES && c.frequency >= LOWEST_FREQUENCY
           && statistics_value(c) >= LOWEST_VALUE;
}

// The record that speaks for the position after a move, if any: a marked style record first,
// then the main book early in the game, then an unmarked style record.
bool book_record_for(uint64_t key, int game_ply, Tbook_record& used) {
    Tbook_record style;
    const bool   in_style = book_lookup(key, STYLE_BOOK_NAME, style) != 0;
    if (in_style && style.mark != MARK_NONE) {
        used = style;
        return true;
    }
    if (game_ply <= MAIN_BOOK_LAST_PLY && book_lookup(key, MAIN_BOOK_NAME, used))
        return true;
    if (in_style) {
        used = style;
        return true;
    }
    return false;
}

void print_statistics(const Tcandidate* list, int count) {
    for (int i = 0; i < count; ++i) {
        const Tcandidate& c = list[i];
        char              move_text[16];
        move_to_short(c.move, move_text, false);
        const Tmark_info* info = mark_info(c.mark);
        console.print("%s%s", move_text, info ? info->symbol : "");
        if (!info) {
            console.print(" %.0lf%% (%.0lf games) scoring %.0lf%%", c.frequency * 100, c.n1, c.s1 * 100);
            if (c.n2 >= 1)
                console.print(", Brelok scored %.0lf%% (%.0lf games)", c.s2 * 100, c.n2);
            else
                console.print("%*s", SPACES_FOR_NO_ENGINE_GAMES, "");
            console.print(" => %.0lf Pts", c.value * 100);
        }
        console.print("\n");
    }
    console.print("\n");
}

} // namespace

Move book_move(Tboarddata& position, int game_ply, int& found_in_book) {
    found_in_book       = 0;
    const Color    side = position.side_to_move();
    const uint64_t key  = board_state.hash_key;
    position.gen_legal();

    Tcandidate list[MAX_CANDIDATES];
    int        count = 0;
    double     total = 0;
    for (int i = 1; i <= position.nb_moves && count < MAX_CANDIDATES; ++i) {
        Tbook_record record;
        if (!book_record_for(key_after_move(position.moves[i], key, side), game_ply, record))
            continue;
        found_in_book = 1;
        Tcandidate& c = list[count++];
        c.mark        = record.mark;
        c.move        = position.moves[i];
        c.n1          = record.source_games();
        c.s1          = score_for(&record.counts[SOURCE_WHITE_WINS], side);
        c.n2          = record.engine_games();
        c.s2          = score_for(&record.counts[ENGINE_WHITE_WINS], side);
        total += c.n1 + c.n2;
    }

    int kept = 0;
    for (int i = 0; i < count; ++i) {
        Tcandidate c = list[i];
        c.frequency  = (c.n1 + c.n2) / (total > 1 ? total : 1);
        if (!passes_first_filter(c))
            continue;
        const Tmark_info* info = mark_info(c.mark);
        c.value                = info ? info->value : statistics_value(c);
        list[kept++]           = c;
    }
    if (kept == 0)
        return 0;

    // Adjacent exchanges only when the later one is strictly higher: equal values keep the
    // order of the legal list.
    for (bool exchanged = true; exchanged;) {
        exchanged = false;
        for (int i = 0; i + 1 < kept; ++i) {
            if (list[i + 1].value > list[i].value) {
                const Tcandidate higher = list[i + 1];
                list[i + 1]             = list[i];
                list[i]                 = higher;
                exchanged               = true;
            }
        }
    }
    print_statistics(list, kept);

    const double threshold = list[0].value - CLOSE_TO_BEST;
    int          close     = 0;
    while (close < kept && list[close].value >= threshold)
        ++close;
    return list[rand() % close].move;
}
