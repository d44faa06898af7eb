// UCI "go": the limits, the search with its input watched (isready, stop, ponderhit), one info
// line per iteration and fail-high, and the bestmove with the reply expected.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/command_codes.h"
#include "base/config.h"
#include "base/console.h"
#include "board/boarddata.h"
#include "board/notation.h"
#include "book/book.h"
#include "interface/commands.h"
#include "interface/game.h"
#include "interface/play.h"
#include "interface/uci.h"
#include "search/score.h"
#include "search/search.h"

namespace {

constexpr size_t INFO_TEXT_LIMIT = 480; // an info line stays within one console message

struct Tlimits {
    long long         wtime = -1, btime = -1, winc = 0, binc = 0, movestogo = 0, movetime = -1;
    long long         depth = 0, nodes = 0, mate = 0;
    bool              infinite = false, ponder = false;
    bool              searchmoves_given = false;
    std::vector<Move> searchmoves; // legal, each once
};

// What the input said while the search ran.
struct Tgo_input {
    bool stop      = false;
    bool ponderhit = false;
} heard;

// The numbers "go" takes. A clock or a time below its least is raised to it (a clock at 0 or
// under still asks for a quick move); a depth, node count or mate distance below 1 is refused.
// Above the most, a number is brought down to it: no figure ever overflows the search's own.
struct Tnumber {
    const char* name;
    long long Tlimits::*field;
    long long           least, most;
    bool                raised; // below the least: raised to it, else refused
};
constexpr long long MOST_MILLISECONDS = 1000000000LL;
// clang-format off
const Tnumber NUMBERS[] = {
    {"wtime",     &Tlimits::wtime,     0, MOST_MILLISECONDS, true},
    {"btime",     &Tlimits::btime,     0, MOST_MILLISECONDS, true},
    {"winc",      &Tlimits::winc,      0, MOST_MILLISECONDS, true},
    {"binc",      &Tlimits::binc,      0, MOST_MILLISECONDS, true},
    {"movestogo", &Tlimits::movestogo, 0, 1000000,           true},
    {"movetime",  &Tlimits::movetime,  0, MOST_MILLISECONDS, true},
    {"depth",     &Tlimits::depth,     1, 1000000,           false},
    {"nodes",     &Tlimits::nodes,     1, INT64_MAX,         false},
    {"mate",      &Tlimits::mate,      1, 1000,              false},
};
// clang-format on

// The words that end a searchmoves list.
bool is_go_keyword(const std::string& word) {
    for (const Tnumber& entry : NUMBERS)
        if (word == entry.name)
            return true;
    return word == "infinite" || word == "ponder" || word == "searchmoves";
}

enum class Treading { NUMBER, NOT_A_NUMBER, OUT_OF_RANGE };

// A whole word as a decimal integer with an optional sign; out of range, the value is the
// nearest end of the range.
Treading read_integer(const std::string& text, long long& value) {
    const char* start = text.c_str() + (text[0] == '+' ? 1 : 0);
    const char* end   = text.c_str() + text.size();
    if (start == end || (start != text.c_str() && !isdigit(static_cast<unsigned char>(*start))))
        return Treading::NOT_A_NUMBER;
    const auto [stop, error] = std::from_chars(start, end, value);
    if (stop != end || (error != std::errc() && error != std::errc::result_out_of_range))
        return Treading::NOT_A_NUMBER;
    if (error == std::errc::result_out_of_range) {
        value = *start == '-' ? LLONG_MIN : LLONG_MAX;
        return Treading::OUT_OF_RANGE;
    }
    return Treading::NUMBER;
}

// The number after words[at] into its field; words[at + 1] is consumed unless it is missing.
void read_limit(const Tnumber& number, const Twords& words, size_t& at, Tlimits& limits) {
    const std::string name = number.name;
    if (at + 1 >= words.size() || is_go_keyword(words[at + 1])) {
        uci_tell("go " + name + " needs a number: ignored");
        return;
    }
    const std::string& text    = words[++at];
    long long          value   = 0;
    const Treading     reading = read_integer(text, value);
    if (reading == Treading::NOT_A_NUMBER) {
        uci_tell("go " + name + " needs a number, not " + text + ": ignored");
        return;
    }
    if (value < number.least && !number.raised) {
        uci_tell("go " + name + " needs a positive number, not " + text + ": ignored");
        return;
    }
    const long long kept = std::clamp(value, number.least, number.most);
    if (reading == Treading::OUT_OF_RANGE)
        uci_tell("go " + name + ": " + text + " is out of range, taken as " + std::to_string(kept));
    limits.*(number.field) = kept;
}

// The root moves after "searchmoves", up to the next keyword: unreadable or illegal ones are
// told and left out.
void read_searchmoves(const Twords& words, size_t& at, Tlimits& limits) {
    limits.searchmoves_given = true;
    while (at + 1 < words.size() && !is_go_keyword(words[at + 1])) {
        const std::string& text = words[++at];
        Move               move = 0;
        if (!read_move(move, text.c_str(), board_state.board_type, game.root.side_to_move())
            || !game.is_legal(move)) {
            uci_tell("go searchmoves: illegal move " + text + " ignored");
            continue;
        }
        if (std::find(limits.searchmoves.begin(), limits.searchmoves.end(), move) == limits.searchmoves.end())
            limits.searchmoves.push_back(move);
    }
}

void parse_limits(const Twords& words, Tlimits& limits) {
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "infinite") {
            limits.infinite = true;
        } else if (word == "ponder") {
            limits.ponder = true;
        } else if (word == "searchmoves") {
            read_searchmoves(words, i, limits);
        } else {
            const Tnumber* known = nullptr;
            for (const Tnumber& entry : NUMBERS)
                if (word == entry.name)
                    known = &entry;
            if (known)
                read_limit(*known, words, i, limits);
            else
                uci_tell("go: unknown word " + word + " ignored");
        }
    }
    if (limits.searchmoves_given && limits.searchmoves.empty())
        uci_tell("go searchmoves: no legal move given, every move searched");
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
    const long  ours  = long(us == WHITE ? limits.wtime : limits.btime);
    const long  inc   = long(us == WHITE ? limits.winc : limits.binc);
    const bool  timed = ours >= 0 && limits.movetime < 0 && !limits.infinite;
    heard             = {};
    // Without wtime or btime no clock runs down, whatever "time_left" still holds.
    config.fixed_per_move = timed ? 0 : 1;

    Ttime_budget budget;
    if (limits.movetime >= 0 && !limits.infinite) {
        budget = fixed_time_budget(double(limits.movetime) / 1000);
    } else if (timed) {
        const long theirs      = long(us == WHITE ? limits.btime : limits.wtime);
        config.time_left       = int(ours / 10);
        config.otim_left       = theirs >= 0 ? int(theirs / 10) : -1;
        config.level_increment = double(inc) / 1000;
        config.level_moves     = -1;
        config.analyze_mode    = 0;
        budget                 = Tplay::time_budget(int(limits.movestogo));
    }
    // Mate in n moves is found by depth 2n - 1: the search goes one ply further.
    long long depth = limits.infinite ? 0 : limits.depth;
    if (limits.mate > 0 && !limits.infinite)
        depth = depth > 0 ? std::min(depth, 2 * limits.mate) : 2 * limits.mate;

    Move best = 0, reply = 0;
    if (root.gen_legal() != GEN_MOVES) {
        // Mate or stalemate on the board: nothing to search.
    } else if (!limits.ponder && !limits.infinite && limits.mate == 0 && limits.searchmoves.empty()
               && config.ENABLE_BOOK && config.book_on) {
        int        found = 0;
        const Move move  = book_move(root, game.played_plies(), found);
        best             = move && game.is_legal(move) ? move : 0;
    }
    if (!best && root.gen_legal() == GEN_MOVES) {
        thinking_hook          = show_thinking;
        search_input_reader    = poll_uci_input;
        config.analyze_mode    = limits.infinite ? 1 : 0;
        search.node_limit      = limits.infinite ? 0 : limits.nodes;
        search.mate_limit      = limits.infinite ? 0 : int(limits.mate);
        search.nb_search_moves = int(limits.searchmoves.size());
        std::copy(limits.searchmoves.begin(), limits.searchmoves.end(), search.search_moves);
        best                = search.think(root, 1, limits.ponder ? 1 : 0, int(depth), budget, 0, nullptr, 0);
        config.analyze_mode = 0;
        search.pondering    = 0;
        game.store_search_result();
        if (!best && root.gen_legal() == GEN_MOVES)
            best = limits.searchmoves.empty() ? root.moves[1] : limits.searchmoves[0];
        reply = expected_reply(best);
    }
    // Only an infinite search and a ponder search wait to be released: any other answers as
    // soon as it ends, by its limits or at "stop".
    if (!heard.stop && (limits.infinite || (limits.ponder && !heard.ponderhit)))
        wait_for_release();
    send_bestmove(best, reply);
}
