// Test-side perft driver: walks the legal move tree with the engine's own make_child, unmake and
// gen_legal, one record per ply as the search does. Also reads the "FEN ;D1 n ;D2 n ..." files
// of published counts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/boarddata.h"

constexpr int PERFT_MAX_DEPTH = 12;

enum class Tperft_mode {
    make_every_node, // every leaf is made and unmade
    count_last_ply,  // at depth 1 the size of the legal list is the count
};

// One record per ply; records[0] is the root, set up with perft_setup.
extern Tboarddata perft_records[PERFT_MAX_DEPTH + 1];

bool     perft_setup(const std::string& fen);
uint64_t perft(int depth, Tperft_mode mode);

// Hooks called around every make and unmake of perft_observed's walk.
struct Tperft_observer {
    virtual ~Tperft_observer() = default;
    virtual void before_make(const Tboarddata& /*parent*/, Move /*m*/) {}
    virtual void after_make(const Tboarddata& /*parent*/, const Tboarddata& /*child*/) {}
    virtual void after_unmake(const Tboarddata& /*parent*/, Move /*m*/) {}
};
uint64_t perft_observed(int depth, Tperft_observer& observer);

// One line of a perft file: the position, the published count for each depth, an optional id.
struct Tperft_case {
    std::string           fen;
    std::vector<uint64_t> counts; // counts[d] for depth d; 0 where the line gives none
    std::string           id;
    int                   line = 0;

    uint64_t count(int depth) const {
        return depth > 0 && depth < int(counts.size()) ? counts[size_t(depth)] : 0;
    }
};

// The cases of a perft file; empty when it cannot be read.
std::vector<Tperft_case> read_perft_file(const std::string& path);
