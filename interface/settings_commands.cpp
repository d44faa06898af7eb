// The settings commands (carried out at once by the reader) and the help text.
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "base/config.h"
#include "base/console.h"
#include "interface/commands.h"

namespace {

bool is_space(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }

// A number setting changed in memory and in brelok.ini at once. A value out of the setting's
// range is brought within it (the log says so), and the file gets the value in force.
int set_number(const char* line, const char* format, const char* key) {
    int        value     = 0;
    int* const targets[] = {&value};
    if (scan_numbers(line, format, targets, 1) != 1)
        return 0;
    char text[16];
    snprintf(text, sizeof text, "%d", config.set_number(key, value));
    config.set(key, text);
    return 1;
}

int do_flip(const char*) {
    config.flip = !config.flip;
    return 1;
}
int do_help(const char*) {
    print_help();
    return 1;
}
int do_selectivite(const char* line) { return set_number(line, "selectivite %d", "selectivite"); }
int do_min_sd(const char* line) { return set_number(line, "min_sd %d", "min_sd"); }
int do_max_sd(const char* line) { return set_number(line, "max_sd %d", "max_sd"); }
int do_draw_score(const char* line) { return set_number(line, "DRAW_SCORE %d", "DRAW_SCORE"); }
int do_noiseply(const char* line) { return set_number(line, "noiseply %d", "noise"); }
int do_book(const char* line) {
    // Lasts until the game loop sets a position up again.
    config.book_on = strstr(line, "off") ? 0 : 1;
    return 1;
}
int do_log(const char* line) {
    config.log_on = strstr(line, "off") ? 0 : 1;
    return 1;
}
int do_xboard(const char*) {
    config.xboard_mode = 1;
    return 1;
}
int do_random(const char*) {
    config.random_on = !config.random_on;
    return 1;
}
int do_beep(const char*) {
    config.beep_on = !config.beep_on;
    return 1;
}
int do_bogus(const char*) {
    console.print("\n");
    return 1;
}
int do_nothing(const char*) { return 1; }
int do_nopost(const char*) {
    config.post_on = 0;
    return 1;
}
int do_post(const char*) {
    config.post_on = 1;
    return 1;
}
int do_hard(const char*) {
    console.print(">Enable Pondering\n");
    config.ponder_on = 1;
    config.hard_on   = 1;
    return 1;
}
int do_easy(const char*) {
    console.print(">Disable Pondering\n");
    config.ponder_on = 0;
    config.hard_on   = 0;
    return 1;
}
int do_fritz(const char*) {
    config.fritz_mode = 1;
    console.print(">Playing under Fritz\n");
    return 1;
}
// The increment may have a fraction of a second ("level 0 0:01 0.1"): `rest` is what follows its
// whole seconds.
double increment_of(int whole, const char* rest) {
    double     fraction = 0;
    const auto read     = rest[0] == '.' && whole >= 0
                              ? std::from_chars(rest, rest + strlen(rest), fraction)
                              : std::from_chars_result{rest, std::errc::invalid_argument};
    return read.ec == std::errc() ? whole + fraction : whole;
}

int do_level(const char* line) {
    // Fields keep what was read even when a form fails.
    int         seconds   = 0;
    int         increment = 0;
    int* const  clock[]   = {&config.level_moves, &config.level_minutes, &seconds, &increment};
    const char* rest      = line;
    if (scan_numbers(line, "level %d %d:%d %d", clock, 4, &rest) == 4) {
        config.level_minutes += seconds / 60;
        config.level_increment = increment_of(increment, rest);
        return 1;
    }
    int* const simple[] = {&config.level_moves, &config.level_minutes, &increment};
    if (scan_numbers(line, "level %d %d %d", simple, 3, &rest) != 3)
        return 0;
    config.level_increment = increment_of(increment, rest);
    return 1;
}
int do_ponder(const char* line) {
    if (strstr(line, "off")) {
        console.print(">Disable Pondering\n");
        config.ponder_on = 0;
    } else {
        console.print(">Enable Pondering\n");
        config.ponder_on = 1;
    }
    return 1;
}
int do_otim(const char* line) {
    int* const targets[] = {&config.otim_left};
    return scan_numbers(line, "otim %d", targets, 1) == 1 ? 1 : 0;
}
int do_time(const char* line) {
    int* const targets[] = {&config.time_left};
    return scan_numbers(line, "time %d", targets, 1) == 1 ? 1 : 0;
}

enum class Tmatch { IS, CONTAINS };

struct Tsettings_entry {
    Tmatch      match;
    const char* text;
    int (*action)(const char* line);
};

// Tried in this order: the substring tests make it matter ("otim" before "time", the numbered
// settings before "book" and "log").
constexpr Tsettings_entry SETTINGS_COMMANDS[] = {
    {Tmatch::IS, "flip", do_flip},
    {Tmatch::CONTAINS, "help", do_help},
    {Tmatch::CONTAINS, "selectivite", do_selectivite},
    {Tmatch::CONTAINS, "min_sd", do_min_sd},
    {Tmatch::CONTAINS, "max_sd", do_max_sd},
    {Tmatch::CONTAINS, "DRAW_SCORE", do_draw_score},
    {Tmatch::CONTAINS, "noiseply", do_noiseply},
    {Tmatch::CONTAINS, "book", do_book},
    {Tmatch::CONTAINS, "log", do_log},
    {Tmatch::IS, "xboard", do_xboard},
    {Tmatch::IS, "random", do_random},
    {Tmatch::IS, "beep", do_beep},
    {Tmatch::IS, "bogus", do_bogus},
    {Tmatch::IS, "hint", do_nothing},
    {Tmatch::IS, "white", do_nothing},
    {Tmatch::IS, "black", do_nothing},
    {Tmatch::IS, "nopost", do_nopost},
    {Tmatch::IS, "post", do_post},
    {Tmatch::IS, "hard", do_hard},
    {Tmatch::IS, "easy", do_easy},
    {Tmatch::IS, "fritz", do_fritz},
    {Tmatch::CONTAINS, "level", do_level},
    {Tmatch::CONTAINS, "ponder", do_ponder},
    {Tmatch::CONTAINS, "otim", do_otim},
    {Tmatch::CONTAINS, "time", do_time},
};

} // namespace

