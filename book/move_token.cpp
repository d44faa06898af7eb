// Reading PGN move words: the move number glued to a move and the marks are taken off, and the
// rest is read as a SAN move against the legal list, so only a real move can come out.
#include "book/move_token.h"

#include <cstring>
#include <string>

#include "board/san_move.h"

namespace {

constexpr int MAX_TOKEN = 15; // longer words are no move

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_suffix(char c) { return c == '+' || c == '#' || c == '!' || c == '?'; }

} // namespace

int token_mark(const char* token) {
    static constexpr struct {
        const char* text;
        int         mark;
    } MARK_TEXTS[] = {{"??", MARK_BLUNDER},   {"?!", MARK_DUBIOUS}, {"!?", MARK_INTERESTING},
                      {"!!", MARK_BRILLIANT}, {"!", MARK_GOOD},     {"?", MARK_MISTAKE}};
    for (const auto& m : MARK_TEXTS)
        if (strstr(token, m.text))
            return m.mark;
    return MARK_NONE;
}

Ttoken_kind read_move_token(Tboarddata& position, const char* token, Move& move, int& mark) {
    move = 0;
    mark = 0;
    // A move number glued to its move ("12.Nf3", "12...e5") gives way to the move.
    const char* p = token;
    while (is_digit(*p))
        ++p;
    if (p != token && *p == '.') {
        while (*p == '.')
            ++p;
        token = p;
    }
    char text[MAX_TOKEN + 1];
    int  length = 0;
    for (p = token; *p && length <= MAX_TOKEN; ++p)
        text[length++] = *p == 'o' || *p == '0' ? 'O' : *p;
    if (length == 0 || !is_letter(text[0]))
        return TOKEN_SKIPPED;
    if (length > MAX_TOKEN)
        return TOKEN_ILLEGAL;
    text[length] = '\0';
    mark         = token_mark(text);
    while (length > 0 && is_suffix(text[length - 1]))
        text[--length] = '\0';

    position.gen_legal();
    move = read_san_move(position, text);
    return move ? TOKEN_MOVE : TOKEN_ILLEGAL;
}

int Tmove_text_reader::read_line(Tbook_game& game, const char* line) {
    std::string word;
    for (const char* p = line;; ++p) {
        const char c = *p;
        // Comments and variations are blanks to the words around them.
        bool blank = c == '\0' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (in_comment) {
            in_comment = c != '}'; // a comment may go on over the next lines
            blank      = true;
        } else if (c == '{') {
            in_comment = true;
            blank      = true;
        } else if (c == ';') {
            blank = true;
            p     = line + strlen(line) - 1; // the rest of the line is comment
        } else if (c == '(') {
            ++variation_depth;
            blank = true;
        } else if (c == ')' && variation_depth > 0) {
            --variation_depth;
            blank = true;
        } else if (variation_depth > 0) {
            blank = true;
        }
        if (!blank) {
            word += c;
            continue;
        }
        if (!word.empty()) {
            Move              move = 0;
            int               mark = 0;
            const Ttoken_kind kind = read_move_token(game.position, word.c_str(), move, mark);
            word.clear();
            if (kind == TOKEN_ILLEGAL)
                return 0;
            if (kind == TOKEN_MOVE && !game.play(move, mark))
                return 1; // full: the rest of the game is not needed
        }
        if (c == '\0')
            return 1;
    }
}
