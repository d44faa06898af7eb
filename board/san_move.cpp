// Reading standard algebraic notation: the token is cut into piece, origin hints, destination
// and promotion, then matched against the legal list so that only a real move can come out.
#include "board/san_move.h"

#include <cstring>

#include "board/boarddata.h"

namespace {

constexpr int MAX_TOKEN = 16; // longest SAN move with its marks is well below this

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

bool is_file(char c) { return c >= 'a' && c <= 'h'; }
bool is_rank(char c) { return c >= '1' && c <= '8'; }

// The piece that moves: promotions and en-passant captures are pawn moves.
int moving_piece(Move m) {
    const int kind = move_kind(m);
    return kind >= KIND_PAWN && kind <= KIND_KING ? kind : PAWN;
}

Move find_unique(const Tboarddata& node, int piece, Square to, int from_file, int from_rank, int promotion) {
    Move found = 0;
    for (int i = 1; i <= node.nb_moves; ++i) {
        const Move m    = node.moves[i];
        const int  kind = move_kind(m);
        if (is_castling_kind(kind) || kind == KIND_NULL || move_to(m) != to || moving_piece(m) != piece)
            continue;
        if ((from_file >= 0 && file_of(move_from(m)) != from_file)
            || (from_rank >= 0 && rank_of(move_from(m)) != from_rank))
            continue;
        const int promoted = is_promotion_kind(kind) ? promoted_type(kind) : EMPTY;
        // A pawn reaching the last rank without a letter is taken as a queen.
        if (promoted != (promotion == EMPTY && promoted != EMPTY ? QUEEN : promotion))
            continue;
        if (found != 0)
            return 0; // ambiguous: better no move than a guessed one
        found = m;
    }
    return found;
}

Move find_castling(const Tboarddata& node, int kind) {
    for (int i = 1; i <= node.nb_moves; ++i)
        if (move_kind(node.moves[i]) == kind)
            return node.moves[i];
    return 0;
}

} // namespace

Move read_san_move(const Tboarddata& node, const char* token) {
    char text[MAX_TOKEN + 1];
    int  length = 0;
    for (const char* p = token; *p && length < MAX_TOKEN; ++p) {
        if (*p == '+' || *p == '#' || *p == '!' || *p == '?')
            break;
        text[length++] = *p == 'o' || *p == '0' ? 'O' : *p;
    }
    if (token[length] != '\0' && token[length] != '+' && token[length] != '#' && token[length] != '!'
        && token[length] != '?')
        return 0; // too long to be a move
    text[length] = '\0';

    const char* p = text;
    if (*p == 'P')
        ++p;
    if (std::strcmp(p, "O-O-O") == 0)
        return find_castling(node, KIND_CASTLE_QUEEN);
    if (std::strcmp(p, "O-O") == 0)
        return find_castling(node, KIND_CASTLE_KING);
    if (!((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z')))
        return 0;

    int end       = int(std::strlen(p));
    int promotion = EMPTY;
    if (end >= 3 && promotion_of_letter(p[end - 1]) != EMPTY && (is_rank(p[end - 2]) || p[end - 2] == '=')) {
        promotion = promotion_of_letter(p[end - 1]);
        end -= p[end - 2] == '=' ? 2 : 1;
    }
    if (end < 2 || !is_file(p[end - 2]) || !is_rank(p[end - 1]))
        return 0;
    const Square to = make_square(p[end - 2] - 'a', p[end - 1] - '1');

    int piece = PAWN;
    int start = 0;
    if (p[0] >= 'A' && p[0] <= 'Z' && piece_of_letter(p[0]) == EMPTY)
        return 0;
    if (piece_of_letter(p[0]) != EMPTY) {
        piece = piece_of_letter(p[0]);
        start = 1;
    }
    int from_file = -1, from_rank = -1;
    for (int i = start; i < end - 2; ++i) {
        if (is_file(p[i]))
            from_file = p[i] - 'a';
        else if (is_rank(p[i]))
            from_rank = p[i] - '1';
        else if (p[i] != 'x' && p[i] != 'X' && p[i] != '-' && p[i] != ':')
            return 0;
    }
    if (promotion != EMPTY && piece != PAWN)
        return 0;
    return find_unique(node, piece, to, from_file, from_rank, promotion);
}
