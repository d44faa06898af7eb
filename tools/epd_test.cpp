// The EPD test-suite runner: every position of the file is searched, the chosen move is judged
// against the line's "bm" list, and the scores go to the console, a numbered result file next to
// the suite, and the cumulative tests.log.
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/append_file.h"
#include "base/console.h"
#include "board/boarddata.h"
#include "board/notation.h"
#include "board/san_move.h"
#include "search/report.h"
#include "search/search.h"
#include "tools/date_text.h"
#include "tools/text_lines.h"
#include "tools/tools.h"

namespace {

constexpr int         MAX_EXPECTED     = 32;
constexpr int         MAX_RESULT_FILES = 999;
constexpr const char* DIAG_SUITE       = "EPD2DIAG.EPD";

// The root of each test position; the search copies it in and back.
Tboarddata test_root;

bool file_readable(const std::string& name) {
    FILE* file = std::fopen(name.c_str(), "r");
    if (file == nullptr)
        return false;
    std::fclose(file);
    return true;
}

// suite.epd gives suite.001, then suite.002 once that exists. The cut is made in the file's own
// name: a "." in the directory part ("../suites/x.epd") must not decide where the result goes.
std::string result_file_name(const char* file_name) {
    if (std::strcmp(file_name, DIAG_SUITE) == 0)
        return "EPD2DIAG.001";
    std::string  stem  = file_name;
    const size_t slash = stem.find_last_of("/\\");
    size_t       base  = slash == std::string::npos ? 0 : slash + 1;
    while (base < stem.size() && stem[base] == '.')
        ++base; // a hidden file's leading dot is part of its name
    const size_t dot = stem.find('.', base);
    if (dot != std::string::npos)
        stem.resize(dot);
    char        number[16];
    std::string name;
    for (int n = 1; n <= MAX_RESULT_FILES; ++n) {
        std::snprintf(number, sizeof number, ".%03d", n);
        name = stem + number;
        if (!file_readable(name))
            break;
    }
    return name; // all taken: the 999th is used again
}

// The moves after the first "bm", read until the first word that is not a legal move here.
int read_expected_moves(const Tboarddata& node, const char* line, Move* expected) {
    const char* p = std::strstr(line, "bm");
    if (p == nullptr)
        return 0;
    p += 2;
    int nb = 0;
    while (nb < MAX_EXPECTED) {
        while (*p == ' ' || *p == '\t' || *p == ';' || *p == '\r' || *p == '\v' || *p == '\f')
            ++p;
        if (*p == '\0')
            break;
        char   word[TOOL_LINE_LENGTH + 1];
        size_t length = 0;
        while (*p && *p != ' ' && *p != '\t' && *p != ';' && *p != '\r' && *p != '\v' && *p != '\f')
            word[length++] = *p++;
        word[length]    = '\0';
        const Move move = read_san_move(node, word);
        if (move == 0)
            break;
        expected[nb++] = move;
    }
    return nb;
}

std::string move_text(Move m) {
    char text[16];
    move_to_short(m, text, false);
    return text;
}

std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string formatted(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(length > 0 ? size_t(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), size_t(length) + 1, format, again);
    va_end(again);
    return text;
}

int clamp_to_int(int64_t value) { return value > INT_MAX ? INT_MAX : int(value); }

double since_start(double when) {
    const double start = search.iteration_start[1];
    return when >= 0 && start >= 0 && when > start ? when - start : 0.0;
}

// The first iteration from which `chosen` stayed the best move to the end of the search.
int first_stable_iteration(Move chosen) {
    int d = search.last_iteration;
    while (d > 1 && search.iteration_best[d] != chosen)
        --d; // an iteration cut short before it had a move
    while (d > 1 && search.iteration_best[d - 1] == chosen)
        --d;
    return d < 1 ? 1 : d;
}

// The root's score, unless the clock cut the last iteration short: it then holds the abort
// marker, which would read as a mate, and the score of the latest exact iteration is used, as
// the search itself does for its result.
int root_score(const Tboarddata& root) {
    int score = result_score(root);
    if (std::abs(score) < SCORE_INFINITE)
        return score;
    score = search.iteration_score[1];
    for (int d = search.last_iteration; d >= 1; --d)
        if (search.iteration_bound[d] == BOUND_EXACT) {
            score = search.iteration_score[d];
            break;
        }
    return std::abs(score) >= SCORE_INFINITE ? 0 : score;
}

int root_rank(Move m) {
    for (int i = 0; i < search.nb_root_moves; ++i)
        if (search.root_moves[i].move == m)
            return i + 1;
    return 0;
}

void append_result_line(const std::string& result_name, const std::string& text) {
    FILE* file = std::fopen(result_name.c_str(), "r+");
    if (file == nullptr)
        return;
    if (std::fseek(file, 0, SEEK_END) == 0)
        std::fputs(text.c_str(), file);
    std::fclose(file);
}

// The position's line in the result file: where the solution was found, or what was chosen.
void write_result_line(const std::string& result_name, const Tboarddata& root, int number, Move chosen,
                       bool solved, const std::string& expected_text) {
    const std::string mate  = mate_text(root_score(root));
    const int         nodes = clamp_to_int(search.total_nodes());
    const double      total =
        since_start(search.iteration_end[search.last_iteration > 0 ? search.last_iteration : 1]);
    if (solved) {
        const int from = first_stable_iteration(chosen);
        append_result_line(result_name,
                           formatted("found %2d: %5s %s at ply %2d in %2.1lf s (%d eval in %2.1lf s)\n",
                                     number, move_text(chosen).c_str(), mate.c_str(), from,
                                     since_start(search.last_change[from]), nodes, total));
    } else {
        append_result_line(result_name,
                           formatted("not found %d: choose %5s %s instead of %5s (%d eval in %2.1lf s)\n",
                                     number, move_text(chosen).c_str(), mate.c_str(), expected_text.c_str(),
                                     nodes, total));
    }
}

} // namespace

