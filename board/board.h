// The board state: one global description of the position on the board, as mailbox and
// bitboards, with counts, material and hash keys. Only make and unmake (and the set-up helpers)
// change it, always through set_square/clear_square so the rotated occupancies stay in step.
#pragma once

#include "board/tables.h"
#include "board/types.h"

struct Tboarddata;

constexpr int KEY_HISTORY_SIZE = 600;

class Tboard {
  public:
    int8_t  board[64];      // signed piece
    uint8_t board_type[64]; // piece type

    Bitboard pieces_bb[2];
    Bitboard pawns_bb[2];
    Bitboard knights_bb[2];
    Bitboard bishops_bb[2];
    Bitboard rooks_bb[2];
    Bitboard queens_bb[2];
    Bitboard bishops_queens_bb[2];
    Bitboard rooks_queens_bb[2];

    Square  king_sq[2];
    int32_t nb_pawns[2];
    int32_t nb_knights[2];
    int32_t nb_bishops[2];
    int32_t nb_rooks[2];
    int32_t nb_queens[2];
    int32_t nb_pieces[2];      // knights + bishops + rooks + queens
    int32_t piece_material[2]; // pawns and king not included

    uint64_t hash_key;
    uint64_t pawn_key;
    uint64_t key_history[KEY_HISTORY_SIZE];

    int32_t     ply;
    int32_t     game_ply;
    Tboarddata* current_record;
    int32_t     current_phase;

    // Empties the board: squares, sets, counts, keys, ply.
    void clear();

    Bitboard occupied() const { return pieces_bb[WHITE] | pieces_bb[BLACK]; }

    // Slider attacks through the current occupancy (the first blocker included).
    Bitboard rank_attacks_from(Square s) const { return rank_attacks[s][(occupied() >> (s & 56)) & 255]; }
    Bitboard file_attacks_from(Square s) const { return file_attacks[s][(occ_r90 >> ((s & 7) * 8)) & 255]; }
    Bitboard diag_a1h8_attacks_from(Square s) const {
        return diag_a1h8_attacks[s][(occ_a1h8 >> diag_shift_a1h8[s]) & 255];
    }
    Bitboard diag_h1a8_attacks_from(Square s) const {
        return diag_h1a8_attacks[s][(occ_h1a8 >> diag_shift_h1a8[s]) & 255];
    }
    Bitboard rook_attacks_from(Square s) const { return rank_attacks_from(s) | file_attacks_from(s); }
    Bitboard bishop_attacks_from(Square s) const {
        return diag_a1h8_attacks_from(s) | diag_h1a8_attacks_from(s);
    }
    Bitboard queen_attacks_from(Square s) const { return rook_attacks_from(s) | bishop_attacks_from(s); }

    // Attack queries, colour as a template parameter for the hot paths.
    template <Color By> bool     attacked_by(Square s) const;
    template <Color By> bool     attacked_by_pieces(Square s) const; // knights and sliders only
    template <Color By> Bitboard attackers(Square s) const;

    bool     attacked_by_white(Square s) const { return attacked_by<WHITE>(s); }
    bool     attacked_by_black(Square s) const { return attacked_by<BLACK>(s); }
    Bitboard attackers_white(Square s) const { return attackers<WHITE>(s); }
    Bitboard attackers_black(Square s) const { return attackers<BLACK>(s); }
    bool     attacked_by_white_pieces(Square s) const { return attacked_by_pieces<WHITE>(s); }
    bool     attacked_by_black_pieces(Square s) const { return attacked_by_pieces<BLACK>(s); }

    // First occupied square along a ray from s, NO_SQUARE if none.
    Square first_piece(Square s, int direction) const;
    Square straight_slider_behind(Color c, Square s, int direction) const;
    bool   diagonal_slider_behind(Color c, Square s, int direction) const;
    bool   slider_behind(Color c, Square s, int direction) const;

    // The one place that touches the mailbox, the colour set and the three rotated sets.
    void set_square(Square s, int signed_code) {
        Color c       = signed_code > 0 ? WHITE : BLACK;
        board[s]      = int8_t(signed_code);
        board_type[s] = uint8_t(c == WHITE ? signed_code : -signed_code);
        pieces_bb[c] |= set_mask[s];
        occ_r90 |= set_mask[rot_r90[s]];
        occ_a1h8 |= set_mask[rot_a1h8[s]];
        occ_h1a8 |= set_mask[rot_h1a8[s]];
    }
    void clear_square(Square s, Color c) {
        board[s]      = 0;
        board_type[s] = 0;
        pieces_bb[c] &= clear_mask[s];
        occ_r90 &= clear_mask[rot_r90[s]];
        occ_a1h8 &= clear_mask[rot_a1h8[s]];
        occ_h1a8 &= clear_mask[rot_h1a8[s]];
    }

