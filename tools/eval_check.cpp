// The evaluation self-check: each line of badeval.epd carries the values its position must give
// (ranges for phase, eval and nb_moves, true or false for four pawn-structure predicates); every
// miss goes to the console and to bade_log.epd.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/append_file.h"
#include "base/console.h"
#include "board/boarddata.h"
#include "board/notation.h"
#include "eval/pawn_structure.h"
#include "search/search.h"
#include "tools/text_lines.h"
#include "tools/tools.h"

namespace {

constexpr const char* CHECK_FILE = "badeval.epd";
constexpr const char* CHECK_LOG  = "bade_log.epd";
constexpr int         NO_LOWER   = -32700;
constexpr int         NO_UPPER   = 32700;
constexpr int         MAX_DIGITS = 9; // more cannot be a meaningful bound

Tboarddata check_root;

// A decimal integer right at p (optional sign); false when there is none.
bool read_integer(const char* p, int& value) {
    int sign = 1;
    if (*p == '-' || *p == '+')
        sign = *p++ == '-' ? -1 : 1;
    if (*p < '0' || *p > '9')
        return false;
    long result = 0;
    for (int digits = 0; *p >= '0' && *p <= '9'; ++p)
        if (++digits <= MAX_DIGITS)
            result = result * 10 + (*p - '0');
    value = int(sign * result);
    return true;
}

// The first "name>=", "name<=" and "name==" of the line; false when none of them is there.
bool read_range(const char* line, const char* name, int& lower, int& upper) {
    lower              = NO_LOWER;
    upper              = NO_UPPER;
    bool        tested = false;
    std::string key;
    int         value = 0;
    for (const char* form : {">=", "<=", "=="}) {
        key               = std::string(name) + form;
        const char* found = std::strstr(line, key.c_str());
        if (found == nullptr || !read_integer(found + key.size(), value))
            continue;
        tested = true;
        if (form[0] != '<')
            lower = value;
        if (form[0] != '>')
            upper = value;
    }
    return tested;
}

// The first occurrence of the predicate's name, a "!" just before it, and the square after one
// separator; false when the name is absent or the square does not read.
bool read_predicate(const char* line, const char* name, bool& negated, Square& s) {
    const char* found = std::strstr(line, name);
    if (found == nullptr)
        return false;
    negated           = found > line && found[-1] == '!';
    const char* where = found + std::strlen(name);
    if (*where == '\0')
        return false;
    const char file = char(where[1] | 0x20); // either case
    const char rank = where[1] == '\0' ? '\0' : where[2];
    if (file < 'a' || file > 'h' || rank < '1' || rank > '8')
        return false;
    s = make_square(file - 'a', rank - '1');
    return true;
}

bool predicate_value(int which, Square s) {
    const Tboard& b = board_state;
    switch (which) {
    case 0: return b.board_type[s] == PAWN && is_outside_pawn(s, b.board[s] > 0 ? WHITE : BLACK);
    case 1: return (is_weak_square() & square_bb(s)) != 0;
    case 2: return b.board_type[s] == PAWN && (is_passed_pawn() & square_bb(s)) != 0;
    default: return is_weak_pawn(s);
    }
}

constexpr const char* PREDICATE_NAMES[4] = {"is_outside_pawn", "is_weak_square", "is_passed_pawn",
                                            "is_weak_pawn"};

// Prints the failure and adds it to the log; a log that cannot be written does not hide it.
void report_failure(const std::string& text) {
    console.print("%s", text.c_str());
    append_to_file(CHECK_LOG, text.c_str(), 1, 0);
}

// The checks of one position; the number of failures.
int check_position(const char* line, const Tboarddata& record) {
    int failures = 0;
    const struct {
        const char* name;
        int         value;
    } terms[3] = {{"phase", record.phase}, {"eval", record.eval_score}, {"nb_moves", record.nb_moves}};
    for (const auto& term : terms) {
        int lower = 0, upper = 0;
        if (!read_range(line, term.name, lower, upper) || (term.value >= lower && term.value <= upper))
            continue;
        ++failures;
        char text[64];
        std::snprintf(text, sizeof text, "KO, %s (%4d) is WRONG\n", term.name, term.value);
        report_failure(std::string(line) + "\n" + text);
    }
    for (int which = 0; which < 4; ++which) {
        bool   negated = false;
        Square s       = 0;
        if (!read_predicate(line, PREDICATE_NAMES[which], negated, s) || predicate_value(which, s) != negated)
            continue;
        ++failures;
        char text[64];
        std::snprintf(text, sizeof text, "KO, %c%s(%s) is WRONG\n", negated ? '!' : ' ',
                      PREDICATE_NAMES[which], SQUARE_NAMES[s]);
        report_failure(std::string(line) + "\n" + text);
    }
    return failures;
}

} // namespace

int check_evaluation() {
    FILE* file = std::fopen(CHECK_FILE, "r");
    if (file == nullptr) {
        console.print("Impossible d'ouvrir le fichier %s !\n", CHECK_FILE);
        return 0;
    }
    std::remove(CHECK_LOG);

    int  nb_positions = 0, nb_errors = 0;
    char line[TOOL_LINE_LENGTH + 1];
    while (read_text_line(file, line, sizeof line)) {
        Tboarddata& record = check_root;
        if (record.set_fen(line) != 1)
            continue;
        ++nb_positions;
        console.print("%s\n", line);
        search.evaluate_position(record);
        if (check_position(line, record) > 0) {
            ++nb_errors;
            console.print("Errors: %d/%d\n", nb_errors, nb_positions);
            console.print("%s\n", line);
        }
    }
    console.print("\nFinished, errors: %d/%d\n", nb_errors, nb_positions);
    std::fclose(file);
    return 1;
}
