// The book record: 24 bytes on disk, little-endian whatever the machine, no header. Books hold
// them sorted by position key (unsigned, high half first, which is the order of the 64-bit key).
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int      BOOK_RECORD_SIZE = 24;
constexpr uint16_t BOOK_COUNT_LIMIT = 65500; // counters saturate here

// The six counters: results of the source games, then of the engine's own games.
enum Tbook_counter : int {
    SOURCE_WHITE_WINS,
    SOURCE_BLACK_WINS,
    SOURCE_DRAWS,
    ENGINE_WHITE_WINS,
    ENGINE_BLACK_WINS,
    ENGINE_DRAWS,
    NB_BOOK_COUNTERS
};

// Result codes of a game, in the order of the counters.
enum Tgame_result : int { RESULT_WHITE_WINS = 0, RESULT_BLACK_WINS = 1, RESULT_DRAW = 2 };

// Annotation marks of the move that leads to a position.
enum Tbook_mark : int16_t {
    MARK_NONE        = 0,
    MARK_MISTAKE     = 1,  // ?
    MARK_BLUNDER     = 2,  // ??
    MARK_GOOD        = 4,  // !
    MARK_BRILLIANT   = 8,  // !!
    MARK_DUBIOUS     = 16, // ?!
    MARK_INTERESTING = 32, // !?
};

struct Tbook_record {
    uint64_t key      = 0;
    int16_t  mark     = 0;
    int16_t  reserved = 0;
    uint16_t counts[NB_BOOK_COUNTERS]{};

    // Games of the source collections, and the engine's own.
    double source_games() const { return double(counts[0]) + counts[1] + counts[2]; }
    double engine_games() const { return double(counts[3]) + counts[4] + counts[5]; }
};

// Adds one game to a counter unless it would pass the limit.
inline void count_game(uint16_t& counter) {
    if (counter + 1 <= BOOK_COUNT_LIMIT)
        ++counter;
}

// The sum of two counters, or the first alone when the sum would pass the limit.
inline uint16_t add_counts(uint16_t a, uint16_t b) {
    return uint16_t(int(a) + b <= BOOK_COUNT_LIMIT ? a + b : a);
}

void         encode_record(const Tbook_record& record, unsigned char bytes[BOOK_RECORD_SIZE]);
Tbook_record decode_record(const unsigned char bytes[BOOK_RECORD_SIZE]);

// 1 when a whole record was read or written.
int read_record(FILE* file, Tbook_record& record);
int write_record(FILE* file, const Tbook_record& record);

// Size of an open file in bytes, -1 when it cannot be told. Moves the file position.
long long file_size(FILE* file);
