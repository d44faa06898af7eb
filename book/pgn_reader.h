// Games out of a PGN file, one at a time. A game is read only when its first seven tags come in
// the order Event, Site, Date, Round, White, Black, Result, one per line; its move text starts
// after the first blank line.
#pragma once

#include <cstdio>
#include <string>

#include "book/book_game.h"

class Tpgn_reader {
  public:
    Tpgn_reader() = default;
    ~Tpgn_reader() { close(); }
    Tpgn_reader(const Tpgn_reader&)            = delete;
    Tpgn_reader& operator=(const Tpgn_reader&) = delete;

    int  open(const char* file_name); // 1 when the file could be opened
    void close();

    // Counts the games (their "[Event " lines), printing the count every 1000 games; the next
    // game read is then the first one again.
    int count_games();
    // Reads the game after the one read last into `game`; 1 when a game with at least one
    // half-move was read. Each call moves on by one game, whether it could be read or not; 0 at
    // the end of the file too.
    int next_game(Tbook_game& game);

  private:
    void go_to(const fpos_t* position); // nullptr: the start of the file
    bool read_line();
    bool read_tag(int tag, Tbook_game& game);
    int  read_game(Tbook_game& game);

    FILE*       file = nullptr;
    fpos_t      game_start{};
    bool        started = false;
    std::string line;
    std::string carry;                 // the rest of a line handed out in pieces
    bool        continuing    = false; // the next piece continues the same line
    bool        at_line_start = true;  // the piece read last starts its line
};
