// Test-side perft driver: walks the legal move tree with the engine's own make_child, unmake
// and gen_legal, one record per ply as the search does, and counts the leaves. Also reads the
// "FEN ;D1 n ;D2 n ..." files of published counts.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "board/boarddata.h"

// Deepest walk the record array allows.
constexpr int PERFT_MAX_DEPTH = 12;

enum class Tperft_mode {
    make_every_node, // every leaf is made and unmade
    count_last_ply,  // at depth 1 the size of the legal list is the count
};

// One record per ply; records[0] is the root, set up with set_fen.
extern Tboarddata perft_records[PERFT_MAX_DEPTH + 1];

// Sets up the root record; false when the reader refuses the text.
bool perft_setup(const std::string& fen);

// Counts the leaves below the current root (perft_records[0]) at the given depth.
uint64_t perft(int depth, Tperft_mode mode);

// Per-move counts at the root, in legal-list order, for finding where two counts part.
struct Tperft_divide_entry {
    Move     move;
    uint64_t nodes;
};
std::vector<Tperft_divide_entry> perft_divide(int depth, Tperft_mode mode);

// Hooks for walks that check something around every make and unmake (consistency tests).
struct Tperft_observer {
    virtual ~Tperft_observer() = default;
    virtual void before_make(const Tboarddata& /*parent*/, Move /*m*/) {}
    virtual void after_make(const Tboarddata& /*parent*/, const Tboarddata& /*child*/) {}
    virtual void after_unmake(const Tboarddata& /*parent*/, Move /*m*/) {}
};
// Same walk as perft(make_every_node) with the hooks called around every make and unmake.
uint64_t perft_observed(int depth, Tperft_observer& observer);

// One line of a perft file: the position, the published count for each depth, an optional id.
struct Tperft_case {
    std::string fen;
    std::vector<uint64_t> counts; // counts[d] for depth d; 0 where the line gives none
    std::string id;
    int line = 0;

    int max_depth() const { return int(counts.size()) - 1; }
    uint64_t count(int depth) const {
        return depth >= 0 && depth < int(counts.size()) ? counts[size_t(depth)] : 0;
    }
    // A name usable in test names: the id or the line number, letters and digits only.
    std::string name() const;
};

// How a case shows in test names and messages: its position.
void PrintTo(const Tperft_case& c, std::ostream* out);

// Parses one line; false for blank or malformed lines.
bool parse_perft_line(const std::string& text, Tperft_case& out);
// Reads every case of a file; empty when the file cannot be opened.
std::vector<Tperft_case> read_perft_file(const std::string& path);
