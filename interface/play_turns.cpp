// What follows a search: the engine's move with its draw offer, learning hooks and resignation;
// pondering on the opponent's time with its hit or miss; and the commands met in analyze mode.
#include <cstdlib>

#include "base/config.h"
#include "base/console.h"
#include "board/boarddata.h"
#include "board/notation.h"
#include "book/learning.h"
#include "interface/commands.h"
#include "interface/game.h"
#include "interface/play.h"
#include "search/draws.h"
#include "search/search.h"

namespace {

constexpr int DRAW_OFFER_AFTER_GAFFE_TYPE = 2; // OPPONENT_TYPE for which no draw is offered
constexpr int RESIGN_FROM_PLY             = 20;
constexpr int RESIGN_SCORE                = -500;
constexpr int RESIGN_OPPONENT_TIME        = 6000; // centiseconds the opponent must still have

bool is_real_score(int score) { return std::abs(score) <= -SCORE_MATED; }

// Three searched moves of the engine in a row at least five pawns down (mates excluded).
bool hopeless(int ply) {
    for (int back = 0; back <= 4; back += 2) {
        const int score = game.scores[ply - back];
        if (!is_real_score(score) || score > RESIGN_SCORE)
            return false;
    }
    return true;
}

// The game as the learning reads it.
Tplayed_game played_game() {
    return {game.start_fen.c_str(),
            game.moves,
            game.scores,
            game.game_ply,
            game.tags[TAG_DATE].c_str(),
            game.tags[TAG_WHITE].c_str(),
            game.tags[TAG_BLACK].c_str()};
}

} // namespace

void Tplay::after_search(Move best, int origin) {
    if (config.analyze_mode) {
        analyze_step(best);
        return;
    }
    if (pending_code() == CMD_RESULT) {
        result();
        return;
    }
    // "force" while thinking: the engine plays neither side any more, this move included;
    // "analyze": it analyses the position instead of playing.
    if (pending_code() == CMD_FORCE || pending_code() == CMD_ANALYZE) {
        execute();
        return;
    }
    Tboarddata& root = game.root;
    if (!best && root.gen_legal() == GEN_MOVES)
        best = root.moves[1];
    // No move: the game is over, and the outer loop says why.
    if (!best || !game.add_move(best, origin)) {
        config.restart = 1;
        return;
    }
    print_move_played();

    const int ply = game.game_ply;
    const int s   = game.scores[ply];
    const int p   = ply >= 2 ? game.scores[ply - 2] : SCORE_NOT_COMPUTED;
    if (config.ENABLE_DRAW_OFFER_WHEN_GAFFE && config.OPPONENT_TYPE != DRAW_OFFER_AFTER_GAFFE_TYPE && ply >= 4
        && s != SCORE_NOT_COMPUTED && p != SCORE_NOT_COMPUTED && p >= -31000 && p <= -50 && s > 0
        && s - p >= 200)
        console.print("computer offers a draw\n");

    if (config.in_game) {
        if (config.ENABLE_LEARN_BIN && ply >= 4 && is_real_score(s) && is_real_score(p) && s <= 200
            && p >= -100 && s != -31999 && p - s >= 60) {
            console.print("Brelok has just made a gaffe ....\n");
            record_blunder(played_game());
            game.replay_to(ply); // the learning played the game on the board
        }
        // The style book's lines are games from the start.
        if (ply > 2 && game.origins[ply - 2] == ORIGIN_BOOK && std::abs(s) < 31999 && s < -35
            && !game.restarted()) {
            console.print("Brelok has just left the opening book in a bad position ....\n");
            record_bad_book_exit(played_game());
            game.replay_to(ply); // the learning played the game on the board
        }
        if (config.ENABLE_RESIGN && ply >= RESIGN_FROM_PLY && config.otim_left > RESIGN_OPPONENT_TIME
            && hopeless(ply))
            console.print("resign\n");
    }
    config.restart = 1;
}

bool Tplay::may_ponder() {
    if (!config.ENABLE_PONDERING || !config.ponder_on)
        return false;
    // Only on the opponent's time: the engine plays the side that moves next.
    Tboarddata& root = game.root;
    const Color side = root.side_to_move();
    if (config.force_mode || config.analyze_mode
        || !(side == WHITE ? config.computer_black : config.computer_white))
        return false;
    config.in_game = 1;
    if (check_repetition(root) || root.gen_legal() != GEN_MOVES || root.halfmove_clock >= 100)
        return false;
    const Move predicted = search.predicted_reply;
    if (!predicted)
        return false;
    for (int i = 1; i <= root.nb_moves; ++i)
        if (root.moves[i] == predicted)
            return true;
    return false;
}

void Tplay::wait_for_command() {
    search.pondering = 0; // a typed move is judged against the game again
    pending_code()   = read_command(1);
    execute();
}

void Tplay::ponder() {
    if (!may_ponder()) {
        wait_for_command();
        return;
    }
    Tboarddata& root      = game.root;
    const Move  predicted = search.predicted_reply;
    const Color opponent  = root.side_to_move();
    search.pondered_move  = predicted;
    search.entered_move   = 0;
    console.print("Pondering move  : %s\n", coord_text(predicted, opponent).c_str());
    ++search.ponder_searches;

    game.add_move(predicted, ORIGIN_ENTERED);
    if (root.gen_legal() != GEN_CHECKMATE && root.halfmove_clock >= 100)
        root.is_fifty_move_draw();

    const Move best = search.think(root, 1, 1, 0, time_budget(), 0, nullptr, 0);
    game.store_search_result();

    // A search that ended on its own waits here for the opponent's move.
    if (search.ponder_state == PONDER_NOTHING_YET && pending_code() < 0) {
        pending_code() = read_command(1);
        if (pending_code() == CMD_MOVE && search.entered_move == predicted)
            search.ponder_state = PONDER_HIT;
    }
    search.pondering = 0;

    if (search.ponder_state == PONDER_HIT) {
        console.print("I have correctly predicted %s :-) \n", coord_text(predicted, opponent).c_str());
        ++search.ponder_hits;
        after_search(best, ORIGIN_SEARCH);
        return;
    }
    game.replay_to(game.game_ply - 1);
    if (root.gen_legal() != GEN_CHECKMATE && root.halfmove_clock >= 100)
        root.is_fifty_move_draw();
    // The move was taken on trust while pondering; an illegal one is refused by execute().
    if (pending_code() == CMD_MOVE && game.is_legal(search.entered_move))
        console.print("I have predicted %s but %s was played :-( \n", coord_text(predicted, opponent).c_str(),
                      coord_text(search.entered_move, opponent).c_str());
    config.restart = 0;
    refresh_entry_board();
    // The same prediction holds for the next turn of pondering.
    search.predicted_reply = predicted;
    if (pending_code() < 0)
        pending_code() = read_command(1);
    execute();
}

void Tplay::analyze_step(Move best) {
    for (;;) {
        switch (pending_code()) {
        case CMD_MOVE: play_entered_move(); return;
        case CMD_UNDO: undo(); return;
        case CMD_EDIT: edit(); return;
        case CMD_NEW: new_game(); return;
        case CMD_MOVE_NOW:
            if (best && game.add_move(best, ORIGIN_SEARCH))
                print_move_played();
            config.restart = 1;
            return;
        case CMD_EXIT:
            console.print("Leaving Analyze Mode\n");
            config.analyze_mode = 0;
            config.restart      = 0;
            return;
        default:
            search.pondering = 0;
            pending_code()   = read_command(1);
            break;
        }
    }
}
