// The commands of xboard protocol 2 on top of the protocol-1 reader.
#include "interface/xboard_v2.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/config.h"
#include "base/console.h"
#include "board/notation.h"
#include "interface/commands.h"
#include "interface/game.h"
#include "interface/play.h"
#include "search/search.h"

int xboard_protocol = 1;

namespace {

std::string              setboard_fen;
std::vector<std::string> held_pings;
double                   seconds_per_move = 0; // from "st"

constexpr int OFFER_OPPONENT_TYPE = 2; // OPPONENT_TYPE that is never offered a draw

bool is(const char* word, const char* text) { return strcmp(word, text) == 0; }

// A whole non-negative decimal number, at most a billion; -1 otherwise.
long number_word(const char* text) {
    char*      end   = nullptr;
    const long value = strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 1000000000L)
        return -1;
    return value;
}

// Thinking on its own move (a ponder hit included), the engine reads input only to stop on a few
// commands: a ping then waits until the move has gone out.
bool thinking_on_own_move() {
    const bool ponder_hit = search.pondering && search.ponder_state == PONDER_HIT;
    return config.searching && (config.engine_to_move || ponder_hit) && !config.analyze_mode;
}

void announce_features(int version) {
    xboard_protocol = version;
    if (version < 2) {
        console.print("feature myname=\"%s\" setboard=0 ping=0 usermove=0 san=0 time=1 analyze=1 "
                      "done=1\n",
                      console.program_id.c_str());
        return;
    }
    // usermove=0: moves come as bare coordinates, which the reader tells from every command.
    // memory=0: the hash sizes stay those of brelok.ini (an interface's default would override
    // them in every game).
    console.print("feature myname=\"%s\" setboard=1 ping=1 usermove=0 memory=0 san=0 sigint=0 "
                  "sigterm=0 reuse=1 analyze=1 time=1 colors=0 draw=1 done=1\n",
                  console.program_id.c_str());
    console.line_dropped = [](long bytes) {
        console.print("Error (line too long): %ld bytes ignored\n", bytes);
    };
}

void ping(const char* text) {
    if (thinking_on_own_move())
        held_pings.emplace_back(text);
    else
        console.print("pong %s\n", text);
}

// The game flow's own offer rule, on the engine's last move: its score came up by two pawns
// after being at least half a pawn down.
bool would_offer_draw() {
    const Color mover = game.root.side_to_move();
    const int   ours  = mover == WHITE ? config.computer_white : config.computer_black;
    const int   ply   = ours ? game.game_ply - 1 : game.game_ply;
    if (!config.ENABLE_DRAW_OFFER_WHEN_GAFFE || config.OPPONENT_TYPE == OFFER_OPPONENT_TYPE || ply < 4
        || game.origins[ply] != ORIGIN_SEARCH)
        return false;
    const int s = game.scores[ply], p = game.scores[ply - 2];
    return s != SCORE_NOT_COMPUTED && p != SCORE_NOT_COMPUTED && p >= -31000 && p <= -50 && s > 0
           && s - p >= 200;
}

void hint() {
    Move        move   = 0;
    const Color mover  = game.root.side_to_move();
    Color       player = mover;
    if (config.searching) {
        // Pondering: the game stands after the move pondered on.
        if (search.pondering && search.ponder_state != PONDER_HIT) {
            move   = search.pondered_move;
            player = ~mover;
        }
    } else if (search.predicted_reply && game.is_legal(search.predicted_reply)) {
        move = search.predicted_reply;
    }
    if (!move)
        return;
    console.print("Hint: %s\n", coord_text(move, player).c_str());
}

bool looks_like_move(const char* word) {
    const size_t length = strlen(word);
    if (length != 4 && length != 5)
        return false;
    for (int i = 0; i < 4; ++i)
        if (!(i % 2 == 0 ? word[i] >= 'a' && word[i] <= 'h' : word[i] >= '1' && word[i] <= '8'))
            return false;
    return length == 4 || strchr("qrbn", word[4]) != nullptr;
}

} // namespace

bool xboard_v2_command(int& code) {
    code              = CMD_NONE;
    const char* first = console.words[0];
    const int   nb    = console.nb_words;
    if (is(first, "protover")) {
        announce_features(nb >= 2 ? atoi(console.words[1]) : 1);
    } else if (is(first, "ping")) {
        ping(nb >= 2 ? console.words[1] : "");
    } else if (is(first, "setboard")) {
        // Set up by the game loop, which alone may change the game.
        const char* fen = strstr(console.command_line, "setboard") + 8;
        while (*fen == ' ' || *fen == '\t')
            ++fen;
        setboard_fen = *fen ? fen : "-";
        code         = CMD_EDIT;
    } else if (is(first, "st") && nb == 2 && number_word(console.words[1]) > 0) {
        seconds_per_move      = double(number_word(console.words[1]));
        config.fixed_per_move = 1;
    } else if (is(first, "sd") && nb == 2 && number_word(console.words[1]) > 0) {
        // For this run: brelok.ini keeps its own.
        config.set_number("max_sd", int(number_word(console.words[1])));
    } else if (is(first, "level")) {
        seconds_per_move      = 0;
        config.fixed_per_move = 0;
        return false; // read by the settings commands
    } else if (xboard_protocol >= 2 && is(first, "hint")) {
        hint();
    } else if (xboard_protocol >= 2 && is(first, "draw")) {
        if (would_offer_draw())
            console.print("offer draw\n");
    } else if (is(first, "accepted") || is(first, "rejected") || is(first, "computer") || is(first, "ics")) {
        // Nothing to do: answers to the features, and facts the engine has no use for.
    } else {
        return false;
    }
    return true;
}

void report_unknown_command(const char* line) {
    console.print(">Illegal move (%s)\n", line);
    if (xboard_protocol < 2)
        return;
    // A word of the form of a coordinate move (from an empty square, say) is a refused move.
    if (console.nb_words == 1 && looks_like_move(console.words[0]))
        console.print("Illegal move: %s\n", console.words[0]);
    else
        console.print("Error (unknown command): %s\n", line);
}

void report_illegal_move(const char* word) {
    if (xboard_protocol >= 2)
        console.print("Illegal move: %s\n", word);
    else
        console.print("Illegal move\n");
}

void answer_held_pings() {
    if (thinking_on_own_move())
        return;
    for (const std::string& text : held_pings)
        console.print("pong %s\n", text.c_str());
    held_pings.clear();
}

std::string take_setboard_fen() {
    std::string fen;
    fen.swap(setboard_fen);
    return fen;
}

void forget_setboard() { setboard_fen.clear(); }

void set_up_board(const std::string& fen) {
    // A set-up position is never looked up in the book: the start position itself is marked as
    // one (with its move counters) so that it does not read as a game from the start.
    const std::string position = fen == STANDARD_START_FEN ? fen + " 0 1" : fen;
    std::string       error;
    if (!set_up_game(position, {}, error)) {
        console.print(">%s\n", error.c_str());
        console.print("tellusererror Illegal position\n");
    }
}

Ttime_budget fixed_move_budget() { return seconds_per_move > 0 ? fixed_time_budget(seconds_per_move) : 0; }
