// A line of position records for the search-part tests: a FEN root and moves made by name, and
// results stored in the transposition table on the way.
#pragma once

#include <gtest/gtest.h>

#include "board/boarddata.h"
#include "search/hash_table.h"

namespace search_test {

inline Square sq(const char* name) { return make_square(name[0] - 'a', name[1] - '1'); }

// The move of the current record's legal list that goes from -> to (a promotion of the given
// kind when several share the squares); 0 when there is none.
inline Move legal_move(Tboarddata& record, const char* from, const char* to, int kind = 0) {
    record.gen_legal();
    for (int i = 1; i <= record.nb_moves; ++i) {
        const Move m = record.moves[i];
        if (move_from(m) == sq(from) && move_to(m) == sq(to) && (kind == 0 || move_kind(m) == kind))
            return m;
    }
    return 0;
}

// Stores a searched result of the record's position in the table, with `best` as its move.
inline void store_here(Tboarddata& node, int depth, uint8_t flags, int score, Move best) {
    node.depth        = depth;
    node.eval_score   = score;
    node.eval_flags   = flags;
    node.second_flags = 0;
    hash_tables.fill(node, best);
    ASSERT_EQ(hash_tables.store(), 1);
}

class Tline {
  public:
    static constexpr int RECORDS = 32;
    Tboarddata           records[RECORDS];
    int                  ply = 0;

    bool setup(const char* fen, int game_ply = 0) {
        unwind();
        board_state.game_ply = game_ply;
        return records[0].set_fen(fen) == 1;
    }
    Tboarddata& node() { return records[ply]; }

    // Makes a move given by its squares; the new record's list is empty.
    Move play(const char* from, const char* to, int kind = 0) {
        const Move m = legal_move(records[ply], from, to, kind);
        EXPECT_NE(m, 0u) << from << to;
        if (m)
            play(m);
        return m;
    }
    void play(Move m) {
        records[ply + 1].make_child(m, &records[ply], true);
        ++ply;
    }
    void unwind() {
        for (; ply > 0; --ply)
            unmake(records[ply].move, &records[ply - 1]);
    }
    ~Tline() { unwind(); }
};

} // namespace search_test
