// The style book: the move sequences of b_style.txt, with the marks the engine or its owner put
// on their moves, compiled into a book (b_style.bin) whose marks steer the book choice.
#include <memory>
#include <string>

#include "base/console.h"
#include "board/boarddata.h"
#include "book/book_game.h"
#include "book/book_lookup.h"
#include "book/learning.h"
#include "book/move_token.h"
#include "book/position_table.h"
#include "book/text_lines.h"

namespace {

constexpr size_t LONGEST_LINE = 1023;
constexpr int    PLY_LIMIT    = 999; // a style line teaches every position it reaches

} // namespace

void update_style_book() {
    console.print("Updating style book. . .\n");
    auto table = std::make_unique<Tposition_table>();
    auto game  = std::make_unique<Tbook_game>();
    // The lines count as drawn games of the source collections: they add marks, not results.
    game->tags[PGN_RESULT] = "1/2-1/2";
    int count              = 0;
    // Binary mode: the reader takes CRLF and LF alike. A missing file is a style book without lines.
    if (FILE* file = fopen(STYLE_TEXT_NAME, "rb")) {
        std::string line;
        // Only lines starting with '1' hold moves; the others (";" lines) are comments.
        while (read_text_line(file, line, LONGEST_LINE)) {
            if (line.empty() || line[0] != '1' || !game->start(STANDARD_START_FEN))
                continue;
            Tmove_text_reader reader;
            if (!reader.read_line(*game, line.c_str()))
                continue;
            table->add_game(*game, PLY_LIMIT);
            ++count;
        }
        fclose(file);
    }
    console.print("  Done : %d lines found in %s\n", count, STYLE_TEXT_NAME);
    table->write(STYLE_BOOK_NAME);
}
