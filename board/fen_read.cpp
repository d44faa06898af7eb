// Every position comes into being here: the game start, edit mode, EPD lines, book and learning.
#include <cassert>
#include <cstring>

#include "base/config.h"
#include "base/console.h"
#include "board/boarddata.h"

const char* const STANDARD_START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

Move     move_stack[MOVE_STACK_SIZE];
int32_t  node_serial = 0;
uint64_t node_count  = 0;

namespace {

const char* skip_blanks(const char* p) {
    while (*p == ' ')
        ++p;
    return p;
}

// Reads the eight ranks, rank 8 first; returns the character after the placement or null.
const char* read_placement(const char* p, int& white_kings, int& black_kings) {
    Tboard& b = board_state;
    for (int rank = 7; rank >= 0; --rank) {
        if (rank != 7 && *p++ != '/')
            return nullptr;
        int file = 0;
        while (file < 8) {
            const char c = *p++;
            if (c >= '0' && c <= '9') {
                if (c == '0' || c == '9')
                    return nullptr;
                file += c - '0'; // a run past the rank's end is tolerated
                continue;
            }
            if (!b.put_piece_letter(c, make_square(file, rank)))
                return nullptr;
            white_kings += c == 'K';
            black_kings += c == 'k';
            ++file;
        }
    }
    return p;
}

// A FEN's en-passant square stands only where the double step could just have been played: the
// pawn in front of it, the square and the one it came from empty, and the side now to move not in
// check before the step (else the capture could uncover its king). Any other square is dropped
// rather than the whole FEN refused: writers differ on when they give one.
bool plausible_double_step(Tboard& b, Color mover, int file) {
    const Square to   = make_square(file, mover == WHITE ? 3 : 4);
    const Square over = make_square(file, mover == WHITE ? 2 : 5);
    const Square from = make_square(file, mover == WHITE ? 1 : 6);
    if (b.board[to] != signed_piece(mover, PAWN) || b.board[over] != 0 || b.board[from] != 0)
        return false;
    const Square king = b.king_sq[~mover];
    b.shift_piece(mover, PAWN, to, from);
    const bool was_in_check = mover == WHITE ? b.attacked_by_white(king) : b.attacked_by_black(king);
    b.shift_piece(mover, PAWN, from, to);
    return !was_in_check;
}

struct Castle_check {
    unsigned    right;
    Square      king, rook;
    int         king_code, rook_code;
    const char* warning;
};

constexpr Castle_check CASTLE_CHECKS[4] = {
    {WHITE_OO, 4, 7, KING, ROOK, "EPD Warning : White O-O is not allowed !\n"},
    {WHITE_OOO, 4, 0, KING, ROOK, "EPD Warning : White O-O-O is not allowed !\n"},
    {BLACK_OO, 60, 63, -KING, -ROOK, "EPD Warning : Black O-O is not allowed !\n"},
    {BLACK_OOO, 60, 56, -KING, -ROOK, "EPD Warning : Black O-O-O is not allowed !\n"},
};

} // namespace

int Tboarddata::set_fen(const char* text) {
    Tboard& b        = board_state;
    config.book_on   = std::strcmp(text, STANDARD_START_FEN) == 0;
    b.current_record = this;
    legal_done       = 0;
    all_done         = 0;
    reset();

    b.clear();
    parent         = nullptr;
    depth          = 0;
    halfmove_clock = 0;
    moves          = move_stack;
    nb_moves       = 0;
    move           = 0;
    nb_checkers    = 0;
    ep_file        = NO_SQUARE;
    eval_score     = 0;
    second_score   = 0;

    if (std::strlen(text) < 10)
        return 0;

    int         white_kings = 0, black_kings = 0;
    const char* p = read_placement(skip_blanks(text), white_kings, black_kings);
    if (!p || white_kings != 1 || black_kings != 1 || b.nb_pawns[WHITE] > 8 || b.nb_pawns[BLACK] > 8)
        return 0;
    // A pawn on its first or last rank has no square to move to on the board.
    if ((b.pawns_bb[WHITE] | b.pawns_bb[BLACK]) & (rank_bb[0] | rank_bb[7]))
        return 0;

    p = skip_blanks(p);
    if (*p == 'w' || *p == 'W')
        side = WHITE;
    else if (*p == 'b' || *p == 'B')
        side = BLACK;
    else
        return 0;
    ++p;

    castle &= ~CASTLE_RIGHTS_MASK;
    p = skip_blanks(p);
    if (*p == '-') {
        ++p;
    } else {
        for (; *p != ' '; ++p) {
            switch (*p) {
            case 'K': castle |= WHITE_OO; break;
            case 'Q': castle |= WHITE_OOO; break;
            case 'k': castle |= BLACK_OO; break;
            case 'q': castle |= BLACK_OOO; break;
            default: return 0; // includes the end of the text
            }
        }
    }

    p = skip_blanks(p);
    if (*p == '-')
        ep_file = NO_SQUARE;
    else if (*p >= 'a' && *p <= 'h')
        ep_file = plausible_double_step(b, ~side_to_move(), *p - 'a') ? *p - 'a' : NO_SQUARE;
    else
        return 0;

    phase = b.current_phase = compute_phase(3);
    for (Color c : {WHITE, BLACK})
        b.piece_material[c] = PIECE_VALUE[KNIGHT] * (b.nb_knights[c] + b.nb_bishops[c])
                              + PIECE_VALUE[ROOK] * b.nb_rooks[c] + PIECE_VALUE[QUEEN] * b.nb_queens[c];
    b.hash_key = b.hash_key_from_scratch(side_to_move());
    if (b.game_ply >= 0 && b.game_ply < KEY_HISTORY_SIZE)
        b.key_history[b.game_ply] = b.hash_key;

    const Color us = side_to_move();
    if (us == WHITE ? b.attacked_by_white(b.king_sq[BLACK]) : b.attacked_by_black(b.king_sq[WHITE]))
        return 0;
    Bitboard checkers =
        us == WHITE ? b.attackers_black(b.king_sq[WHITE]) : b.attackers_white(b.king_sq[BLACK]);
    if (popcount(checkers) > 2)
        return 0;
    while (checkers)
        add_checker(pop_lsb(checkers));

    for (const Castle_check& check : CASTLE_CHECKS)
        if ((castle & check.right)
            && (b.board[check.king] != check.king_code || b.board[check.rook] != check.rook_code)) {
            console.print("%s", check.warning);
            castle &= ~check.right;
        }

    base_score = base_score_from_scratch(phase, us);
    assert(b.is_consistent(us));
    return 1;
}
