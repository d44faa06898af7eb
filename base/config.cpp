// The settings object: its construction (ticker, then every key in table order) and the table of
// keys itself.
#include "base/config.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include "base/console.h"
#include "platform/platform.h"

namespace {

enum class Tkind { TEXT, INT, BOOL };

struct Tsetting {
    const char* key;
    Tkind       kind;
    const char* text_default;              // TEXT
    int         number_default;            // INT; BOOL: 1 TRUE, 0 FALSE
    int Tconfig::*field;                   // INT and BOOL
    void (*store)(Tconfig&, std::string&); // TEXT
    int lowest;                            // INT: the range the value is kept within
    int highest;
    int Tconfig::*ceiling; // INT: another setting the value may not pass, or null
};

void store_debug_line(Tconfig& c, std::string& value) {
    c.debug_line.clear();
    size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && isspace(static_cast<unsigned char>(value[i])))
            ++i;
        const size_t start = i;
        while (i < value.size() && !isspace(static_cast<unsigned char>(value[i])))
            ++i;
        if (i > start)
            c.debug_line.emplace_back(value, start, i - start);
    }
}

void store_debug_epd(Tconfig& c, std::string& value) { c.debug_epd = value; }

void store_tb_path(Tconfig& c, std::string& value) {
    while (!value.empty() && value.back() == '\\')
        value.pop_back();
    c.tb_path = value;
}

constexpr Tsetting text(const char* key, const char* value, void (*store)(Tconfig&, std::string&)) {
    return {key, Tkind::TEXT, value, 0, nullptr, store, 0, 0, nullptr};
}
constexpr Tsetting number(const char* key, int value, int Tconfig::*field, int lowest, int highest,
                          int Tconfig::*ceiling = nullptr) {
    return {key, Tkind::INT, nullptr, value, field, nullptr, lowest, highest, ceiling};
}
constexpr Tsetting flag(const char* key, bool value, int Tconfig::*field) {
    return {key, Tkind::BOOL, nullptr, value ? 1 : 0, field, nullptr, 0, 0, nullptr};
}

// Bounds of the number settings.
constexpr int ANY_LOW     = INT_MIN; // codes and debug values that nothing computes with
constexpr int ANY_HIGH    = INT_MAX;
constexpr int MOST_K_BEST = 256;             // more best moves than any position has
constexpr int MOST_NOISE  = DEEPEST_PLY + 1; // beyond every iteration: no thinking lines at all
// Ten pawns: more contempt than any position calls for, and far from the mate scores.
constexpr int MOST_DRAW_SCORE = 1000;
// The clock is heeded only once the search reaches min_sd plies: a floor much deeper than this
// takes minutes in the middle game, and the engine would no longer move on time.
constexpr int MOST_MIN_SD = 10;

