// The position record: one per ply, filled in place from its parent by make_child and chained
// back to the root through `parent`. A record alone is not a position: the board state holds the
// position of the current record.
#pragma once

#include <string>

#include "board/board.h"
#include "board/types.h"

// Bits of `castle` above the rights: per-node search flags.
constexpr unsigned CASTLE_COMBINATION_FLAG = 1u << 14;
constexpr unsigned CASTLE_EXTENDED_FLAG    = 1u << 17;

// Bits of `eval_flags`: the two low bits are a bound kind.
enum BoundKind : uint8_t { BOUND_UNKNOWN = 0, BOUND_EXACT = 1, BOUND_UPPER = 2, BOUND_LOWER = 3 };
constexpr uint8_t BOUND_MASK          = 3;
constexpr uint8_t FLAG_DRAW_RULE      = 1 << 3;
constexpr uint8_t FLAG_TERMINAL       = 1 << 4;
constexpr uint8_t FLAG_FROM_HASHTABLE = 1 << 5;
constexpr uint8_t FLAG_FROM_TABLEBASE = 1 << 6;
constexpr uint8_t FLAG_SCALED         = 1 << 7;

// Outcome of generating a legal list.
enum GenResult : int { GEN_MOVES = 0, GEN_CHECKMATE = 1, GEN_STALEMATE = 2 };

// The shared move stack: each record's list starts two entries past its parent's last entry.
// 66 plies of at most 218 moves plus their spare slots fit, so the bound needs no check.
constexpr int MOVE_STACK_SIZE = 16384;
extern Move   move_stack[MOVE_STACK_SIZE];

// Serial number handed to each record made, and the node counter of the search statistics.
extern int32_t  node_serial;
extern uint64_t node_count;

struct Tboarddata;
// Probes the transposition table for the node (search/hash_probe.cpp).
int put_HT_evaluation(Tboarddata& node, int alpha, int beta);

struct Tboarddata {
    int32_t     base_score;
    int32_t     static_score;
    int32_t     ep_file;
    int32_t     depth;
    int32_t     nb_checkers;
    Move        move;
    Tboarddata* parent;
    int32_t     node_id;
    int32_t     side;
    uint32_t    castle;
    int32_t     nb_moves;
    Move*       moves; // entries 1..nb_moves
    int32_t     phase;
    int32_t     halfmove_clock;
    Move        hash_move;
    int32_t     eval_score;
    int32_t     second_score;
    uint8_t     eval_flags;
    uint8_t     second_flags;
    int8_t      checker_sq[2];
    int32_t     captures_done;
    int32_t     legal_done;
    int32_t     all_done;

    Color side_to_move() const { return Color(side); }
    bool  in_check() const { return nb_checkers > 0; }

    // Prepares the record for reuse (keeps a full list when all moves were generated).
    void reset() {
        if (!all_done)
            nb_moves = 0;
        captures_done = 0;
        eval_flags    = 0;
        second_flags  = 0;
        castle &= CASTLE_RIGHTS_MASK;
        hash_move    = 0;
        static_score = SCORE_NOT_COMPUTED;
    }

    void add_checker(Square s) {
        if (nb_checkers == 0) {
            checker_sq[0] = int8_t(s);
            nb_checkers   = 1;
        } else {
            checker_sq[1] = int8_t(s);
            nb_checkers   = 2;
        }
    }

    void set_bound(uint8_t kind) { eval_flags = uint8_t((eval_flags & ~BOUND_MASK) | kind); }

    // Sets up the board state and this record from FEN; 1 on success, 0 on any error.
    int set_fen(const char* text);

    // Position record of the game phase rule (0 opening, 1 middle game, 2 endgame); prev is the
    // parent's phase, or 3 when there is none.
    int compute_phase(int prev) const;

    // 1 when the transposition table decides the node; leaves the stored best move in hash_move.
    int put_HT_evaluation(int alpha, int beta) { return ::put_HT_evaluation(*this, alpha, beta); }

    // Making and unmaking moves.
    void make_child(Move m, Tboarddata* from, bool with_depth);
    void update_base_score();
    int  is_fifty_move_draw();

    // Move lists (generate.cpp, legality.cpp).
    int  gen_all();
    int  gen_legal();
    void gen_captures();
    void filter_legal();
    void filter_evasions();
    int  back_rank_threat() const;

    // Notation.
    std::string get_fen() const;
    void        print_fen() const;
    void        append_epd(const char* file_name) const;
    void        print_line(bool show_depth, bool end_line) const;

  private:
    int empty_list_outcome();
};

// Brings the board state back to the parent's position.
void unmake(Move m, Tboarddata* parent);

int  base_score_from_scratch(int phase, Color side_to_move);
void write_bug_epd();

// Writes the draw score of the record's side to move into its eval_score (the search's
// contempt rules).
void draw_score(Tboarddata& record);

extern const char* const STANDARD_START_FEN;
