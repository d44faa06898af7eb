// The search context: the records of the current line, the root move list, the clock and the
// abort state. One object for the whole run; think() is the single entry of the search.
#pragma once

#include <cstdint>

#include "board/boarddata.h"
#include "board/types.h"

constexpr int MAX_PLY        = 66; // records of the current line, ply 0 to 65
constexpr int MAX_ITERATIONS = 66; // per-iteration arrays, indexed by the depth 1..65
constexpr int MAX_ROOT_MOVES = 256;

// Abort reasons besides the command codes of the command reader.
constexpr int ABORT_NONE        = -1;
constexpr int ABORT_TIME        = -2;
constexpr int ABORT_DEPTH_LIMIT = -3;

// Ponder state of a ponder search.
constexpr int PONDER_NOTHING_YET = 0;
constexpr int PONDER_HIT         = 1;
constexpr int PONDER_MISS        = 2;

// What a search may spend: the target T of the stop rules (0: untimed) and, when not 0, the
// most it may take whatever its score does (without it a game search may run to twice T).
struct Ttime_budget {
    double target = 0;
    double limit  = 0;
    Ttime_budget(double seconds = 0, double most = 0) : target(seconds), limit(most) {}
};

struct Troot_move {
    Move    move;
    uint8_t flags;   // result flags from the root's view
    int32_t score;   // SCORE_NOT_COMPUTED while not scored
    int32_t depth;   // iteration depth of the score, 0 while not scored
    int32_t subtree; // records made while this move was searched
};

class Tsearch {
  public:
    Tboarddata records[MAX_PLY];

    Troot_move root_moves[MAX_ROOT_MOVES];
    int        nb_root_moves = 0;
    Move       excluded_moves[MAX_ROOT_MOVES];
    int        nb_excluded = 0;

    // Clock.
    double time_target    = 0; // T, seconds; 0 when untimed
    double time_limit     = 0; // the most the search may take; 0: twice T in a game
    double search_start   = 0; // when the clock of this search started
    double soft_deadline  = 0;
    double panic_deadline = 0;
    int    panic          = 0;

    // Pondering and input.
    int  pondering       = 0;
    int  ponder_state    = PONDER_NOTHING_YET;
    Move pondered_move   = 0;
    Move entered_move    = 0; // the move typed by the opponent (command code 0)
    Move predicted_reply = 0;
    int  ponder_searches = 0; // this game's ponder searches and the hits among them
    int  ponder_hits     = 0;

    int ratings[2] = {0, 0}; // from "rating": the engine's, then the opponent's

    // What the last search found: the score of its latest exact iteration (else the first
    // one's), that iteration's bound, and how long the last iteration took.
    int    final_score    = 0;
    int    final_bound    = 0;
    double final_duration = 0;

    int abort_flag   = 0;
    int abort_reason = ABORT_NONE; // the pending command code of the game loop

    int iteration_depth = 0;
    int depth_limit     = 0;
    int last_iteration  = 0;
    int root_moves_left = 0; // root moves not yet searched in this iteration

    // Per-iteration arrays, by iteration depth.
    double  iteration_start[MAX_ITERATIONS];
    double  iteration_end[MAX_ITERATIONS];
    double  last_change[MAX_ITERATIONS];
    Move    iteration_best[MAX_ITERATIONS];
    int32_t iteration_score[MAX_ITERATIONS];
    int32_t iteration_bound[MAX_ITERATIONS];
    int64_t iteration_nodes[MAX_ITERATIONS];

    int64_t node_counter = 0; // calls of search_node in the running iteration

    // Limits for the next think alone, for an interface that offers them; the think clears them
    // when it ends. A node budget over the whole search (0: none), a mate distance in moves that
    // ends the search once found (0: none), and the legal root moves to search (none listed: all).
    int64_t node_limit = 0;
    int     mate_limit = 0;
    Move    search_moves[MAX_ROOT_MOVES];
    int     nb_search_moves = 0;
    // What is left of the node budget for the running iteration: the poll compares it with the
    // node counter at every node, so a search without a budget pays one comparison.
    int64_t iteration_node_limit = INT64_MAX;

    Bitboard hanging[2]   = {0, 0}; // pieces of each side attacked and undefended at the root
    int      global_phase = 0;      // phase of the root position

    Move think(Tboarddata& root, int in_game, int pondering_search, int max_depth, Ttime_budget budget,
               int stable_limit, const Move* expected, int nb_expected);
    bool poll_search();
    // The deadlines of a budget whose clock runs from `start` (a game search may panic up to
    // twice its target, within the budget's limit).
    void set_deadlines(double start, const Ttime_budget& budget);

    void prepare_search(Tboarddata& root, double seconds);
    Move root_search(Tboarddata& root, int alpha, int beta);
    int  search_node(Tboarddata& node, int alpha, int beta);
    bool evaluate_position(Tboarddata& record);

    // Elapsed seconds since iteration 1 started (to now while searching).
    double      elapsed() const;
    int64_t     total_nodes() const;
    Troot_move* find_root_move(Move m);
    bool        searches_root_move(Move m) const;

  private:
    bool act_on_command(int code);
    // Whether the node's result goes into the transposition table: a whole search's result
    // below the quiescence depth, not an abort marker, and never once the search was stopped
    // (a partial result stored at its full depth would mislead every later search).
    bool may_store(const Tboarddata& node) const;
    void run_root_moves(Tboarddata& root, int& alpha, int beta, int& best, Move& result);
    void sort_root_moves();
    void compute_hanging_pieces();
};

extern Tsearch search;

// How the search reads the input while it runs: the game loop installs its command reader here
// at start-up. With wait 0 it answers CMD_NONE when no whole line can be had at once. Left
// empty (benchmarks, tools linked without the game loop), a search reads no input.
using Tinput_reader = int (*)(int wait);
extern Tinput_reader search_input_reader;

// How a ponder hit learns the budget of the clock as it is now (an interface sends the clocks
// just before the move): the game loop installs its budget here. Left empty, the budget the
// ponder search began with holds.
using Tbudget_source = Ttime_budget (*)();
extern Tbudget_source search_budget_source;

// How a search in a game adds the learned positions to the transposition table: the game loop
// installs the learning's loader here at start-up. Left empty, nothing is added.
using Tlearning_loader = int (*)();
extern Tlearning_loader search_learning_loader;

// One thinking line as figures, for an interface that shows the search in a protocol of its own.
struct Tthinking_line {
    int         depth;
    int         score;     // from the root side's view
    int         bound;     // BOUND_EXACT, BOUND_UPPER or BOUND_LOWER
    bool        fail_high; // a move beat the best so far: pv holds that move alone
    int64_t     nodes;
    double      seconds;
    const Move* pv;
    int         pv_length;
    Color       root_side;
};
// Installed by the interface: the end-of-iteration and fail-high lines go there instead of the
// console (the other thinking lines are then left out). Empty: the console's own lines.
using Tthinking_hook = void (*)(const Tthinking_line& line);
extern Tthinking_hook thinking_hook;

// The node's result: the best score when the best flags hold a bound kind, else the evaluation.
inline int result_score(const Tboarddata& node) {
    return (node.second_flags & BOUND_MASK) ? node.second_score : node.eval_score;
}
inline uint8_t result_flags(const Tboarddata& node) {
    return (node.second_flags & BOUND_MASK) ? node.second_flags : node.eval_flags;
}
