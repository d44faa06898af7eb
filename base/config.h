// The settings object: every key of brelok.ini and the run-time state of the engine interface.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

constexpr const char* SETTINGS_FILE_NAME = "brelok.ini";
constexpr int         LINE_RECORDS       = 66; // records of the search's current line, ply 0 to 65
// The deepest ply a search may reach: max_sd's top, so that neither the depth limit nor the
// iteration depth plus selectivite ever leads past the records of the line (one kept spare).
constexpr int DEEPEST_PLY = LINE_RECORDS - 2;
// Hash table sizes in megabytes: the byte count of a table must fit 32 bits unsigned; the pawn
// table takes powers of two only.
constexpr int MAX_SIZE_HT = 4095;
constexpr int MAX_SIZE_HP = 2048;

class Tconfig {
  public:
    Tconfig();
    ~Tconfig();
    Tconfig(const Tconfig&)            = delete;
    Tconfig& operator=(const Tconfig&) = delete;

    // The value of the key; a missing or empty key takes the default, which is written to the
    // settings file at once (in place of the empty line, or appended).
    std::string get(const char* key, const char* default_value);
    // Decimal integer at the start of the value (sign allowed), 0 when there is none.
    int get_int(const char* key, int default_value);
    // True for TRUE, VRAI, YES, OUI or 1 in any case.
    int get_bool(const char* key, int default_value);
    // Writes key=text in place of the key's line, or appended when the key is missing.
    void set(const char* key, const char* text);
    // Index of the line holding the key followed directly by "=", -1 when there is none; the
    // value (trailing white space removed) goes to `value`.
    int find(const char* key, std::string& value);
    // Puts `text` in place of line `index` (-1 appends); 0 when the file cannot be written.
    int write_line(int index, const char* text);

    // Reads every key in table order (missing ones are written back with their defaults), then
    // keeps every number within its range.
    void load_settings();
    // Sets the number setting `key` in memory, kept within its range; returns the value in force.
    int set_number(const char* key, int value);
    // The range a number setting is kept within now (min_sd may not pass max_sd); false for a key
    // that is no number setting.
    bool number_range(const char* key, int& lowest, int& highest) const;

    // --- Run-time state of the engine interface ------------------------------------------------
    void*                    debug_window      = nullptr; // the debug board window; nothing opens it
    uint8_t                  show_debug_window = 1;
    int                      ponder_on         = 1;
    int                      book_on           = 1; // set by every FEN set-up: 1 only for the standard start
    int                      flip              = 0; // board diagram with rank 1 first when positive
    int                      xboard_mode       = 0;
    int                      in_game           = 0; // 1 while the search runs for a move of a real game
    int                      searching         = 0;
    int                      log_on            = 1;
    std::string              opponent_name;
    int                      computer_white = 0;
    int                      computer_black = 1;
    uint8_t                  entry_board[64]{};   // piece types of the position moves are typed against
    int                      entry_side      = 0; // and its side to move (0 White, 1 Black)
    int                      restart         = 0;
    int                      quit            = 0;
    int                      random_on       = 0;
    int                      beep_on         = 0;
    int                      force_mode      = 0;
    int                      post_on         = 0;
    int                      hard_on         = 0;
    int                      idle            = 0;
    uint8_t                  edit_mode       = 0;
    uint8_t                  analyze_mode    = 0;
    int                      engine_to_move  = 0;
    int                      time_left       = 0; // centiseconds
    int                      otim_left       = 0;
    int                      fixed_per_move  = 0; // st, UCI movetime or depth alone: no clock runs down
    int                      level_moves     = 0;
    int                      level_minutes   = 0;
    double                   level_increment = 0; // seconds, fractions allowed
    std::string              debug_epd;
    std::string              tb_path;
    std::vector<std::string> debug_line;
    int32_t                  ply_work_small[LINE_RECORDS]{}; // working arrays of the search, one per ply
    int64_t                  ply_work_large[LINE_RECORDS]{};

    // --- One int per key of brelok.ini, named as the keys -----------------------------------
    int ECART_DEBUG_INFO                 = 0;
    int DEBUT_DEBUG_INFO                 = 0;
    int FIN_DEBUG_INFO                   = 0;
    int START_DEBUG_INTERACTIF           = 0;
    int K_BEST_MODE                      = 0;
    int OPPONENT_TYPE                    = 0;
    int noise                            = 0;
    int DRAW_SCORE                       = 0;
    int SIZE_HP                          = 0;
    int SIZE_HT                          = 0;
    int min_sd                           = 0;
    int max_sd                           = 0;
    int selectivite                      = 0;
    int ENABLE_BOOK                      = 0;
    int USE_INTERNAL_ITERATIVE_DEEPENING = 0;
    int USE_COMBINATION_EXTENSIONS       = 0;
    int USE_TB                           = 0;
    int ENABLE_PONDERING                 = 0;
    int ENABLE_RESIGN                    = 0;
    int EFFACER_HT                       = 0;
    int ENABLE_DRAW_OFFER_WHEN_GAFFE     = 0;
    int ENABLE_LOG                       = 0;
    int ENABLE_LEARN_BIN                 = 0;
    int USE_PVS_SEARCH                   = 0;
    int USE_FAILSOFT                     = 0;
    int USE_NULL_MOVE                    = 0;
    int USE_MOINS1                       = 0;
    int USE_FUTILITY_SUPERIEUR           = 0;
    int USE_BIG_FUTILITY_SUPERIEUR       = 0;

    int fritz_mode = 0;

    // Shared with the ticker thread, and only these: it sets tick, the search's poll clears it.
    std::atomic<uint8_t> tick{0};
    std::atomic<int>     tick_period{500}; // milliseconds between ticks

    const char* file_name = SETTINGS_FILE_NAME;

  private:
    // A number found out of its range takes the nearest bound, and the log says so.
    void keep_in_ranges();
};

extern Tconfig config;

// Int and bool readers of setting values, shared with the settings commands.
int parse_setting_int(const std::string& value);
int parse_setting_bool(const std::string& value);
