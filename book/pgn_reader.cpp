// The PGN reader: line by line, with the position of each game's first line remembered so that
// the next game is found from there.
#include "book/pgn_reader.h"

#include <cstring>

#include "base/console.h"
#include "book/move_token.h"

namespace {

constexpr size_t      LONGEST_LINE       = 1 << 16; // longer lines come in pieces
constexpr int         COUNT_REPORT_EVERY = 1000;
constexpr const char* GAME_START_TAG     = "[Event ";

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool only_blanks(const std::string& text) {
    for (const char c : text)
        if (!is_blank(c))
            return false;
    return true;
}

bool starts_game(const std::string& text) { return text.find(GAME_START_TAG) != std::string::npos; }

} // namespace

int Tpgn_reader::open(const char* file_name) {
    close();
    // Binary mode: file positions are exact on every system, and every kind of line end is seen.
    file    = fopen(file_name, "rb");
    started = false;
    return file ? 1 : 0;
}

void Tpgn_reader::close() {
    if (file)
        fclose(file);
    file = nullptr;
}

void Tpgn_reader::go_to(const fpos_t* position) {
    if (position)
        fsetpos(file, position);
    else
        rewind(file);
    carry.clear();
    continuing = false;
}

// A physical line longer than the longest kept is handed out in pieces cut at blanks, so that
// no word is cut in two (Nf3 would read as N and f3) and comments keep their braces.
bool Tpgn_reader::read_line() {
    line.swap(carry);
    carry.clear();
    at_line_start = !continuing;
    continuing    = false;
    bool got      = !at_line_start;
    bool skipping = false; // through a word longer than a whole piece: it is dropped
    int  c;
    while ((c = getc(file)) != EOF && c != '\n') {
        // A line ends with LF, CR LF, or CR alone (old Macintosh files), in any mixture.
        if (c == '\r') {
            const int next = getc(file);
            if (next != '\n' && next != EOF)
                ungetc(next, file);
            c = '\n';
            break;
        }
        got = true;
        // Stray bytes of a damaged file must not end the text early.
        if (c == '\0')
            c = ' ';
        if (skipping && !is_blank(char(c)))
            continue;
        skipping = false;
        line += char(c);
        if (line.size() < LONGEST_LINE)
            continue;
        const size_t cut = line.find_last_of(" \t\r");
        if (cut == std::string::npos) {
            line.clear();
            skipping = true;
            continue;
        }
        carry.assign(line, cut + 1);
        line.resize(cut + 1);
        continuing = true;
        return true;
    }
    return got || c == '\n';
}

int Tpgn_reader::count_games() {
    if (!file)
        return 0;
    go_to(nullptr);
    int count = 0;
    while (read_line()) {
        if (!at_line_start || !starts_game(line))
            continue;
        if (++count % COUNT_REPORT_EVERY == 0)
            console.print("%d|", count);
    }
    console.print("\n");
    go_to(nullptr);
    started = false;
    return count;
}

// The tag of the line, read as [Name "value"] (the value runs to the next quote or to the end of
// the line); false when the line is not that tag.
bool Tpgn_reader::read_tag(int tag, Tbook_game& game) {
    const char* p = line.c_str();
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p++ != '[')
        return false;
    const size_t name_length = strlen(PGN_TAG_NAMES[tag]);
    if (strncmp(p, PGN_TAG_NAMES[tag], name_length) != 0)
        return false;
    p += name_length;
    while (is_blank(*p))
        ++p;
    if (*p++ != '"')
        return false;
    const char* end = strchr(p, '"');
    game.tags[tag].assign(p, end ? size_t(end - p) : strlen(p));
    return true;
}

int Tpgn_reader::next_game(Tbook_game& game) {
    if (!file)
        return 0;
    go_to(started ? &game_start : nullptr);
    if (started && !read_line())
        return 0; // past the first line of the game read last
    for (;;) {
        fpos_t     here;
        const bool exact = !continuing && fgetpos(file, &here) == 0;
        if (!read_line())
            return 0;
        if (exact && starts_game(line)) {
            game_start = here;
            started    = true;
            break;
        }
    }
    return read_game(game);
}

int Tpgn_reader::read_game(Tbook_game& game) {
    if (!game.start(STANDARD_START_FEN))
        return 0;
    for (int tag = 0; tag < NB_PGN_TAGS; ++tag) {
        if ((tag > 0 && !read_line()) || !read_tag(tag, game))
            return 0;
    }
    // Further tags, up to the blank line before the moves.
    do {
        if (!read_line())
            return 0;
    } while (!at_line_start || !only_blanks(line));

    Tmove_text_reader moves;
    // Up to a blank line, or the tags of the next game.
    while (read_line() && !(at_line_start && (only_blanks(line) || line[0] == '['))) {
        if (!moves.read_line(game, line.c_str()))
            break;
    }
    return game.nb_plies >= 1 ? 1 : 0;
}
