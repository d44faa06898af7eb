// UCI "go": the limits, the search with its input watched (isready, stop, ponderhit), one info
// line per iteration and fail-high, and the bestmove with the reply expected.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/command_codes.h"
#include "base/config.h"
#include "base/console.h"
#include "board/boarddata.h"
#include "board/notation.h"
#include "book/book.h"
#include "interface/game.h"
#include "interface/play.h"
#include "interface/uci.h"
#include "search/score.h"
#include "search/search.h"

namespace {

constexpr size_t INFO_TEXT_LIMIT = 480; // an info line stays within one console message

struct Tlimits {
    long wtime = -1, btime = -1, winc = 0, binc = 0, movestogo = 0, movetime = -1, depth = 0;
    bool infinite = false, ponder = false;
};

// What the input said while the search ran.
struct Tgo_input {
    bool stop      = false;
    bool ponderhit = false;
} heard;

bool read_number(const std::string& text, long& value) {
    char*      end    = nullptr;
    const long number = strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0')
        return false;
    value = std::labs(number) > 1000000000L ? (number < 0 ? -1000000000L : 1000000000L) : number;
    return true;
}

void parse_limits(const Twords& words, Tlimits& limits) {
    struct Tnumber {
        const char* name;
        long Tlimits::*field;
    };
    static const Tnumber NUMBERS[] = {
        {"wtime", &Tlimits::wtime}, {"btime", &Tlimits::btime},         {"winc", &Tlimits::winc},
        {"binc", &Tlimits::binc},   {"movestogo", &Tlimits::movestogo}, {"movetime", &Tlimits::movetime},
        {"depth", &Tlimits::depth},
    };
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "infinite") {
            limits.infinite = true;
            continue;
        }
        if (word == "ponder") {
            limits.ponder = true;
            continue;
        }
        if (word == "searchmoves") {
            uci_tell("searchmoves is not supported: every move is searched");
            return;
        }
        const Tnumber* known = nullptr;
        for (const Tnumber& entry : NUMBERS)
            if (word == entry.name)
                known = &entry;
        long value = 0;
        if (known && i + 1 < words.size() && read_number(words[i + 1], value)) {
            limits.*(known->field) = value;
            ++i;
        } else if (known) {
            uci_tell("go " + word + " needs a number: ignored");
        } else if (word == "nodes" || word == "mate") {
            uci_tell("go " + word + " is not supported: ignored");
            ++i;
        } else {
            uci_tell("go: unknown word " + word + " ignored");
        }
    }
}

void show_thinking(const Tthinking_line& line) {
    char head[200];
    int  length = snprintf(head, sizeof head, "info depth %d score ", line.depth);
    if (is_mate_score(line.score)) {
        // In moves, not plies: mate in n for the side to move at the root, -n against it.
        const int moves =
            line.score > 0 ? (-SCORE_MATED - line.score + 1) / 2 : -((-SCORE_MATED + line.score) / 2);
        length += snprintf(head + length, sizeof head - size_t(length), "mate %d", moves);
    } else {
        length += snprintf(head + length, sizeof head - size_t(length), "cp %d", line.score);
    }
    if (line.bound == BOUND_LOWER || line.bound == BOUND_UPPER)
        length += snprintf(head + length, sizeof head - size_t(length), "%s",
                           line.bound == BOUND_LOWER ? " lowerbound" : " upperbound");
    const long long nodes = line.nodes;
    const long long nps   = line.seconds > 0 ? (long long)(double(nodes) / line.seconds) : 0;
    snprintf(head + length, sizeof head - size_t(length), " nodes %lld nps %lld time %lld pv", nodes, nps,
             (long long)std::llround(line.seconds * 1000));
    std::string text  = head;
    Color       mover = line.root_side;
    for (int i = 0; i < line.pv_length && text.size() < INFO_TEXT_LIMIT; ++i, mover = ~mover)
        text += " " + coord_text(line.pv[i], mover);
    console.send("%s\n", text.c_str());
}

