// b_learn.epd turned into transposition-table entries (b_learn.bin) at a new game, and those
// entries added to the table at the start of every search of a game.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "base/console.h"
#include "board/boarddata.h"
#include "book/book_game.h"
#include "book/learning.h"
#include "book/move_token.h"
#include "book/text_lines.h"
#include "platform/platform.h"
#include "search/hash_table.h"
#include "search/search.h"

namespace {

constexpr size_t  LONGEST_LINE  = 255;
constexpr int     FEWEST_PLIES  = 4; // shallower searches are not worth remembering
constexpr int     MOST_PLIES    = MAX_ITERATIONS - 1;
constexpr int     LARGEST_SCORE = -SCORE_MATED; // mates are never learned
constexpr uint8_t LEARNED_BOUND = 1;            // exact

void put32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
uint32_t get32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The number after `label` in the text, when there is one within [low, high].
bool number_after(const char* text, const char* label, long low, long high, int& value) {
    const char* at = strstr(text, label);
    if (!at)
        return false;
    at += strlen(label);
    char* end         = nullptr;
    errno             = 0;
    const long number = strtol(at, &end, 10);
    if (end == at || errno == ERANGE || number < low || number > high)
        return false;
    value = int(number);
    return true;
}

// Plays the word that follows `label` in the text on the game; false when there is none or it
// names no legal move.
bool play_word_after(const char* text, const char* label, Tbook_game& game) {
    const char* at = strstr(text, label);
    if (!at)
        return false;
    at += strlen(label);
    const std::string word(at, strcspn(at, " \t"));
    Move              move = 0;
    int               mark = 0;
    return read_move_token(game.position, word.c_str(), move, mark) == TOKEN_MOVE && game.play(move, mark);
}

// The position of an EPD line: its first four fields, as the game record would take them.
bool set_up_position(const std::string& line, Tbook_game& game) {
    std::string fields;
    size_t      at = 0;
    for (int field = 0; field < 4; ++field) {
        const size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string::npos)
            return false;
        at = line.find_first_of(" \t", start);
        fields += line.substr(start, at - start) + ' ';
    }
    return game.start(fields.c_str());
}

// The entry a b_learn.epd line teaches: the position after its "bm" move and the "id" answer,
// scored as the engine found it after them. False for a line that does not read as one.
bool learned_entry(const std::string& line, Tbook_game& game, unsigned char bytes[LEARNED_ENTRY_SIZE]) {
    const char* text  = line.c_str();
    int         depth = 0, score = 0;
    if (!set_up_position(line, game) || !play_word_after(text, "bm ", game)
        || !play_word_after(text, "id ", game)
        || !number_after(text, "depth:", FEWEST_PLIES, MOST_PLIES, depth)
        || !number_after(text, "->", -LARGEST_SCORE, LARGEST_SCORE, score))
        return false;
    encode_learned_entry(game.keys[game.nb_plies], score, ONE_PLY * (depth - 1), bytes);
    return true;
}

// b_learn.bin written beside the old one, which it replaces only once complete.
class Tlearned_file {
  public:
    ~Tlearned_file() { abandon(); }
    bool open() {
        if (!platform::file_is_writable(LEARN_BIN_NAME))
            return false;
        FILE* text_file = platform::create_temp_file_near(LEARN_BIN_NAME, temp_name);
        if (text_file)
            fclose(text_file);
        file = text_file ? fopen(temp_name.c_str(), "wb") : nullptr;
        if (!file)
            abandon();
        return file != nullptr;
    }
    void write(const unsigned char bytes[LEARNED_ENTRY_SIZE]) {
        failed = failed || fwrite(bytes, 1, LEARNED_ENTRY_SIZE, file) != LEARNED_ENTRY_SIZE;
    }
    bool commit() {
        const bool written = !failed && platform::sync_file(file) != 0;
        const bool closed  = fclose(file) == 0;
        file               = nullptr;
        if (!written || !closed || !platform::replace_file(temp_name.c_str(), LEARN_BIN_NAME))
            return false;
        temp_name.clear();
        return true;
    }
    void abandon() {
        if (file)
            fclose(file);
        file = nullptr;
        if (!temp_name.empty())
            platform::remove_file(temp_name.c_str());
        temp_name.clear();
    }

  private:
    FILE*       file = nullptr;
    std::string temp_name;
    bool        failed = false;
};

// Whether the file can be read and holds a byte at least.
bool holds_entries(const char* name) {
    FILE* file = fopen(name, "rb");
    if (!file)
        return false;
    const bool any = fgetc(file) != EOF;
    fclose(file);
    return any;
}

} // namespace

void encode_learned_entry(uint64_t key, int32_t score, int32_t depth,
                          unsigned char bytes[LEARNED_ENTRY_SIZE]) {
    memset(bytes, 0, LEARNED_ENTRY_SIZE);
    bytes[1] = LEARNED_BOUND; // the flags byte; byte 0, the age, says fresh
    put32(bytes + 4, uint32_t(score));
    put32(bytes + 8, uint32_t(key));
    put32(bytes + 12, uint32_t(key >> 32));
    put32(bytes + 20, uint32_t(depth)); // no best move at 16
}

int update_learning() {
    // Binary mode: the reader takes CRLF and LF alike, and stray bytes cannot end the file early.
    FILE*         lines = fopen(LEARN_EPD_NAME, "rb");
    Tlearned_file output;
    if (!lines) {
        // Nothing to learn from: a b_learn.bin left from before is rebuilt empty, or it would
        // go on teaching what is no longer there (one already empty stays as it is).
        if (holds_entries(LEARN_BIN_NAME) && output.open())
            output.commit();
        return 0;
    }
    if (!output.open()) {
        fclose(lines);
        return 0;
    }
    console.print("Updating position learning. . .\n");
    auto          game  = std::make_unique<Tbook_game>();
    int           count = 0;
    std::string   line;
    unsigned char bytes[LEARNED_ENTRY_SIZE];
    while (read_text_line(lines, line, LONGEST_LINE)) {
        if (!learned_entry(line, *game, bytes))
            continue;
        output.write(bytes);
        ++count;
    }
    fclose(lines);
    if (!output.commit())
        return 0;
    console.print("  Done : %d positions found in %s\n", count, LEARN_EPD_NAME);
    return 1;
}

int load_learning() {
    FILE* file = fopen(LEARN_BIN_NAME, "rb");
    if (!file)
        return 0;
    int           count = 0;
    unsigned char bytes[LEARNED_ENTRY_SIZE];
    while (fread(bytes, 1, LEARNED_ENTRY_SIZE, file) == LEARNED_ENTRY_SIZE) {
        Thash_slot entry{};
        entry.age      = bytes[0];
        entry.flags    = bytes[1];
        entry.score    = int32_t(get32(bytes + 4));
        entry.key_low  = get32(bytes + 8);
        entry.key_high = get32(bytes + 12);
        entry.depth    = int32_t(get32(bytes + 20));
        // A learned entry carries no move: whatever a damaged file holds there is never played.
        // One without a bound could only trouble the probes.
        if ((entry.flags & BOUND_MASK) != 0 && hash_tables.store(entry))
            ++count;
    }
    fclose(file);
    console.print(">%d learned positions added in the HashTables\n", count);
    return 1;
}
