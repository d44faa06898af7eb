// The commands the game loop carries out: moves typed by the opponent, go, undo, remove, new,
// force, edit, analyze, result, and the console's test, benchmark and book-building commands.
#include <cmath>
#include <cstdlib>
#include <string>

#include "base/config.h"
#include "base/console.h"
#include "board/boarddata.h"
#include "board/notation.h"
#include "book/book.h"
#include "book/learning.h"
#include "interface/commands.h"
#include "interface/game.h"
#include "interface/play.h"
#include "interface/xboard_v2.h"
#include "platform/platform.h"
#include "search/search.h"
#include "tools/tools.h"

namespace {

constexpr int         TABLE_FROM_PLY  = 7; // shorter games teach the book nothing
constexpr const char* FILTER_TEMP     = BOOK_BATCH_FILE;
constexpr double      LONGEST_SECONDS = 1e6;

std::string word(int index) { return index < console.nb_words ? console.words[index] : ""; }

int int_word(int index) {
    const long value = strtol(word(index).c_str(), nullptr, 10);
    return value > 1000000000L ? 1000000000 : value < -1000000000L ? -1000000000 : int(value);
}

// Seconds per position of "test": anything but a sensible positive number means no limit.
double seconds_word(int index) {
    const double value = strtod(word(index).c_str(), nullptr);
    if (!(value > 0))
        return 0;
    return value > LONGEST_SECONDS ? LONGEST_SECONDS : value;
}

} // namespace

void Tplay::execute() {
    switch (pending_code()) {
    case CMD_MOVE: play_entered_move(); break;
    case CMD_GO: {
        const bool white                         = game.root.side_to_move() == WHITE;
        config.computer_white                    = white ? 1 : 0;
        config.computer_black                    = white ? 0 : 1;
        game.tags[white ? TAG_WHITE : TAG_BLACK] = console.program_id;
        game.tags[white ? TAG_BLACK : TAG_WHITE] = config.opponent_name;
        config.force_mode                        = 0;
        break;
    }
    case CMD_UNDO: undo(); break;
    case CMD_EDIT: edit(); break;
    case CMD_REMOVE: remove(); break;
    case CMD_NEW: new_game(); break;
    case CMD_FORCE:
        config.force_mode = 1;
        config.restart    = 1;
        break;
    case CMD_NONE:
    case CMD_MOVE_NOW: config.restart = 0; break;
    case CMD_TEST:
    case CMD_SPEED:
    case CMD_FUSION:
    case CMD_MAKEBOOK:
    case CMD_FILTRE:
    case CMD_FILTREBIN:
    case CMD_BADEVAL:
    case CMD_STAT: run_tool(); break;
    case CMD_RESULT: result(); break;
    case CMD_ANALYZE:
        if (!config.analyze_mode) {
            console.print("Now In Analyze Mode\n");
            config.analyze_mode = 1;
        }
        break;
    default: break;
    }
}

void Tplay::play_entered_move() {
    const Move move = search.entered_move;
    // A move typed while pondering was taken on trust: it is judged now, on the real position.
    if (!game.is_legal(move)) {
        console.print("Illegal move\n");
        config.restart = 0;
        return;
    }
    game.add_move(move, ORIGIN_ENTERED);
    config.restart = 1;
}

// Takes back one half-move (none at the start of the game) and restarts the turn.
void Tplay::undo() {
    if (game.game_ply > 0)
        game.undo_last_move();
    config.restart = 1;
}

void Tplay::remove() {
    if (game.game_ply < 2) {
        console.print("Illegal move: remove\n");
        config.restart = 0;
        return;
    }
    if (!game.replay_to(game.game_ply - 1) || !game.replay_to(game.game_ply - 1))
        console.print("Pb ds game.undo_last_move lors d'un remove \n");
    config.restart = 1;
}

void Tplay::edit() {
    // "setboard" comes here too: the position is given whole.
    if (const std::string fen = take_setboard_fen(); !fen.empty()) {
        set_up_board(fen);
        config.restart = 1;
        return;
    }
    console.print("Now in edit mode\n");
    config.edit_mode      = 1;
    const std::string fen = edit_position(game.root.side_to_move(), board_state.board);
    config.restart        = 1;
    if (!game.set_start_position(fen.c_str())) {
        console.print("Can't Load the following position %s\n", fen.c_str());
        game.set_start_position(STANDARD_START_FEN);
    }
    config.edit_mode = 0;
}

