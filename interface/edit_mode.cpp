// Edit mode: placing and removing pieces line by line, then the FEN of the result.
#include <cctype>
#include <cstring>

#include "base/console.h"
#include "board/notation.h"
#include "interface/commands.h"

namespace {

// Square from a file letter (either case) and a rank digit; NO_SQUARE when they do not read.
Square read_square(const char* text) {
    const int file = tolower(static_cast<unsigned char>(text[0])) - 'a';
    if (file < 0 || file > 7 || text[1] < '1' || text[1] > '8')
        return NO_SQUARE;
    return make_square(file, text[1] - '1');
}

int piece_type_of_letter(char letter) {
    const char* letters = "pnbrqk";
    const char* found   = letter != '\0' ? strchr(letters, letter) : nullptr;
    return found ? int(found - letters) + PAWN : EMPTY;
}

} // namespace

std::string edit_position(Color side_to_move, const int8_t board[64]) {
    int8_t* edit = console.edit_board;
    memcpy(edit, board, 64);
    Color placing = WHITE;
    char  line[COMMAND_LINE_SIZE + 1];
    // The end of input ends the editing as "exit" would; the reader then meets it again.
    while (console.wait_line(line, sizeof line)) {
        size_t length = strlen(line);
        while (length > 0 && isspace(static_cast<unsigned char>(line[length - 1])))
            line[--length] = '\0';
        console.print("><\"%s\"\n", line);
        if (strcmp(line, "exit") == 0 || strcmp(line, ".") == 0)
            break;
        // A user who types quit here means it: it places nothing (no file is named u).
        if (strcmp(line, "quit") == 0)
            leave_program(">Leaving the program\n");
        const char first = char(tolower(static_cast<unsigned char>(line[0])));
        if (first == '#') {
            memset(edit, 0, 64);
        } else if (first == 'c') {
            placing = ~placing;
        } else if (first == 'x') {
            const Square square = read_square(line + 1);
            if (square != NO_SQUARE)
                edit[square] = 0;
        } else if (const int type = piece_type_of_letter(first)) {
            const Square square = read_square(line + 1);
            if (square != NO_SQUARE)
                edit[square] = int8_t(signed_piece(placing, type));
        }
    }
    return Ttools::SIGNED_PIECE2SAN(edit) + (side_to_move == WHITE ? " w - -" : " b - -");
}
