// The UCI loop: identification, options, readiness, the position and the search commands. In
// this mode standard output carries UCI alone; everything else still goes to the log.
#include "interface/uci.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "base/config.h"
#include "base/console.h"
#include "board/boarddata.h"
#include "interface/game.h"
#include "platform/platform.h"
#include "search/search.h"

namespace {

constexpr size_t UCI_LINE_SIZE = INPUT_BUFFER_SIZE; // "position" with the moves of any game

bool position_given = false;

void answer_uci() {
    console.send("id name %s\n", console.program_id.c_str());
    console.send("id author the Brelok developers\n");
    print_uci_options();
    console.send("uciok\n");
}

// "position startpos|fen FEN [moves M...]": all or nothing.
void set_position(const Twords& words) {
    std::string fen;
    size_t      at = 1;
    if (at < words.size() && words[at] == "startpos") {
        fen = STANDARD_START_FEN;
        ++at;
    } else if (at < words.size() && words[at] == "fen") {
        for (++at; at < words.size() && words[at] != "moves"; ++at)
            fen += (fen.empty() ? "" : " ") + words[at];
    } else {
        uci_tell("position needs startpos or fen: position kept");
        return;
    }
    Twords moves;
    if (at < words.size()) {
        if (words[at] != "moves") {
            uci_tell("unexpected " + words[at] + ": position kept");
            return;
        }
        moves.assign(words.begin() + long(at) + 1, words.end());
    }
    std::string error;
    if (!set_up_game(fen, moves, error)) {
        uci_tell(error + ": position kept");
        return;
    }
    position_given = true;
}

void new_game() {
    std::string error;
    set_up_game(STANDARD_START_FEN, {}, error);
    search.predicted_reply = 0;
    config.opponent_name.clear();
    position_given = false;
}

} // namespace

Twords split_line(const char* line) {
    Twords words;
    for (const char* p = line; *p;) {
        while (*p && isspace(static_cast<unsigned char>(*p)))
            ++p;
        const char* start = p;
        while (*p && !isspace(static_cast<unsigned char>(*p)))
            ++p;
        if (p > start)
            words.emplace_back(start, size_t(p - start));
    }
    return words;
}

void uci_tell(const std::string& text) {
    // Within one message: a long echo of the input is cut.
    constexpr size_t  LONGEST = 300;
    const std::string shown   = text.size() > LONGEST ? text.substr(0, LONGEST) + "..." : text;
    console.send("info string %s\n", shown.c_str());
}

void run_uci() {
    console.set_protocol_only(true);
    console.line_dropped = [](long bytes) {
        console.send("info string line of %ld bytes ignored: too long\n", bytes);
    };
    // Interfaces send no interrupts, and the scores in the log read as numbers.
    config.xboard_mode = 1;
    platform::ignore_signal(platform::SIGNAL_INTERRUPT);
    config.analyze_mode = 0;
    config.force_mode   = 1;
    new_game();
    answer_uci();

    static char line[UCI_LINE_SIZE + 1];
    for (;;) {
        if (!console.wait_line(line, sizeof line)) {
            console.print(">End of input: leaving the program\n");
            exit(0);
        }
        console.print("><\"%s\"\n", line);
        const Twords words = split_line(line);
        if (words.empty())
            continue;
        const std::string& command = words[0];
        if (command == "quit") {
            console.print(">Leaving the program\n");
            exit(0);
        } else if (command == "uci") {
            answer_uci();
        } else if (command == "isready") {
            console.send("readyok\n");
        } else if (command == "ucinewgame") {
            new_game();
        } else if (command == "position") {
            set_position(words);
        } else if (command == "go") {
            uci_go(words, position_given);
        } else if (command == "setoption") {
            uci_setoption(words);
        } else if (command == "stop" || command == "ponderhit" || command == "debug"
                   || command == "register") {
            // No search to stop: the answer went out with its bestmove.
        } else {
            uci_tell("unknown command: " + command);
        }
    }
}