// The order of this table is the order of the lines of a new brelok.ini. DEBUG_TEST is not
// here: main reads it, after the construction.
// clang-format off
// constexpr: the settings object is built from another file, possibly before this one's
// dynamic initialisation would have run.
constexpr Tsetting SETTINGS[] = {
    text("DEBUG_LINE",                         "",     store_debug_line),
    text("DEBUG_EPD",                          "",     store_debug_epd),
    text("TBPATH",                             "./TB", store_tb_path),
    number("ECART_DEBUG_INFO",                 1,     &Tconfig::ECART_DEBUG_INFO, 1, ANY_HIGH),
    number("DEBUT_DEBUG_INFO",                 0,     &Tconfig::DEBUT_DEBUG_INFO, ANY_LOW, ANY_HIGH),
    number("FIN_DEBUG_INFO",                   0,     &Tconfig::FIN_DEBUG_INFO, ANY_LOW, ANY_HIGH),
    number("START_DEBUG_INTERACTIF",           0,     &Tconfig::START_DEBUG_INTERACTIF, ANY_LOW, ANY_HIGH),
    number("K_BEST_MODE",                      1,     &Tconfig::K_BEST_MODE, 1, MOST_K_BEST),
    number("OPPONENT_TYPE",                    0,     &Tconfig::OPPONENT_TYPE, ANY_LOW, ANY_HIGH),
    number("noise",                            1,     &Tconfig::noise, 0, MOST_NOISE),
    number("DRAW_SCORE",                       0,     &Tconfig::DRAW_SCORE, -MOST_DRAW_SCORE, MOST_DRAW_SCORE),
    number("SIZE_HP",                          2,     &Tconfig::SIZE_HP, 0, MAX_SIZE_HP),
    number("SIZE_HT",                          8,     &Tconfig::SIZE_HT, 0, MAX_SIZE_HT),
    number("min_sd",                           1,     &Tconfig::min_sd, 1, MOST_MIN_SD, &Tconfig::max_sd),
    number("max_sd",                           35,    &Tconfig::max_sd, 1, DEEPEST_PLY),
    number("selectivite",                      25,    &Tconfig::selectivite, 0, DEEPEST_PLY),
    flag("ENABLE_BOOK",                        true,  &Tconfig::ENABLE_BOOK),
    flag("USE_INTERNAL_ITERATIVE_DEEPENING",   true,  &Tconfig::USE_INTERNAL_ITERATIVE_DEEPENING),
    flag("USE_COMBINATION_EXTENSIONS",         true,  &Tconfig::USE_COMBINATION_EXTENSIONS),
    flag("USE_TB",                             true,  &Tconfig::USE_TB),
    flag("ENABLE_PONDERING",                   true,  &Tconfig::ENABLE_PONDERING),
    flag("ENABLE_RESIGN",                      true,  &Tconfig::ENABLE_RESIGN),
    flag("EFFACER_HT",                         true,  &Tconfig::EFFACER_HT),
    flag("ENABLE_DRAW_OFFER_WHEN_GAFFE",       false, &Tconfig::ENABLE_DRAW_OFFER_WHEN_GAFFE),
    flag("ENABLE_LOG",                         true,  &Tconfig::ENABLE_LOG),
    flag("ENABLE_LEARN_BIN",                   true,  &Tconfig::ENABLE_LEARN_BIN),
    flag("USE_PVS_SEARCH",                     true,  &Tconfig::USE_PVS_SEARCH),
    flag("USE_FAILSOFT",                       true,  &Tconfig::USE_FAILSOFT),
    flag("USE_NULL_MOVE",                      true,  &Tconfig::USE_NULL_MOVE),
    flag("USE_MOINS1",                         true,  &Tconfig::USE_MOINS1),
    flag("USE_FUTILITY_SUPERIEUR",             false, &Tconfig::USE_FUTILITY_SUPERIEUR),
    flag("USE_BIG_FUTILITY_SUPERIEUR",         false, &Tconfig::USE_BIG_FUTILITY_SUPERIEUR),
};
// clang-format on

} // namespace

Tconfig::Tconfig() {
    tick_period.store(500, std::memory_order_relaxed);
    platform::start_ticker(tick, tick_period);
    load_settings();
}

Tconfig::~Tconfig() { platform::stop_ticker(); }

void Tconfig::load_settings() {
    for (const Tsetting& setting : SETTINGS) {
        switch (setting.kind) {
        case Tkind::TEXT: {
            std::string value = get(setting.key, setting.text_default);
            setting.store(*this, value);
            break;
        }
        case Tkind::INT: this->*setting.field = get_int(setting.key, setting.number_default); break;
        case Tkind::BOOL: this->*setting.field = get_bool(setting.key, setting.number_default); break;
        }
    }
    // Once every key is read: the ranges may depend on one another, and the log switch is known.
    keep_in_ranges();
}

bool Tconfig::number_range(const char* key, int& lowest, int& highest) const {
    for (const Tsetting& setting : SETTINGS) {
        if (setting.kind != Tkind::INT || strcmp(setting.key, key) != 0)
            continue;
        lowest  = setting.lowest;
        highest = setting.highest;
        if (setting.ceiling && this->*setting.ceiling < highest)
            highest = std::max(lowest, this->*setting.ceiling);
        return true;
    }
    return false;
}

void Tconfig::keep_in_ranges() {
    // The settings others depend on first.
    for (const bool dependent : {false, true}) {
        for (const Tsetting& setting : SETTINGS) {
            if (setting.kind != Tkind::INT || (setting.ceiling != nullptr) != dependent)
                continue;
            int lowest = 0, highest = 0;
            number_range(setting.key, lowest, highest);
            int&      value = this->*setting.field;
            const int kept  = std::clamp(value, lowest, highest);
            if (kept != value)
                console.print(">%s=%d is out of range (%d to %d): %d used\n", setting.key, value, lowest,
                              highest, kept);
            value = kept;
        }
    }
}

int Tconfig::set_number(const char* key, int value) {
    for (const Tsetting& setting : SETTINGS)
        if (setting.kind == Tkind::INT && strcmp(setting.key, key) == 0) {
            this->*setting.field = value;
            keep_in_ranges();
            return this->*setting.field;
        }
    return value;
}