int scan_numbers(const char* text, const char* format, int* const* targets, int nb_targets,
                 const char** stop) {
    int read = 0;
    while (*format != '\0') {
        if (is_space(*format)) {
            while (is_space(*text))
                ++text;
            ++format;
        } else if (format[0] == '%' && format[1] == 'd') {
            if (read == nb_targets)
                return read;
            while (is_space(*text))
                ++text;
            // from_chars takes a minus sign but not a plus sign.
            const bool  plus  = *text == '+';
            const char* start = plus ? text + 1 : text;
            const char* digit = !plus && *start == '-' ? start + 1 : start;
            if (!isdigit(static_cast<unsigned char>(*digit)))
                return read;
            int        value  = 0;
            const auto result = std::from_chars(start, start + strlen(start), value);
            if (result.ec != std::errc())
                return read; // out of range: refused rather than wrapped
            *targets[read++] = value;
            text             = result.ptr;
            if (stop)
                *stop = text;
            format += 2;
        } else {
            if (*text != *format)
                return read;
            ++text;
            ++format;
        }
    }
    return read;
}

int settings_command(const char* line) {
    if (line[0] == '\0')
        return 1;
    for (const Tsettings_entry& entry : SETTINGS_COMMANDS) {
        const bool matches =
            entry.match == Tmatch::IS ? strcmp(line, entry.text) == 0 : strstr(line, entry.text) != nullptr;
        if (matches)
            return entry.action(line);
    }
    return 0;
}

void print_help() {
    const bool pondering = config.ponder_on && config.ENABLE_PONDERING;
    console.print("%s\n", console.program_id.c_str());
    console.print("Brelok, a chess engine for the xboard protocol and the console\n");
    console.print("Releases and sources: see the Brelok project's home page\n");
    console.print("selectivite x   : Set the selectivity to x (x==%d)\n", config.selectivite);
    console.print("min_sd x        : Set the minimal searchDepth to x (x==%d)\n", config.min_sd);
    console.print("max_sd x        : Set the maximum searchDepth to x (x==%d)\n", config.max_sd);
    console.print("DRAW_SCORE x    : Set the DRAW SCORE to x (x==%d)\n", config.DRAW_SCORE);
    console.print("noiseply x         : Set the noise to x (x==%d)\n", config.noise);
    console.print("ponder on/off   : Use pondering (ponder==%s)\n", pondering ? "on" : "off");
    console.print("book on/off     : Use opening book (book==%s)\n", config.book_on ? "on" : "off");
    console.print("log on/off      : Log data in the ditrectory \"./log\" (log==%s)\n",
                  config.log_on ? "on" : "off");
    console.print("quit            : Leave the program\n");
    console.print("undo            : Back to previous boarddata\n");
    console.print("remove          : Undo + undo\n");
    console.print("?               : Force move\n");
    console.print("fusion s1 s2 d1 : store in 'd1' a book made with 's1' & 's2'\n");
    console.print("makebook pgn bin: make the book 'bin' from the 'pgn' file\n");
    console.print("makesbook       : update the special book %s from %s\n", "b_style.bin", "b_style.txt");
    console.print("test epd_filename s1 [s2]: process the file 'epd_filename' (s1: number of "
                  "seconds/position)\n");
}
