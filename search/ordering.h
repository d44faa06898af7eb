// Move ordering: the lazy picker of full-width nodes, the capture ordering of the quiescence
// search with its static exchange evaluation, and the killer, countermove and history tables
// that the search fills after every node.
#pragma once

#include <cstdint>

#include "board/types.h"

struct Tboarddata;

// Piece values of the exchange rules, by piece type (the king is worth more than everything).
constexpr int EXCHANGE_VALUE[7] = {0, 100, 325, 325, 500, 975, 10000};
constexpr int exchange_value(int type) { return EXCHANGE_VALUE[type]; }

// ---- Picker stages ---------------------------------------------------------------------------
constexpr int STAGE_START           = 0;
constexpr int STAGE_HASH_MOVE       = 1;
constexpr int STAGE_GOOD_CAPTURES   = 3;
constexpr int STAGE_KILLERS         = 4;
constexpr int STAGE_COUNTERMOVE     = 5;
constexpr int STAGE_CAPTURE_KILLERS = 6;
constexpr int STAGE_HISTORY         = 7;
constexpr int STAGE_DONE            = 9; // the rest in list order; also for lists needing no order

// Places at least one more move of the node's list (positions ordered + 1 on) when any remains
// and returns the stage reached. `ordered` is how many positions are final; it becomes `count`
// once the rest is to be taken in list order.
int pick_next_moves(Tboarddata& node, int& ordered, int stage, int count);

// Scores list[0..n-1] (simple gain, or the exchange value when the gain falls short of the
// threshold, -1 when even the optimistic gain does), sorts them best first (stable) and returns
// how many lead with a score of 0 or more.
int order_captures(Move* list, int n, int threshold);

// Moves the captures and promotions of list[0..n-1] to the front, in their order; returns their
// number.
int keep_captures(Move* list, int n);

// Static exchange value of the capture from -> to for the side that moves, in centipawns.
int see(Square from, Square to);

// Position (1..nb_moves) of the move in the node's list, 0 when absent.
int find_move(const Tboarddata& node, Move move);

// ---- Tables ----------------------------------------------------------------------------------
constexpr int KILLER_PLIES = 601; // ply slots 0..600

struct Tkiller_slot {
    Move    killer[2];
    int32_t hits[2];
    int32_t count; // killers stored, 0..2
};
struct Tkiller_table {
    Tkiller_slot slot[KILLER_PLIES];
};

// Best moves that captured nothing, and best moves that captured.
extern Tkiller_table quiet_killers;
extern Tkiller_table capture_killers;
// The best reply found to a move, by that move's [from][to].
extern Move countermove_table[64][64];
// Best-move counters by [side to move][from][to].
extern int32_t history_table[2][64][64];

// Records a best move at a ply (outside 0..600 it is ignored).
void update_killers(Tkiller_table& table, Move move, int ply);
// After a node: the best move as the countermove of the move that produced the node (not at the
// root, not after a null move or a castling, which carry no squares)...
void record_countermove(const Tboarddata& node, Move best_move);
// ... and the history credit of the best move (moves without squares get none).
void add_history(Color side, Move best_move, int amount);
// History value of a move for a side, 0 for moves without squares.
int history_of(Color side, Move move);

// At the start of every search.
void clear_ordering_tables();
