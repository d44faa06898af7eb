// The game-flow controller: plays the game kept in the game record, ponders on the opponent's
// time, runs the analyze and edit modes and carries out the commands of the command reader. Its
// state lives in the settings object (modes, clocks, levels) and in the search's abort reason,
// the pending command code.
#pragma once

#include "board/types.h"
#include "search/search.h"

class Tplay {
  public:
    Tplay();

    // The game loop; ends only through "quit" or the end of input.
    [[noreturn]] void run();

    // The time of the coming move of the engine (a target of 0: no limit, in analyze mode);
    // moves_given, when above 0, is the number of moves to play in the time left (UCI's
    // movestogo).
    static Ttime_budget time_budget(int moves_given = 0);

    // Carries out the pending command code.
    void execute();

  private:
    void reset_state();
    void show_position();
    void detect_game_end();
    void engine_turn();
    void after_search(Move best, int origin);
    void ponder();
    bool may_ponder();
    void analyze_step(Move best);
    void edit();
    void new_game();
    void result();
    void print_game_table();
    void undo();
    void remove();
    void play_entered_move();
    void run_tool();
    void print_move_played();
    void refresh_entry_board();
    void wait_for_command();
};

// A fixed time per move that the search must not overrun (xboard's "st", UCI's movetime).
Ttime_budget fixed_time_budget(double seconds);

// The pending command code: the abort reason of the search.
int& pending_code();
