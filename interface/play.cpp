// The game loop: the outer loop sets the position up again and looks for the end of the game,
// the inner loop lets the engine move, analyse or ponder until something changes the game.
#include "interface/play.h"

#include <cstdlib>

#include "base/config.h"
#include "base/console.h"
#include "board/board.h"
#include "board/boarddata.h"
#include "board/notation.h"
#include "book/book.h"
#include "interface/commands.h"
#include "interface/game.h"
#include "interface/xboard_v2.h"
#include "platform/platform.h"
#include "search/draws.h"
#include "search/search.h"

namespace {

// Ctrl-C at the console stops the search as a command would (the code then does nothing
// more); outside a search there is nothing to stop and the pending command is left alone.
void on_interrupt(int) {
    if (config.searching) {
        search.abort_flag   = 1;
        search.abort_reason = CMD_INTERRUPT;
    }
    platform::set_signal_handler(platform::SIGNAL_INTERRUPT, on_interrupt);
}

// The interface announces itself with "xboard" after the start; from then on its interrupts
// (sent before many commands) must neither kill the engine nor stop a search.
void follow_xboard_mode() {
    static int interrupts_ignored = 0;
    if (config.xboard_mode && !interrupts_ignored) {
        platform::ignore_signal(platform::SIGNAL_INTERRUPT);
        interrupts_ignored = 1;
    }
}

} // namespace

int& pending_code() { return search.abort_reason; }

Tplay::Tplay() { reset_state(); }

void Tplay::reset_state() {
    config.quit           = 0;
    config.random_on      = 0;
    config.beep_on        = 0;
    config.force_mode     = 1;
    config.post_on        = 0;
    config.hard_on        = 0;
    config.engine_to_move = 0;
    config.idle           = 0;
    config.time_left      = -1;
    config.otim_left      = -1;
    if (!config.fritz_mode) {
        config.level_moves     = -1;
        config.level_minutes   = -1;
        config.level_increment = -1;
    }
    for (int& origin : game.origins)
        origin = ORIGIN_NONE;
    // The input already read is kept: an interface sends "new" together with what follows it.
    config.computer_white = 0;
    config.computer_black = 1;
}

void Tplay::run() {
    platform::set_signal_handler(platform::SIGNAL_INTERRUPT, on_interrupt);
    follow_xboard_mode();

    reset_state();
    game.set_start_position(STANDARD_START_FEN);
    config.force_mode = 0;
    config.in_game    = 1;
    console.print("\n");

    while (!config.quit) {
        follow_xboard_mode();
        if (config.idle) {
            pending_code() = read_command(1);
            execute();
            continue;
        }
        game.replay_to(game.game_ply);
        show_position();
        detect_game_end();
        config.restart = 0;
        refresh_entry_board();

        while (!config.restart) {
            follow_xboard_mode();
            const Color side = game.root.side_to_move();
            const int   ours = side == WHITE ? config.computer_white : config.computer_black;
            if (ours && !config.force_mode) {
                config.engine_to_move = 1;
                engine_turn();
            } else {
                config.engine_to_move = 0;
                if (config.analyze_mode)
                    engine_turn();
                else
                    ponder();
            }
        }
    }
    exit(0);
}

void Tplay::show_position() {
    if (!config.xboard_mode) {
        console.print("%s\n", console.program_id.c_str());
        console.print("Brelok, a chess engine for the xboard protocol and the console\n");
        console.print("Releases and sources: see the Brelok project's home page\n");
        const int played = game.played_plies();
        console.print("\nMove #%d, %s\n", (played + 2) / 2,
                      played % 2 == 0 ? "White to move" : "Black to move");
        print_board();
        game.root.print_fen();
    } else if (!config.fritz_mode) {
        game.root.print_fen();
    }
}

void Tplay::detect_game_end() {
    Tboarddata& root = game.root;
    // The repetition test looks back into the game only for a game search.
    config.in_game  = 1;
    board_state.ply = 0;
    bool over       = true;
    if (check_repetition(root)) {
        console.print("1/2-1/2 {Draw}\n");
    } else if (root.in_check() && root.gen_legal() != GEN_MOVES) {
        if (root.gen_legal() == GEN_CHECKMATE)
            console.print(root.side_to_move() == WHITE ? "0-1 {Black mates}\n" : "1-0 {White mates}\n");
        else
            console.report_error("Une erreur s'est produite dans search !");
    } else if (root.halfmove_clock >= 100) {
        root.is_fifty_move_draw();
        console.print("1/2-1/2 {Draw}\n");
    } else {
        over = false;
    }
    if (root.gen_legal() == GEN_STALEMATE) {
        console.print("1/2-1/2 {Stalemate}\n");
        over = true;
    }
    if (over)
        config.force_mode = 1;
}

void Tplay::refresh_entry_board() {
    for (int square = 0; square < 64; ++square)
        config.entry_board[square] = board_state.board_type[square];
    config.entry_side = game.root.side_to_move();
}

void Tplay::print_move_played() {
    const std::string text = coord_text(game.moves[game.game_ply], ~game.root.side_to_move());
    if (xboard_protocol >= 2)
        console.print("move %s\n", text.c_str());
    else
        console.print("%d. ... %s\n", (game.played_plies() + 1) / 2, text.c_str());
    answer_held_pings();
}

void Tplay::engine_turn() {
    int       origin = ORIGIN_SEARCH;
    const int ply    = game.game_ply;
    if (config.book_on && !config.analyze_mode && config.ENABLE_BOOK
        && (ply <= 2 || game.origins[ply - 1] != ORIGIN_SEARCH)) {
        int        found = 0;
        const Move move  = book_move(game.root, game.played_plies(), found);
        if (move && game.add_move(move, ORIGIN_BOOK)) {
            print_move_played();
            config.restart = 1;
            return;
        }
        if (found)
            origin = ORIGIN_SEARCH_IN_BOOK;
    }
    if (config.fritz_mode)
        console.print("\n%s\n", game.root.get_fen().c_str());
    const Move best = search.think(game.root, 1, 0, 0, time_budget(), 0, nullptr, 0);
    game.store_search_result();
    after_search(best, origin);
}
