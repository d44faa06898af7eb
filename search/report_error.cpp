// An internal error: the message, then the position and the line that led to it.
#include "base/console.h"
#include "board/board.h"
#include "board/boarddata.h"
#include "board/notation.h"
#include "search/report.h"

void Tconsole::report_error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vprint(format, args);
    va_end(args);
    const Tboarddata* record = board_state.current_record;
    if (!record)
        return;
    print_board();
    record->print_fen();
    if (record->parent) {
        record->print_line(false, false);
        print_move(record->move);
        print(" \n");
    }
    print("Profondeur: %d\n", board_state.ply);
    print_search_state(*record);
}
