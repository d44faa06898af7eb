// Moves as text: the coordinate form spoken with the interface, the short algebraic form of the
// thinking lines and records, the FEN placement field and the console board diagram.
#include "board/notation.h"

#include <cstring>

#include "base/config.h"
#include "base/console.h"
#include "board/board.h"

const char* const SQUARE_NAMES[64] = {
    "a1", "b1", "c1", "d1", "e1", "f1", "g1", "h1", "a2", "b2", "c2", "d2", "e2", "f2", "g2", "h2",
    "a3", "b3", "c3", "d3", "e3", "f3", "g3", "h3", "a4", "b4", "c4", "d4", "e4", "f4", "g4", "h4",
    "a5", "b5", "c5", "d5", "e5", "f5", "g5", "h5", "a6", "b6", "c6", "d6", "e6", "f6", "g6", "h6",
    "a7", "b7", "c7", "d7", "e7", "f7", "g7", "h7", "a8", "b8", "c8", "d8", "e8", "f8", "g8", "h8",
};

const char* const KIND_NAMES[NB_KINDS] = {
    "empty",
    "pawn",
    "knight",
    "bishop",
    "rook",
    "queen",
    "king",
    "knight promotion",
    "bishop promotion",
    "rook promotion",
    "queen promotion",
    "en passant",
    " O-O",
    " O-O-O",
    "NULL Move",
};

const char* const KIND_SHORT_NAMES[NB_KINDS] = {
    "VIDE", "", "C", "F", "T", "D", "R", "", "", "", "", "", "O-O", "O-O-O", "NULL",
};

const char* const KIND_SAN_LETTERS[NB_KINDS] = {
    "//?", "", "N", "B", "R", "Q", "K", "", "", "", "", "", "O-O", "O-O-O", "NULL",
};

const char* const PIECE_NAMES[7] = {"empty", "pawn", "knight", "bishop", "rook", "queen", "king"};

