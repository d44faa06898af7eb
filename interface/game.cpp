// The game record: set-up from a FEN, replaying the moves, adding a move.
#include "interface/game.h"

#include <cstdio>
#include <cstring>
#include <string>

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
    start_clock          = 0;
    plies_dropped        = 0;
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
    root.halfmove_clock = start_clock;
    for (int i = 1; i <= n; ++i)
        make_on_root(moves[i]);
    root.parent = nullptr;
    return 1;
}

void Tgame::restart_record() {
    const int clock = root.halfmove_clock;
    const int kept  = clock < KEPT_AT_RESTART_FEWEST ? KEPT_AT_RESTART_FEWEST
                      : clock > KEPT_AT_RESTART_MOST ? KEPT_AT_RESTART_MOST
                                                     : clock;
    const int from  = game_ply - kept;
    if (!restarted())
        memcpy(opening_keys, board_state.key_history, sizeof opening_keys);
    replay_to(from);
    // The FEN's move counters say where the game stands (and, with them, it never reads as the
    // standard start: the book stays off); the clock itself is kept apart, as the position set-up
    // reads no counters.
    const int  before      = plies_dropped + from;
    const bool black_began = (root.side_to_move() == BLACK) != (before % 2 == 1);
    const int  move_number = (before + (black_began ? 1 : 0)) / 2 + 1;
    start_fen   = root.get_fen() + std::to_string(root.halfmove_clock) + " " + std::to_string(move_number);
    start_clock = root.halfmove_clock;
    start_side  = root.side_to_move();
    // The half-moves kept, and what a search just left for the coming one.
    for (int i = 1; i < GAME_RECORD_SIZE; ++i) {
        const int  source = from + i;
        const bool moved  = i <= kept + 1;
        origins[i]        = moved ? origins[source] : int(ORIGIN_NONE);
        moves[i]          = moved ? moves[source] : 0;
        scores[i]         = moved ? scores[source] : SCORE_NOT_COMPUTED;
        bounds[i]         = moved ? bounds[source] : 0;
        times[i]          = moved ? times[source] : 0;
        depths[i]         = moved ? depths[source] : 0;
        book_marks[i]     = moved ? book_marks[source] : 0;
    }
    plies_dropped = before;
    replay_to(kept);
}

const uint64_t* Tgame::keys_from_start(int& last_index) const {
    last_index = restarted() ? OPENING_KEYS - 1 : game_ply;
    return restarted() ? opening_keys : board_state.key_history;
}

int Tgame::add_move(Move move, int origin) {
    if (move == 0)
        return 0;
    if (is_full())
        restart_record();
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