int run_epd_test(const char* file_name, int depth, double seconds, int stable) {
    FILE* suite = std::fopen(file_name, "r");
    if (suite == nullptr) {
        console.print("Impossible d'ouvrir le fichier %s !\n", file_name);
        return 0;
    }
    const std::string result_name = result_file_name(file_name);
    // With every number taken, the reused name could be the suite itself: never truncate it.
    FILE* created = result_name == file_name ? nullptr : std::fopen(result_name.c_str(), "w");
    if (created == nullptr) {
        std::fclose(suite);
        return 0;
    }
    std::fclose(created);

    int         nb_positions = 0, nb_with_expected = 0, nb_solved = 0;
    std::string summary;
    char        line[TOOL_LINE_LENGTH + 1];
    while (read_text_line(suite, line, sizeof line)) {
        Tboarddata& root = test_root;
        if (root.set_fen(line) != 1)
            continue;
        root.gen_legal();
        Move      expected[MAX_EXPECTED];
        const int nb_expected = read_expected_moves(root, line, expected);
        ++nb_positions;
        if (nb_expected > 0)
            ++nb_with_expected;

        std::string expected_text;
        for (int k = 0; k < nb_expected; ++k) {
            if (k > 0)
                expected_text += ' ';
            expected_text += move_text(expected[k]);
        }
        console.print("\n");
        print_board();
        root.print_fen();
        if (nb_expected == 0)
            console.print("No best move provided\n");
        else
            console.print("Looking for %s\n", expected_text.c_str());

        const Move chosen = search.think(root, 0, 0, depth, seconds, stable, expected, nb_expected);
        bool       solved = false;
        for (int k = 0; k < nb_expected; ++k)
            solved |= expected[k] == chosen;
        if (solved) {
            ++nb_solved;
        } else {
            for (int k = 0; k < nb_expected; ++k) {
                console.print("Rank#%02d :\n", root_rank(expected[k]));
                print_pv(expected[k], "");
            }
        }

        summary = formatted("\"%s\", %s, %2d/%d solved, Time:%.0lfs, Consec:%d\n", file_name,
                            date_text().c_str(), nb_solved, nb_positions, seconds, stable);
        console.print("%s", summary.c_str());

        write_result_line(result_name, root, nb_positions, chosen, solved, expected_text);
    }
    std::fclose(suite);

    // A file without a single position has no score to log.
    if (nb_positions > 0 && std::strcmp(file_name, DIAG_SUITE) != 0)
        append_to_file("tests.log", summary.c_str(), 0, 0);
    if (nb_with_expected > 0) {
        append_result_line(result_name, summary);
        console.print("The log file %s has been created.\n", result_name.c_str());
    } else {
        std::remove(result_name.c_str());
    }
    return 1;
}