namespace {

bool on_board(Square s) { return s >= 0 && s < 64; }

// A corrupt move word must still print without reading past the name table.
const char* square_name(Square s) { return on_board(s) ? SQUARE_NAMES[s] : "??"; }

const char* san_letters(int kind) { return kind < NB_KINDS ? KIND_SAN_LETTERS[kind] : "//?"; }

// FEN letter of a signed piece code, 0 for a code that names no piece.
char fen_letter(int code) {
    static const char letters[] = "kqrbnp PNBRQK";
    return code >= -6 && code <= 6 && code != 0 ? letters[code + 6] : 0;
}

int file_from_char(char c) {
    if (c >= 'a' && c <= 'h')
        return c - 'a';
    if (c >= 'A' && c <= 'H')
        return c - 'A';
    return -1;
}

// Reads a square name in either case; NO_SQUARE when the two characters are not one. Stops at
// the first bad character so a short text is never read past its terminator.
Square read_square(const char* text) {
    int file = file_from_char(text[0]);
    if (file < 0 || text[1] < '1' || text[1] > '8')
        return NO_SQUARE;
    return make_square(file, text[1] - '1');
}

// What may follow a move on its line: nothing, or the blank that ends the word.
bool ends_word(char c) { return c == '\0' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool same_ignoring_case(const char* text, const char* word) {
    for (; *word; ++text, ++word) {
        char c = *text >= 'A' && *text <= 'Z' ? char(*text - 'A' + 'a') : *text;
        if (c != *word)
            return false;
    }
    return true;
}

int promotion_from_letter(char c) {
    switch (c) {
    case 'n': return KIND_PROMO_KNIGHT;
    case 'b': return KIND_PROMO_BISHOP;
    case 'r': return KIND_PROMO_ROOK;
    case 'q': return KIND_PROMO_QUEEN;
    default: return KIND_NONE;
    }
}

} // namespace

int move_to_coord(Move m, char* out, int side) {
    const int kind = move_kind(m);
    out[0]         = '\0';
    if (kind != KIND_NONE && move_to(m) != NO_SQUARE) {
        strcpy(out, square_name(move_from(m)));
        strcat(out, square_name(move_to(m)));
    }
    switch (kind) {
    case KIND_PROMO_KNIGHT: strcat(out, "n"); break;
    case KIND_PROMO_BISHOP: strcat(out, "b"); break;
    case KIND_PROMO_ROOK: strcat(out, "r"); break;
    case KIND_PROMO_QUEEN: strcat(out, "q"); break;
    case KIND_CASTLE_KING: strcpy(out, side == WHITE ? "e1g1" : side == BLACK ? "e8g8" : "O-O"); break;
    case KIND_CASTLE_QUEEN: strcpy(out, side == WHITE ? "e1c1" : side == BLACK ? "e8c8" : "O-O-O"); break;
    case KIND_NONE:
    case KIND_NULL: strcpy(out, KIND_SHORT_NAMES[kind]); break;
    default: break;
    }
    return 1;
}

std::string coord_text(Move m, Color side) {
    char text[8];
    move_to_coord(m, text, side);
    return text;
}

int coord_to_move(Move& m, const char* text, const uint8_t piece_types[64]) {
    const Square from = read_square(text);
    if (from == NO_SQUARE)
        return 0;
    const Square to = read_square(text + 2);
    if (to == NO_SQUARE)
        return 0;

    int kind     = piece_types[from];
    int captured = piece_types[to];
    int length   = 4;
    switch (kind) {
    case PAWN:
        if (file_of(from) != file_of(to) && captured == EMPTY) {
            kind     = KIND_EN_PASSANT;
            captured = PAWN;
        }
        if (rank_of(to) == 0 || rank_of(to) == 7) {
            kind = promotion_from_letter(text[4]);
            if (kind == KIND_NONE)
                return 0;
            captured = piece_types[to];
            length   = 5;
        }
        break;
    case KNIGHT:
    case BISHOP:
    case ROOK:
    case QUEEN: break;
    case KING:
        // Castling is typed as the king's two squares; the word itself carries no squares.
        if (ends_word(text[4])) {
            if (same_ignoring_case(text, "e1g1") || same_ignoring_case(text, "e8g8")) {
                m = CASTLE_KING_MOVE;
                return 1;
            }
            if (same_ignoring_case(text, "e1c1") || same_ignoring_case(text, "e8c8")) {
                m = CASTLE_QUEEN_MOVE;
                return 1;
            }
        }
        break;
    default: return 0; // empty square, or a type no piece has
    }
    // Anything glued to the move makes it some other word.
    if (!ends_word(text[length]))
        return 0;
    m = make_move(to, from, kind, captured);
    return 1;
}

int move_to_short(Move m, char* out, bool with_origin) {
    const int    kind     = move_kind(m);
    const Square to       = move_to(m);
    const int    captured = move_captured(m);
    out[0]                = '\0';
    if (to == NO_SQUARE || kind == KIND_NONE) {
        strcpy(out, san_letters(kind));
        return 1;
    }
    if (kind >= KIND_KNIGHT && kind <= KIND_KING)
        strcat(out, KIND_SAN_LETTERS[kind]);
    // Bishops and kings are rarely ambiguous, so they never carry their origin.
    if (with_origin && (kind == KIND_KNIGHT || kind == KIND_ROOK || kind == KIND_QUEEN))
        strcat(out, square_name(move_from(m)));
    const bool pawn_move = kind == KIND_PAWN || (kind >= KIND_PROMO_KNIGHT && kind <= KIND_EN_PASSANT);
    if (pawn_move && captured != 0) {
        const char file[2] = {on_board(move_from(m)) ? char('a' + file_of(move_from(m))) : '?', '\0'};
        strcat(out, file);
    }
    if (captured != 0)
        strcat(out, "x");
    strcat(out, square_name(to));
    return 1;
}

void print_move(Move m) {
    char text[16];
    move_to_short(m, text, false);
    console.print("%s", text);
}

namespace Ttools {

std::string SIGNED_PIECE2SAN(const int8_t signed_board[64]) {
    std::string placement;
    for (int rank = 7; rank >= 0; --rank) {
        int empties = 0;
        for (int file = 0; file < 8; ++file) {
            const int code = signed_board[make_square(file, rank)];
            if (code == 0) {
                ++empties;
                continue;
            }
            if (empties > 0)
                placement += char('0' + empties);
            empties     = 0;
            char letter = fen_letter(code);
            if (letter == 0) {
                console.print("Ttools::SIGNED_PIECE2SAN : piece %d inconnue\n", code);
                letter = ' ';
            }
            placement += letter;
        }
        if (empties > 0)
            placement += char('0' + empties);
        if (rank > 0)
            placement += '/';
    }
    return placement;
}

} // namespace Ttools

void print_board() {
    console.print("\n");
    for (int i = 0; i < 8; ++i) {
        const int rank = config.flip > 0 ? i : 7 - i;
        console.print("%d ", rank + 1);
        for (int file = 0; file < 8; ++file) {
            const int code = board_state.board[make_square(file, rank)];
            char      shown;
            if (code == 0) {
                shown = (file + rank) % 2 == 0 ? '-' : ' ';
            } else {
                shown = fen_letter(code);
                if (shown == 0) {
                    console.print("Ttools::SIGNED_PIECE2SAN : piece %d inconnue\n", code);
                    shown = ' ';
                }
            }
            console.print("%c ", shown);
        }
        console.print("\n");
    }
    console.print("  a b c d e f g h\n");
}