// The search's input while it runs.
int poll_uci_input(int) {
    static char line[8193];
    if (!console.try_get_line(line, sizeof line)) {
        if (console.end_of_input())
            exit(0);
        return CMD_NONE;
    }
    console.print("><\"%s\"\n", line);
    const Twords words = split_line(line);
    if (words.empty())
        return CMD_NONE;
    const std::string& command = words[0];
    if (command == "isready") {
        console.send("readyok\n");
    } else if (command == "stop") {
        heard.stop = true;
        return CMD_MOVE_NOW;
    } else if (command == "ponderhit") {
        heard.ponderhit = true;
        if (search.pondering && search.ponder_state != PONDER_HIT) {
            // The opponent played the move pondered on: the engine's clock runs from now.
            search.ponder_state = PONDER_HIT;
            if (search.time_target > 0)
                search.set_deadlines(console.now(), {search.time_target, search.time_limit});
        }
    } else if (command == "quit") {
        console.print(">Leaving the program\n");
        exit(0);
    } else {
        uci_tell(command + " ignored during a search");
    }
    return CMD_NONE;
}

// After a search that may not answer on its own (infinite, pondering), until stop or ponderhit.
void wait_for_release() {
    static char line[8193];
    for (;;) {
        if (!console.wait_line(line, sizeof line))
            exit(0);
        console.print("><\"%s\"\n", line);
        const Twords words = split_line(line);
        if (words.empty())
            continue;
        if (words[0] == "isready")
            console.send("readyok\n");
        else if (words[0] == "stop" || words[0] == "ponderhit")
            return;
        else if (words[0] == "quit")
            exit(0);
        else
            uci_tell(words[0] + " ignored before stop");
    }
}

// The reply the search expects, when it is legal after the best move.
Move expected_reply(Move best) {
    const Move reply = search.predicted_reply;
    if (!reply || !game.add_move(best, ORIGIN_SEARCH))
        return 0;
    const bool legal = game.is_legal(reply);
    game.replay_to(game.game_ply - 1);
    return legal ? reply : 0;
}

void send_bestmove(Move best, Move reply) {
    Tboarddata& root = game.root;
    const Color us   = root.side_to_move();
    if (!best) {
        console.send("bestmove 0000\n");
        return;
    }
    if (reply)
        console.send("bestmove %s ponder %s\n", coord_text(best, us).c_str(), coord_text(reply, ~us).c_str());
    else
        console.send("bestmove %s\n", coord_text(best, us).c_str());
}

} // namespace

void uci_go(const Twords& words, bool position_given) {
    Tlimits limits;
    parse_limits(words, limits);
    if (!position_given)
        uci_tell("no position given: searching the start position");
    Tboarddata& root  = game.root;
    const Color us    = root.side_to_move();
    const long  ours  = us == WHITE ? limits.wtime : limits.btime;
    const long  inc   = us == WHITE ? limits.winc : limits.binc;
    const bool  timed = ours >= 0 && limits.movetime < 0 && !limits.infinite;
    const bool  analysing =
        limits.infinite || (!timed && limits.movetime < 0 && limits.depth <= 0 && !limits.ponder);
    heard = {};

    Ttime_budget budget;
    if (limits.movetime >= 0 && !limits.infinite) {
        budget = fixed_time_budget(double(limits.movetime) / 1000);
    } else if (timed) {
        const long theirs      = us == WHITE ? limits.btime : limits.wtime;
        config.time_left       = int(ours / 10);
        config.otim_left       = theirs >= 0 ? int(theirs / 10) : -1;
        config.level_increment = double(inc) / 1000;
        config.level_moves     = -1;
        config.analyze_mode    = 0;
        budget                 = Tplay::time_budget(int(limits.movestogo));
    }
    const int depth = limits.depth > 0 && !limits.infinite ? int(limits.depth) : 0;

    Move best = 0, reply = 0;
    if (root.gen_legal() != GEN_MOVES) {
        // Mate or stalemate on the board: nothing to search.
    } else if (!limits.ponder && !analysing && config.ENABLE_BOOK && config.book_on) {
        int        found = 0;
        const Move move  = book_move(root, game.game_ply, found);
        best             = move && game.is_legal(move) ? move : 0;
    }
    if (!best && root.gen_legal() == GEN_MOVES) {
        thinking_hook       = show_thinking;
        search_input_reader = poll_uci_input;
        config.analyze_mode = analysing ? 1 : 0;
        best                = search.think(root, 1, limits.ponder ? 1 : 0, depth, budget, 0, nullptr, 0);
        config.analyze_mode = 0;
        search.pondering    = 0;
        game.store_search_result();
        if (!best && root.gen_legal() == GEN_MOVES)
            best = root.moves[1];
        reply = expected_reply(best);
    }
    if (!heard.stop && (limits.infinite || analysing || (limits.ponder && !heard.ponderhit)))
        wait_for_release();
    send_bestmove(best, reply);
}