void Tplay::new_game() {
    config.opponent_name.clear();
    game.tags[TAG_WHITE].clear();
    game.tags[TAG_BLACK].clear();
    search.ratings[0] = search.ratings[1] = 0;
    config.edit_mode                      = 0;
    reset_state();
    if (!config.fritz_mode && !config.analyze_mode) {
        update_learning();
        update_style_book();
    }
    game.set_start_position(STANDARD_START_FEN);
    search.predicted_reply = 0;
    config.force_mode      = 0;
    config.restart         = 1;
}

void Tplay::result() {
    config.idle               = 1;
    config.restart            = 1;
    const std::string text    = word(1);
    int               outcome = -1;
    if (text.find("1/2-1/2") != std::string::npos)
        outcome = 2;
    if (text.find("1-0") != std::string::npos)
        outcome = 0;
    if (text.find("0-1") != std::string::npos)
        outcome = 1;
    if (outcome < 0) {
        console.print(">Illegal move (%s)\n", text.c_str());
        return;
    }
    static const char* const RESULT_TAGS[3] = {"1-0", "0-1", "1/2-1/2"};
    game.tags[TAG_RESULT]                   = RESULT_TAGS[outcome];
    if (game.played_plies() >= TABLE_FROM_PLY) {
        print_game_table();
        int             last = 0;
        const uint64_t* keys = game.keys_from_start(last);
        update_book_after_game(outcome, keys, last);
    }
}

void Tplay::print_game_table() {
    console.print(">'%s' - '%s'\n\n", game.tags[TAG_WHITE].c_str(), game.tags[TAG_BLACK].c_str());
    console.print(">        move   score  depth  time            move   score  depth  time\n");
    // Half-moves numbered from the game's start, those before a restart of the record included.
    for (int i = 1; i <= game.game_ply; ++i) {
        const int number = game.plies_dropped + i;
        if (number % 2 == 1)
            console.print(">\n%3d.", (number + 1) / 2);
        else if (i == 1)
            console.print(">\n%3d.%29s        ", number / 2, ""); // its first half-move is gone
        else
            console.print(">        ");
        const auto        mover = Color(game.start_side ^ ((i - 1) & 1));
        const std::string text  = coord_text(game.moves[i], mover);
        const int         score = game.scores[i];
        char              score_text[16];
        snprintf(score_text, sizeof score_text, "%d", std::abs(score) <= 32000 ? score : 0);
        console.print(">%9s%7s%7d%6.0lf", text.c_str(), score_text, game.depths[i], game.times[i]);
    }
    console.print(">\n");
}

void Tplay::run_tool() {
    const int         code = pending_code();
    const int         nb   = console.nb_words;
    const std::string a = word(1), b = word(2), c = word(3);
    switch (code) {
    case CMD_TEST:
        if (nb >= 3)
            run_epd_test(a.c_str(), 0, seconds_word(2), nb == 3 ? 0 : int_word(3));
        break;
    case CMD_SPEED: speed_test(60); break;
    case CMD_BADEVAL: check_evaluation(); break;
    case CMD_STAT: speed_stat(9); break;
    case CMD_FUSION:
        if (nb == 4)
            merge_books(a.c_str(), b.c_str(), c.c_str());
        break;
    case CMD_MAKEBOOK:
        if (nb == 3)
            make_book(a.c_str(), b.c_str());
        break;
    case CMD_FILTRE:
        // The filtered book takes the place of its source in one step.
        if (nb == 3 && filter_book(a.c_str(), FILTER_TEMP, int_word(2))
            && !platform::replace_file(FILTER_TEMP, a.c_str()))
            platform::remove_file(FILTER_TEMP);
        break;
    case CMD_FILTREBIN:
        if (nb == 4)
            filter_book(a.c_str(), b.c_str(), int_word(3));
        break;
    default: break;
    }
    // The tools search positions of their own on the one board: the game is set up again.
    config.restart = 1;
}
