// Playing a game's moves on the board for the book builders, one record made in place.
#include "book/book_game.h"

const char* const PGN_TAG_NAMES[NB_PGN_TAGS] = {"Event", "Site", "Date", "Round", "White", "Black", "Result"};

int Tbook_game::start(const char* fen) {
    nb_plies             = 0;
    board_state.game_ply = 0;
    board_state.ply      = 0;
    if (!position.set_fen(fen))
        return 0;
    keys[0]  = board_state.hash_key;
    marks[0] = 0;
    moves[0] = 0;
    return 1;
}

int Tbook_game::play(Move move, int mark) {
    if (nb_plies >= BOOK_GAME_PLIES)
        return 0;
    // The key history is the game loop's: only its first slots are used here.
    board_state.game_ply = 0;
    board_state.ply      = 0;
    position.make_child(move, nullptr, false);
    board_state.ply = 0;
    ++nb_plies;
    moves[nb_plies] = move;
    marks[nb_plies] = int16_t(mark);
    keys[nb_plies]  = board_state.hash_key;
    return 1;
}
