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
// after the game's own into key_history: play stops where the deepest line still fits.
constexpr int GAME_RECORD_SIZE = 601;
constexpr int MAX_GAME_PLY     = KEY_HISTORY_SIZE - MAX_PLY;
static_assert(MAX_GAME_PLY < GAME_RECORD_SIZE);

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

    Tgame();

    // Counters, ply and the tags of a new game (White and Black are kept); no position change.
    void reset_game();
    // A new game from the FEN; 0 when the position cannot be set up.
    int set_start_position(const char* fen);
    // The position after the first n half-moves, rebuilt from the start; 0 on failure.
    int replay_to(int n);
    int undo_last_move() { return replay_to(game_ply - 1); }
    // Makes the move on the current position and records it; 0 (nothing done) once the game is
    // as long as it may grow.
    int  add_move(Move move, int origin);
    bool is_full() const { return game_ply >= MAX_GAME_PLY; }
    // Whether the move is in the legal list of the current position.
    bool is_legal(Move move);

    // What the search just found, for the coming half-move (index game_ply + 1): called right
    // after a search in the game, while the board still stands where it started.
    void store_search_result();

  private:
    void make_on_root(Move move);
};

extern Tgame game;

// Sets the game up from a FEN and coordinate moves, all or nothing: on any fault the game stays as
// it was and `error` says what was wrong. The game's half-moves count from the FEN.
bool set_up_game(const std::string& fen, const std::vector<std::string>& moves, std::string& error);
