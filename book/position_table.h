// The positions of a batch of games in memory, counted per result: 65536 buckets by the top 16
// bits of the key, each a list kept in key order, so that writing the buckets in turn gives a
// sorted book.
#pragma once

#include <cstdint>
#include <vector>

#include "book/book_game.h"
#include "book/book_record.h"

constexpr const char* ENGINE_PLAYER_NAME = "brelok";

class Tposition_table {
  public:
    Tposition_table();

    void clear();
    // Adds the positions 0 to min(limit, half-moves) of the game with their marks and counts the
    // game's result in them. 0 (nothing added) when the result is not 1-0, 0-1 or 1/2-1/2.
    int add_game(const Tbook_game& game, int limit);
    // Writes the positions as a book and empties the table; 0 when the file cannot be written.
    // A scratch book (a step of a longer build) is not forced to the disk.
    int write(const char* file_name, bool scratch = false);

    size_t size() const { return nodes.size(); }

  private:
    static constexpr int NB_BUCKETS = 65536;
    static constexpr int NO_NODE    = -1;

    struct Tnode {
        Tbook_record record;
        int32_t      next;
    };
    // The record of the key, made (with no games) when the table does not hold it yet.
    Tbook_record& record_of(uint64_t key);

    std::vector<int32_t> heads;
    std::vector<Tnode>   nodes; // all lists live here: one allocation for the batch
};
