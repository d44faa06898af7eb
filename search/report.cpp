#include "search/report.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/config.h"
#include "base/console.h"
#include "board/boarddata.h"
#include "board/notation.h"
#include "eval/evaluate.h"
#include "search/hash_table.h"
#include "search/search.h"
#include "tablebases/probe.h"

Tthinking_hook thinking_hook = nullptr;

namespace {

const char* const PHASE_NAMES[4]   = {"OUVERTURE", "DEVELPEMT", "FINALE", "Erreur !!"};
const char* const BOUND_MARKERS[4] = {" ?", ". ", "<=", ">="};

constexpr size_t SPLIT_WIDTH  = 80;
constexpr size_t SPLIT_FROM   = 20;
constexpr int    CONTINUATION = 27; // blanks before the second half of a split line

bool waiting_ponder() { return search.pondering && search.ponder_state != PONDER_HIT; }

int nodes_per_second() {
    const double seconds = search.elapsed();
    return seconds > 0 ? int(double(search.total_nodes()) / seconds) : 0;
}

std::string percentage(double part, double whole) {
    char text[32];
    if (whole == 0)
        return "0%";
    if (part != 0 && 1000 * part < whole)
        std::snprintf(text, sizeof text, "%.2lf%%", 100 * part / whole);
    else
        std::snprintf(text, sizeof text, "%.1lf%%", 100 * part / whole);
    return text;
}

void print_split(const std::string& line, bool log_only_prefix) {
    const char* prefix = log_only_prefix ? ">" : "";
    if (line.size() < SPLIT_WIDTH) {
        console.print("%s%s", prefix, line.c_str());
        return;
    }
    const size_t cut = line.find_last_of(' ', SPLIT_WIDTH - 1);
    if (cut == std::string::npos || cut < SPLIT_FROM) {
        console.print("%s%s", prefix, line.c_str());
        return;
    }
    console.print("%s%s\n%*s%s", prefix, line.substr(0, cut).c_str(), CONTINUATION, "",
                  line.substr(cut + 1).c_str());
}

// The hook's view of a line; scores not yet computed are never handed over.
void hand_to_hook(Move shown, int score, int flags, bool fail_high) {
    if (std::abs(score) >= 32001 || !shown)
        return;
    Move        line[MAX_PLY];
    int         length = 1;
    const Color side   = search.records[0].side_to_move();
    line[0]            = shown;
    if (!fail_high)
        length = hash_line_from_position(board_state.hash_key, side, shown, line, MAX_PLY);
    if (length < 1) {
        line[0] = shown;
        length  = 1;
    }
    thinking_hook({search.iteration_depth, score, flags & BOUND_MASK, fail_high, search.total_nodes(),
                   search.elapsed(), line, length, side});
}

} // namespace

std::string mate_text(int score) {
    if (score <= 31000)
        return "";
    char text[32];
    std::snprintf(text, sizeof text, "(MAT en %d)", (32001 - score) / 2);
    return text;
}

std::string score_text(int score, bool final_line) {
    char text[32];
    if (std::abs(score) >= 32001)
        return final_line ? "     " : "";
    if (std::abs(score) < 31000 || config.xboard_mode)
        std::snprintf(text, sizeof text, "%5d", score);
    else if (score > 0) {
        const int n = (32002 - score) / 2;
        std::snprintf(text, sizeof text, n > 9 ? "Mat%d" : "Mat0%d", n);
    } else {
        const int n = (score + 32001) / 2;
        std::snprintf(text, sizeof text, n > 9 ? "-Mat%d" : "-Mat0%d", n);
    }
    return text;
}

std::string pv_text(Move best_move) {
    Move        line[MAX_PLY];
    const int   length = hash_line_from_position(board_state.hash_key, search.records[0].side_to_move(),
                                                 best_move, line, MAX_PLY);
    std::string text;
    for (int i = 0; i < length; ++i) {
        char move_text[16];
        move_to_short(line[i], move_text, config.fritz_mode != 0);
        if (i)
            text += ' ';
        text += move_text;
    }
    return text;
}

