// The game record: the starting position, the half-moves with the results of the searches that
// chose them, the PGN tags, and the current position of the game.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/boarddata.h"
#include "board/types.h"
#include "search/search.h"

// The per-ply arrays hold 600 half-moves (index 1..600), but a search writes the keys of its line
// after the game's own into key_history: the record holds as many half-moves as leave room for
// the deepest line. A longer game goes on from a later start (Tgame::restart_record).
constexpr int GAME_RECORD_SIZE = 601;
constexpr int MAX_GAME_PLY     = KEY_HISTORY_SIZE - MAX_PLY;
static_assert(MAX_GAME_PLY < GAME_RECORD_SIZE);

// Half-moves a restarted record keeps: every position since the last capture or pawn move (all
// that the repetition rule can meet again), and never fewer than the fifty-move rule's reach,
// which also covers the scores the game flow looks back on; at most what still frees room.
constexpr int KEPT_AT_RESTART_FEWEST = 100;
constexpr int KEPT_AT_RESTART_MOST   = MAX_GAME_PLY - KEPT_AT_RESTART_FEWEST;
// The keys of the game's first positions outlive a restart: the book's statistics after the game
// follow the engine's moves from the start.
constexpr int OPENING_KEYS = KEPT_AT_RESTART_FEWEST + 1;
static_assert(OPENING_KEYS <= MAX_GAME_PLY - KEPT_AT_RESTART_MOST + 1);

// How a half-move came about.
enum Torigin : int {
    ORIGIN_BOOK           = 0,
    ORIGIN_ENTERED        = 1, // typed by the opponent, or the move pondered on
    ORIGIN_SEARCH         = 2,
    ORIGIN_SEARCH_IN_BOOK = 3, // searched in a position the book knows without giving a move
    ORIGIN_NONE           = 4,
};

enum Ttag : int { TAG_EVENT, TAG_SITE, TAG_DATE, TAG_ROUND, TAG_WHITE, TAG_BLACK, TAG_RESULT, NB_TAGS };

class Tgame {
  public:
    int         origins[GAME_RECORD_SIZE];
    std::string start_fen;
    Move        moves[GAME_RECORD_SIZE];
    Tboarddata  root{}; // the current position of the game, the one typed moves are judged against
    int         game_ply = 0;
    int32_t     scores[GAME_RECORD_SIZE]; // from the mover's view; SCORE_NOT_COMPUTED when none
    int32_t     bounds[GAME_RECORD_SIZE];
    double      times[GAME_RECORD_SIZE]; // seconds of the last iteration
    int32_t     depths[GAME_RECORD_SIZE];
    uint16_t    book_marks[GAME_RECORD_SIZE];
    Color       start_side = WHITE;
    std::string tags[NB_TAGS];
    int         start_clock   = 0;            // half-move clock of start_fen's position
    int         plies_dropped = 0;            // half-moves played before start_fen, once the record restarted
    uint64_t    opening_keys[OPENING_KEYS]{}; // the first keys of the game, once restarted

    Tgame();

    // Counters, ply and the tags of a new game (White and Black are kept); no position change.
    void reset_game();
    // A new game from the FEN; 0 when the position cannot be set up.
    int set_start_position(const char* fen);
    // The position after the first n half-moves, rebuilt from the start; 0 on failure.
    int replay_to(int n);
    int undo_last_move() { return replay_to(game_ply - 1); }
    // Makes the move on the current position and records it, restarting a full record first;
    // 0 (nothing done) for no move.
    int  add_move(Move move, int origin);
    bool is_full() const { return game_ply >= MAX_GAME_PLY; }
    // Half-moves of the whole game, those before a restart included: what move numbers count.
    int  played_plies() const { return plies_dropped + game_ply; }
    bool restarted() const { return plies_dropped > 0; }
    // The keys of the game's positions from its real start (index 0) and how many follow it.
    const uint64_t* keys_from_start(int& last_index) const;
    // Whether the move is in the legal list of the current position.
    bool is_legal(Move move);

    // What the search just found, for the coming half-move (index game_ply + 1): called right
    // after a search in the game, while the board still stands where it started.
    void store_search_result();

  private:
    void make_on_root(Move move);
    // Starts the record again from a position near its end, with the half-moves since.
    void restart_record();
};

extern Tgame game;

// Sets the game up from a FEN and coordinate moves, all or nothing: on any fault the game stays as
// it was and `error` says what was wrong. The game's half-moves count from the FEN.
bool set_up_game(const std::string& fen, const std::vector<std::string>& moves, std::string& error);