    // Per-type set of a colour, by piece type pawn..queen.
    Bitboard& type_bb(Color c, int type) {
        switch (type) {
        case PAWN: return pawns_bb[c];
        case KNIGHT: return knights_bb[c];
        case BISHOP: return bishops_bb[c];
        case ROOK: return rooks_bb[c];
        default: return queens_bb[c];
        }
    }
    int32_t& type_count(Color c, int type) {
        switch (type) {
        case PAWN: return nb_pawns[c];
        case KNIGHT: return nb_knights[c];
        case BISHOP: return nb_bishops[c];
        case ROOK: return nb_rooks[c];
        default: return nb_queens[c];
        }
    }

    // Whole-piece operations with every redundant field kept exact (sets, counts, material,
    // keys, king square). The set-up code and make/unmake use them.
    void add_piece(Color c, int type, Square s);
    void take_piece(Color c, int type, Square s);
    void shift_piece(Color c, int type, Square from, Square to);

    // Places a signed piece (-6..6; other codes do nothing) on an empty square / removes it.
    void put_piece(int signed_code, Square s);
    void remove_piece(int signed_code, Square s);
    // Places the piece of a FEN letter; 1 for a blank or one of the twelve letters, else 0.
    int put_piece_letter(char letter, Square s);

    uint64_t hash_key_from_scratch(Color side_to_move) const;
    uint64_t pawn_key_from_scratch() const;

    // Recomputes every redundant field from the mailbox and compares: the asserts and the
    // consistency tests call it. Writes the first mismatch's name when given a buffer.
    bool is_consistent(Color side_to_move, const char** mismatch = nullptr) const;

  private:
    // Type set, slider sets, count, material and keys of one piece appearing or going.
    void toggle_piece_sets(Color c, int type, Square s);

    Bitboard occ_r90;
    Bitboard occ_a1h8;
    Bitboard occ_h1a8;
};

extern Tboard board_state;

template <Color By> inline bool Tboard::attacked_by(Square s) const {
    const Bitboard pawn_origin = By == WHITE ? pawn_from_below[s] : pawn_from_above[s];
    if (pawn_origin & pawns_bb[By])
        return true;
    if (knights_bb[By] & knight_attacks[s])
        return true;
    if ((bishop_rays[s] & bishops_queens_bb[By]) && (bishop_attacks_from(s) & bishops_queens_bb[By]))
        return true;
    if ((rook_rays[s] & rooks_queens_bb[By]) && (rook_attacks_from(s) & rooks_queens_bb[By]))
        return true;
    return king_sq[By] != NO_SQUARE && distance[s][king_sq[By]] == 1;
}

template <Color By> inline bool Tboard::attacked_by_pieces(Square s) const {
    if (knights_bb[By] & knight_attacks[s])
        return true;
    if ((bishop_rays[s] & bishops_queens_bb[By]) && (bishop_attacks_from(s) & bishops_queens_bb[By]))
        return true;
    return (rook_rays[s] & rooks_queens_bb[By]) && (rook_attacks_from(s) & rooks_queens_bb[By]);
}

template <Color By> inline Bitboard Tboard::attackers(Square s) const {
    const Bitboard pawn_origin = By == WHITE ? pawn_from_below[s] : pawn_from_above[s];
    Bitboard       found       = (knights_bb[By] & knight_attacks[s]) | (pawns_bb[By] & pawn_origin);
    if (king_sq[By] != NO_SQUARE && king_adjacent[s][king_sq[By]])
        found |= set_mask[king_sq[By]];
    if (bishop_rays[s] & bishops_queens_bb[By])
        found |= bishop_attacks_from(s) & bishops_queens_bb[By];
    if (rook_rays[s] & rooks_queens_bb[By])
        found |= rook_attacks_from(s) & rooks_queens_bb[By];
    return found;
}

inline void Tboard::toggle_piece_sets(Color c, int type, Square s) {
    const uint64_t key = piece_keys[c][type][s];
    hash_key ^= key;
    if (type == KING)
        return;
    type_bb(c, type) ^= set_mask[s];
    if (type == PAWN) {
        pawn_key ^= key;
        return;
    }
    if (type == BISHOP || type == QUEEN)
        bishops_queens_bb[c] ^= set_mask[s];
    if (type == ROOK || type == QUEEN)
        rooks_queens_bb[c] ^= set_mask[s];
}

inline void Tboard::add_piece(Color c, int type, Square s) {
    set_square(s, signed_piece(c, type));
    toggle_piece_sets(c, type, s);
    if (type == KING) {
        king_sq[c] = s;
        return;
    }
    ++type_count(c, type);
    if (type != PAWN) {
        ++nb_pieces[c];
        piece_material[c] += PIECE_VALUE[type];
    }
}

inline void Tboard::take_piece(Color c, int type, Square s) {
    clear_square(s, c);
    toggle_piece_sets(c, type, s);
    if (type == KING) {
        king_sq[c] = NO_SQUARE;
        return;
    }
    --type_count(c, type);
    if (type != PAWN) {
        --nb_pieces[c];
        piece_material[c] -= PIECE_VALUE[type];
    }
}

inline void Tboard::shift_piece(Color c, int type, Square from, Square to) {
    clear_square(from, c);
    set_square(to, signed_piece(c, type));
    toggle_piece_sets(c, type, from);
    toggle_piece_sets(c, type, to);
    if (type == KING)
        king_sq[c] = to;
}
