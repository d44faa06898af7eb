// Positions written out: FEN/EPD text of a record, the line of moves that led to it, and the
// "bug.epd" trail left when make-move finds the board out of step with the records.
#include <cstdio>

#include "base/console.h"
#include "board/boarddata.h"
#include "board/notation.h"

namespace {

constexpr int QUIESCENCE_DEPTH = -6000;

} // namespace

std::string Tboarddata::get_fen() const {
    std::string fen = Ttools::SIGNED_PIECE2SAN(board_state.board);
    fen += side == WHITE ? " w " : " b ";
    const unsigned rights = castle & CASTLE_RIGHTS_MASK;
    if (rights == 0)
        fen += '-';
    if (rights & WHITE_OO)
        fen += 'K';
    if (rights & WHITE_OOO)
        fen += 'Q';
    if (rights & BLACK_OO)
        fen += 'k';
    if (rights & BLACK_OOO)
        fen += 'q';
    fen += ' ';
    // The capturing side decides the rank of the square jumped over.
    if (ep_file >= 0 && ep_file < 8) {
        fen += char('a' + ep_file);
        fen += side == WHITE ? '6' : '3';
    } else {
        fen += '-';
    }
    fen += ' ';
    return fen;
}

void Tboarddata::print_fen() const { console.print("%s\n", get_fen().c_str()); }

void Tboarddata::append_epd(const char* file_name) const {
    FILE* file = fopen(file_name, "a");
    if (file == nullptr)
        return; // a diagnostic trail is not worth stopping the engine for
    fprintf(file, "%s\n", get_fen().c_str());
    fclose(file);
}

void Tboarddata::print_line(bool show_depth, bool end_line) const {
    // Walk up to the root first so the moves come out in the order they were played; the root's
    // own move (if any) happened before the line began. A record being made without a parent is
    // briefly its own parent; it is a root too.
    if (parent != nullptr && parent != this) {
        parent->print_line(show_depth, false);
        print_move(move);
        const int step = depth - parent->depth + ONE_PLY;
        if (show_depth && depth > QUIESCENCE_DEPTH && step != 0)
            console.print("(%d)", step);
        console.print(" ");
    }
    if (end_line)
        console.print("\n");
}

void write_bug_epd() {
    if (board_state.current_record != nullptr)
        board_state.current_record->append_epd("bug.epd");
}
