// One pawn-hash entry: everything the evaluation derives from the pawns alone, kept under the
// pawn key so that it is computed once per pawn structure (and per phase for the scores).
#pragma once

#include <cstdint>
#include <cstring>

#include "board/types.h"

struct Tpawn_entry {
    uint64_t key;
    Bitboard weak_pawns;   // both colours: backward, isolated and the other weak pawns
    Bitboard passed_pawns; // both colours
    // Weak squares (holes) by square colour and by half of the board: [0] White's, [1] Black's.
    uint8_t weak_dark[2];
    uint8_t weak_light[2];
    uint8_t outside_files[2]; // files of each side's outside passed pawns, bit n = file n
    uint8_t zero[2];
    int32_t pawn_score[3]; // by phase, White's view; SCORE_NOT_COMPUTED when missing
    int32_t passed_score[3];
    uint8_t shelter[2][8]; // king-shelter file part by colour and king file; 0xFF = empty

    void clear() {
        std::memset(this, 0, sizeof *this);
        reset_scores();
    }
    // Forget every score of the entry (another pawn structure is moving in).
    void reset_scores() {
        for (int phase = 0; phase < 3; ++phase)
            pawn_score[phase] = passed_score[phase] = SCORE_NOT_COMPUTED;
        std::memset(shelter, 0xFF, sizeof shelter);
    }
};

static_assert(sizeof(Tpawn_entry) == 72, "pawn-hash entries are 72 bytes");
