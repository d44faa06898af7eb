// Reading a command line: typed moves and the game commands with their codes.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "base/config.h"
#include "base/console.h"
#include "board/board.h"
#include "board/boarddata.h"
#include "interface/commands.h"
#include "interface/game.h"
#include "interface/uci.h"
#include "interface/xboard_v2.h"
#include "search/report.h"
#include "search/search.h"

namespace {

// The search context the reader reports on and hands typed moves to.
Tsearch& searching_context = search;

// The plain commands, each answered with its code (checked in this order, after the move test,
// "quit" and ".").
struct Tcode_word {
    const char* word;
    int         code;
};
constexpr Tcode_word CODE_WORDS[] = {
    {"edit", CMD_EDIT},     {"force", CMD_FORCE},     {"go", CMD_GO},           {"?", CMD_MOVE_NOW},
    {"new", CMD_NEW},       {"analyze", CMD_ANALYZE}, {"exit", CMD_EXIT},       {"result", CMD_RESULT},
    {"remove", CMD_REMOVE}, {"speed", CMD_SPEED},     {"badeval", CMD_BADEVAL}, {"stat", CMD_STAT},
};
// Their arguments are taken from the words by the game loop.
constexpr Tcode_word TOOL_WORDS[] = {
    {"test", CMD_TEST},     {"fusion", CMD_FUSION},       {"makebook", CMD_MAKEBOOK},
    {"filtre", CMD_FILTRE}, {"filtrebin", CMD_FILTREBIN},
};

bool in_legal_list(Move move) {
    const Tboarddata& root = game.root;
    if (!root.moves)
        return false;
    for (int i = 1; i <= root.nb_moves; ++i)
        if (root.moves[i] == move)
            return true;
    return false;
}

void report_search_progress() {
    if (!config.searching)
        return;
    const Tsearch& context = searching_context;
    console.print("stat01: %d %d %d %d %d\n", int(context.elapsed() * 100), int(context.total_nodes()),
                  context.iteration_depth, context.root_moves_left, context.nb_root_moves);
    if (!config.analyze_mode)
        print_statistics();
}

} // namespace

void leave_program(const char* log_line) {
    console.print("%s", log_line);
    config.quit    = 1;
    config.restart = 1;
    exit(0);
}

int read_move(Move& move, const char* word, const uint8_t piece_types[64], Color side) {
    if (strlen(word) < 4)
        return 0;
    const int from_file = toupper(static_cast<unsigned char>(word[0])) - 'A';
    const int from_rank = word[1] - '1';
    const int to_file   = toupper(static_cast<unsigned char>(word[2])) - 'A';
    const int to_rank   = word[3] - '1';
    for (int coordinate : {from_file, from_rank, to_file, to_rank})
        if (coordinate < 0 || coordinate > 7)
            return 0;
    const Square from     = make_square(from_file, from_rank);
    Square       to       = make_square(to_file, to_rank);
    const int    type     = piece_types[from];
    int          captured = piece_types[to];
    int          kind     = type;
    Square       origin   = from;

    switch (type) {
    case EMPTY: return 0;
    case PAWN:
        if (from_file != to_file && captured == EMPTY) {
            kind     = KIND_EN_PASSANT;
            captured = PAWN;
        } else if (to_rank == 0 || to_rank == 7) {
            switch (word[4]) {
            case 'n': kind = KIND_PROMO_KNIGHT; break;
            case 'b': kind = KIND_PROMO_BISHOP; break;
            case 'r': kind = KIND_PROMO_ROOK; break;
            case 'q': kind = KIND_PROMO_QUEEN; break;
            default: return 0;
            }
        }
        break;
    case KING: {
        char lower[6] = {};
        for (int i = 0; i < 5 && word[i] != '\0'; ++i)
            lower[i] = char(tolower(static_cast<unsigned char>(word[i])));
        // A castling move names no colour: the word must start from the home square of the side
        // to move, or "e1g1" would castle Black.
        const char* const king_side  = side == WHITE ? "e1g1" : "e8g8";
        const char* const queen_side = side == WHITE ? "e1c1" : "e8c8";
        if (strcmp(lower, king_side) == 0)
            kind = KIND_CASTLE_KING;
        else if (strcmp(lower, queen_side) == 0)
            kind = KIND_CASTLE_QUEEN;
        if (kind != KING) {
            origin   = NO_SQUARE;
            to       = NO_SQUARE;
            captured = EMPTY;
        }
        break;
    }
    default: break;
    }
    move = make_move(to, origin, kind, captured);
    return 1;
}

int read_command(int wait) {
    // Every earlier command has been acted on: the pings read since may be answered.
    answer_held_pings();
    // A "setboard" not taken by the line that follows it (read during a search) is stale.
    forget_setboard();
    char      line[COMMAND_LINE_SIZE + 1];
    const int got = wait ? console.wait_line(line, sizeof line) : console.try_get_line(line, sizeof line);
    if (!got) {
        // The interface has gone: nobody is left to send "quit".
        if (console.end_of_input())
            leave_program(">End of input: leaving the program\n");
        return CMD_NONE;
    }
    memcpy(console.command_line, line, sizeof line);
    console.print("><\"%s\"\n", console.command_line);
    if (console.split_words() == 0)
        return CMD_NONE;
    const char* first = console.words[0];

    Move move = 0;
    if (read_move(move, first, config.entry_board, Color(config.entry_side))) {
        // While pondering, the game stands on the position after the move pondered on: the
        // typed move is judged when the pondering ends.
        const bool pondering_blind =
            config.in_game && searching_context.pondering && searching_context.ponder_state != PONDER_HIT;
        if (in_legal_list(move) || pondering_blind) {
            searching_context.entered_move = move;
            return CMD_MOVE;
        }
        report_illegal_move(first);
        return CMD_NONE;
    }

    if (strcmp(first, "quit") == 0)
        leave_program(">Leaving the program\n");
    if (strcmp(first, ".") == 0) {
        report_search_progress();
        return CMD_NONE;
    }
    for (const Tcode_word& entry : CODE_WORDS)
        if (strcmp(first, entry.word) == 0)
            return entry.code;
    if (strcmp(first, "menu") == 0) {
        config.show_debug_window = 1;
        return CMD_NONE;
    }
    if (strcmp(first, "undo") == 0) {
        if (board_state.game_ply < 1) {
            console.print("Illegal move: undo\n");
            return CMD_NONE;
        }
        return CMD_UNDO;
    }
    for (const Tcode_word& entry : TOOL_WORDS)
        if (strcmp(first, entry.word) == 0)
            return entry.code;
    if (strcmp(first, "name") == 0 && console.nb_words >= 2) {
        config.opponent_name = console.words[1];
        for (char& c : config.opponent_name)
            c = char(tolower(static_cast<unsigned char>(c)));
        return CMD_NONE;
    }
    if (strcmp(first, "rating") == 0 && console.nb_words == 3) {
        search.ratings[0] = parse_setting_int(console.words[1]);
        search.ratings[1] = parse_setting_int(console.words[2]);
        return CMD_NONE;
    }
    // The interface speaks UCI from now on (never in the middle of a search).
    if (strcmp(first, "uci") == 0 && !config.searching)
        run_uci();
    int code = CMD_NONE;
    if (xboard_v2_command(code))
        return code;

    if (!settings_command(console.command_line))
        report_unknown_command(console.command_line);
    return CMD_NONE;
}