void print_pv(Move best_move, const char* prefix) {
    if (search.iteration_depth < config.noise)
        return;
    const Troot_move* entry      = search.find_root_move(best_move);
    const int         score      = entry ? entry->score : SCORE_NOT_COMPUTED;
    const int         flags      = entry ? entry->flags : 0;
    const bool        final_line = std::strcmp(prefix, "->") == 0;
    if (thinking_hook) {
        // One line per iteration: its final one, with the best move the search settled on.
        if (final_line)
            hand_to_hook(best_move, score, flags, false);
        return;
    }

    std::string marker = *prefix ? prefix : BOUND_MARKERS[flags & BOUND_MASK];
    std::string shown  = score_text(score, final_line);
    if (shown.empty())
        return;
    if (std::abs(score) >= 32001)
        marker = ". ";

    char nodes[32];
    if (prefix[0] == '.' && prefix[1] >= '0' && prefix[1] <= '9')
        std::snprintf(nodes, sizeof nodes, "KMODE=%d", config.K_BEST_MODE);
    else
        std::snprintf(nodes, sizeof nodes, "%7ld", long(search.total_nodes()));

    char head[128];
    std::snprintf(head, sizeof head, "%2d%2s %s  %3.0lf  %s  ", search.iteration_depth, marker.c_str(),
                  shown.c_str(), search.elapsed(), nodes);
    std::string line = head;
    if (waiting_ponder()) {
        char pondered[16];
        move_to_short(search.pondered_move, pondered, false);
        line += " PONDER(";
        line += pondered;
        line += ") ";
    }
    line += pv_text(best_move);
    line += '\n';
    print_split(line, waiting_ponder());
}

void print_fail_high(Move m) {
    if (!(!config.in_game || !search.pondering || search.ponder_state == PONDER_HIT))
        return;
    if (search.iteration_depth < config.noise)
        return;
    if (thinking_hook) {
        // The move is worth at least the best so far.
        const Tboarddata& root = search.records[0];
        hand_to_hook(m, root.second_score, BOUND_LOWER, true);
        return;
    }
    char move_text[16];
    move_to_short(m, move_text, config.fritz_mode != 0);
    console.print("%2d%c%c %s  %3.0lf  %7ld  %s!?\n", search.iteration_depth, ':', ')', "  +++",
                  search.elapsed(), long(search.total_nodes()), move_text);
}

void print_k_best() {
    if (!(!config.in_game || !search.pondering || search.ponder_state == PONDER_HIT))
        return;
    for (int j = 0; j < search.nb_excluded; ++j) {
        char prefix[8];
        std::snprintf(prefix, sizeof prefix, ".%d", (j + 1) % 10);
        print_pv(search.excluded_moves[j], prefix);
    }
}

void print_statistics() {
    const double seconds = search.elapsed();
    const int    nps     = nodes_per_second();
    if (!config.opponent_name.empty()) {
        int score = search.iteration_score[1];
        for (int d = search.last_iteration; d >= 1; --d)
            if (search.iteration_bound[d] == BOUND_EXACT) {
                score = search.iteration_score[d];
                break;
            }
        console.print("whisper score = %.2lf, ply = %d, nps = %dk, time = %2.1lfs\n", score * 0.01,
                      search.last_iteration, nps / 1000, seconds);
    }
    const double nodes = double(node_count);
    console.print(" time:%2.2lfs, nodes:%d, nps:%d, evals:%d (%s)\n", seconds, int(node_count), nps,
                  int(eval_stats.full_evals), percentage(double(eval_stats.full_evals), nodes).c_str());

    std::string line = " HT Hit:" + percentage(double(hash_stats.hits), double(hash_stats.probes));
    char        ratio[64];
    std::snprintf(ratio, sizeof ratio, " (%d/%d)", int(hash_stats.hits), int(hash_stats.probes));
    line += ratio;
    line += ", HT Refut:" + percentage(double(hash_stats.refutations), double(hash_stats.probes));
    line +=
        ", HP Hit:"
        + percentage(double(eval_stats.pawn_probes - eval_stats.pawn_evals), double(eval_stats.pawn_probes));
    // The king-safety terms keep no hash of their own, so there is never an ", HK Hit:" part.
    if (tablebase_stats.probes) {
        std::snprintf(ratio, sizeof ratio, ", TB: %d", int(tablebase_stats.hits));
        line += ratio;
    }
    if (config.in_game && search.ponder_searches) {
        std::snprintf(ratio, sizeof ratio, ", Ponder Hit:%d/%d", search.ponder_hits, search.ponder_searches);
        line += ratio;
    }
    console.print("%s\n", line.c_str());
}

void print_search_state(const Tboarddata& record) {
    console.print("Trait :%s, profondeur:%d, Phase:%s, prof2reach:%d\n",
                  record.side == WHITE ? "white" : "black", board_state.ply,
                  PHASE_NAMES[search.global_phase & 3], search.iteration_depth);
    console.print("quiescence search:%s\n", record.depth < -5999 ? "TRUE" : "FALSE");
    console.print("possibilites de ROQUE : ");
    static const char* const RIGHTS[4] = {"O-O BLANC, ", "O-O-O BLANC, ", "O-O NOIR, ", "O-O-O NOIR"};
    for (int bit = 0; bit < 4; ++bit)
        if (record.castle & (1u << bit))
            console.print("%s", RIGHTS[bit]);
    console.print("\n");
    console.print("  nps: %5.0d\n", nodes_per_second());
    print_statistics();
}

void reset_search_statistics() {
    node_count = 0;
    eval_stats = {};
    hash_stats.reset();
    tablebase_stats = {};
}
