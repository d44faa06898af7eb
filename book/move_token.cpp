// Reading PGN move words: the word is cut into piece, origin hints, destination and promotion,
// and matched against the legal list, so only a real move of the position can come out.
#include "book/move_token.h"

#include <cstring>
#include <string>

namespace {

constexpr int MAX_TOKEN = 15; // longer words are no move

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_file(char c) { return c >= 'a' && c <= 'h'; }
bool is_rank(char c) { return c >= '1' && c <= '8'; }
bool is_suffix(char c) { return c == '+' || c == '#' || c == '!' || c == '?'; }

int piece_of_letter(char c) {
    switch (c) {
    case 'N': return KNIGHT;
    case 'B': return BISHOP;
    case 'R': return ROOK;
    case 'Q': return QUEEN;
    case 'K': return KING;
    default: return EMPTY;
    }
}

int promotion_of_letter(char c) {
    switch (c) {
    case 'N':
    case 'n': return KNIGHT;
    case 'B':
    case 'b': return BISHOP;
    case 'R':
    case 'r': return ROOK;
    case 'Q':
    case 'q': return QUEEN;
    default: return EMPTY;
    }
}

// The piece that moves: promotions and en-passant captures are pawn moves.
int moving_piece(Move m) {
    const int kind = move_kind(m);
    return kind >= KIND_PAWN && kind <= KIND_KING ? kind : PAWN;
}

struct Tsan {
    int    piece     = PAWN;
    Square to        = NO_SQUARE;
    int    from_file = -1;
    int    from_rank = -1;
    int    promotion = EMPTY;
};

// Splits a move word without its marks; false when it is not written as a move.
bool parse_san(const char* p, Tsan& san) {
    if (piece_of_letter(*p) != EMPTY)
        san.piece = piece_of_letter(*p++);
    else if (!is_file(*p))
        return false;
    int end = int(strlen(p));
    if (end >= 3 && promotion_of_letter(p[end - 1]) != EMPTY && (is_rank(p[end - 2]) || p[end - 2] == '=')) {
        san.promotion = promotion_of_letter(p[end - 1]);
        end -= p[end - 2] == '=' ? 2 : 1;
    }
    if (end < 2 || !is_file(p[end - 2]) || !is_rank(p[end - 1]))
        return false;
    san.to = make_square(p[end - 2] - 'a', p[end - 1] - '1');
    for (int i = 0; i < end - 2; ++i) {
        if (is_file(p[i]))
            san.from_file = p[i] - 'a';
        else if (is_rank(p[i]))
            san.from_rank = p[i] - '1';
        else if (p[i] != 'x' && p[i] != '-' && p[i] != ':')
            return false;
    }
    return san.promotion == EMPTY || san.piece == PAWN;
}

// The one legal move the parts name; 0 for none or for more than one.
Move match_legal(const Tboarddata& position, const Tsan& san) {
    Move found = 0;
    for (int i = 1; i <= position.nb_moves; ++i) {
        const Move m    = position.moves[i];
        const int  kind = move_kind(m);
        if (is_castling_kind(kind) || kind == KIND_NULL || move_to(m) != san.to
            || moving_piece(m) != san.piece)
            continue;
        if ((san.from_file >= 0 && file_of(move_from(m)) != san.from_file)
            || (san.from_rank >= 0 && rank_of(move_from(m)) != san.from_rank))
            continue;
        // A pawn reaching the last rank without a letter becomes a queen.
        const int promoted = is_promotion_kind(kind) ? promoted_type(kind) : EMPTY;
        if (promoted != (san.promotion == EMPTY && promoted != EMPTY ? QUEEN : san.promotion))
            continue;
        if (found != 0)
            return 0;
        found = m;
    }
    return found;
}

Move find_castling(const Tboarddata& position, int kind) {
    for (int i = 1; i <= position.nb_moves; ++i)
        if (move_kind(position.moves[i]) == kind)
            return position.moves[i];
    return 0;
}

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

    const char* san_text = text[0] == 'P' ? text + 1 : text;
    position.gen_legal();
    if (strcmp(san_text, "O-O-O") == 0)
        move = find_castling(position, KIND_CASTLE_QUEEN);
    else if (strcmp(san_text, "O-O") == 0)
        move = find_castling(position, KIND_CASTLE_KING);
    else if (Tsan san; parse_san(san_text, san))
        move = match_legal(position, san);
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
