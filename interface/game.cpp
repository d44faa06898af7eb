// The game record: set-up from a FEN, replaying the moves, adding a move.
#include "interface/game.h"

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

Tgame game;

Tgame::Tgame() {
    for (int i = 0; i < GAME_RECORD_SIZE; ++i) {
        origins[i]    = ORIGIN_NONE;
        moves[i]      = 0;
        scores[i]     = SCORE_NOT_COMPUTED;
        bounds[i]     = 0;
        times[i]      = 0;
        depths[i]     = 0;
        book_marks[i] = 0;
    }
}

void Tgame::reset_game() {
    search.ponder_searches            = 0;
    search.ponder_hits                = 0;
    game_ply                          = 0;
    tags[TAG_EVENT]                   = "?";
    tags[TAG_SITE]                    = "Brelok";
    const platform::Tlocal_time today = platform::local_time();
    char                        date[40];
    snprintf(date, sizeof date, "%d.%02d.%02d", today.year, today.month, today.day);
    tags[TAG_DATE]   = date;
    tags[TAG_ROUND]  = "?";
    tags[TAG_RESULT] = "*";
    start_fen.clear();
}

int Tgame::set_start_position(const char* fen) {
    reset_game();
    start_fen            = fen;
    board_state.game_ply = 0;
    if (!root.set_fen(fen))
        return 0;
    start_side = root.side_to_move();
    for (int i = 0; i < GAME_RECORD_SIZE; ++i) {
        scores[i]     = SCORE_NOT_COMPUTED;
        bounds[i]     = 0;
        times[i]      = 0;
        depths[i]     = 0;
        book_marks[i] = 0;
        moves[i]      = 0;
    }
    memset(board_state.key_history, 0, sizeof board_state.key_history);
    board_state.ply                   = 0;
    board_state.key_history[game_ply] = board_state.hash_key;
    return 1;
}

void Tgame::make_on_root(Move move) {
    Tboard& b  = board_state;
    b.game_ply = game_ply;
    b.ply      = 0;
    root.make_child(move, nullptr, false);
    ++game_ply;
    b.game_ply              = game_ply;
    b.ply                   = 0;
    b.key_history[game_ply] = b.hash_key;
    root.parent             = nullptr;
}

int Tgame::replay_to(int n) {
    if (n < 0)
        n = 0;
    if (n > MAX_GAME_PLY)
        n = MAX_GAME_PLY;
    game_ply             = 0;
    board_state.game_ply = 0;
    board_state.ply      = 0;
    if (!root.set_fen(start_fen.c_str()))
        return 0;
    for (int i = 1; i <= n; ++i)
        make_on_root(moves[i]);
    root.parent = nullptr;
    return 1;
}

int Tgame::add_move(Move move, int origin) {
    if (is_full() || move == 0)
        return 0;
    make_on_root(move);
    moves[game_ply]      = move;
    book_marks[game_ply] = 0;
    origins[game_ply]    = origin;
    // Only a search leaves figures for its move; whatever an undone move left there goes.
    if (origin != ORIGIN_SEARCH && origin != ORIGIN_SEARCH_IN_BOOK) {
        scores[game_ply] = SCORE_NOT_COMPUTED;
        bounds[game_ply] = 0;
        times[game_ply]  = 0;
        depths[game_ply] = 0;
    }
    return 1;
}

bool Tgame::is_legal(Move move) {
    root.gen_legal();
    for (int i = 1; i <= root.nb_moves; ++i)
        if (root.moves[i] == move)
            return true;
    return false;
}

void Tgame::store_search_result() {
    const int index = board_state.game_ply + 1;
    if (index < 1 || index >= GAME_RECORD_SIZE)
        return;
    scores[index] = search.final_score;
    bounds[index] = search.final_bound;
    times[index]  = search.final_duration;
    depths[index] = search.last_iteration;
}
