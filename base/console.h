// The console: the one print routine through which every message reaches the user and the log,
// and the input side (bytes from standard input, cut into lines, read with or without blocking).
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/lagged_random.h"

// Bytes of input held while no line end has come: room for the longest line of moves a UCI
// interface sends ("position ... moves" with a whole game: the longest game the rules allow has
// under 18,000 half-moves of at most 5 characters and a blank) besides what follows it.
constexpr int INPUT_BUFFER_SIZE = 1 << 18;
constexpr int READ_CHUNK_SIZE   = 512;  // bytes asked for by one read of standard input
constexpr int MESSAGE_SIZE      = 512;  // longest formatted message
constexpr int LOG_PENDING_SIZE  = 8192; // text held back until a line end reaches the log
constexpr int COMMAND_LINE_SIZE = 100;  // longest command line
constexpr int MAX_COMMAND_WORDS = COMMAND_LINE_SIZE / 2 + 1;

class Tconsole {
  public:
    Tconsole();
    ~Tconsole();
    Tconsole(const Tconsole&)            = delete;
    Tconsole& operator=(const Tconsole&) = delete;

    // printf-style; a leading '>' makes the message log-only.
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A protocol reply: reaches standard output whatever the output mode, and the log.
    void send(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Protocol-only output (UCI): print() then writes to the log only, send() to both.
    void set_protocol_only(bool on) { to_screen = !on; }
    void vprint(const char* format, va_list args) __attribute__((format(printf, 2, 0)));

    Tconsole& operator<<(const char* text) {
        print("%s", text);
        return *this;
    }
    Tconsole& operator<<(int value) {
        print("%d", value);
        return *this;
    }

    // Input. input_available never blocks; read_input blocks until some bytes (or the end of
    // input) arrive.
    int  input_available();
    void read_input();
    // Takes one whole line (without its line end) into out, which holds `size` bytes; 0 when no
    // line can be had without blocking. A line too long for out is dropped and noted in the log.
    // At the end of input an unterminated last line counts as a line.
    int try_get_line(char* out, size_t size);
    // The same, blocking; 0 only at the end of input.
    int  wait_line(char* out, size_t size);
    bool end_of_input() const { return input_closed && input_length == 0 && !dropping_line; }
    // Whether a line (or the end of input) can be had without blocking.
    bool input_waiting();

    // "Press a key to continue..." and one character from standard input.
    void wait_key();
    // Calendar time in seconds, milliseconds included.
    double now();
    // A message, then what is known of the position where things went wrong.
    void report_error(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Splits command_line into words (on white space); returns their number.
    int split_words();

    char           input_buffer[INPUT_BUFFER_SIZE + 1];
    int            search_counter = 0; // counted by the search
    std::string    program_id;
    std::string    log_name;
    char           format_buffer[MESSAGE_SIZE + 1];
    char           log_pending[LOG_PENDING_SIZE + 3];
    Tlagged_random random; // the hash-key generator: its draws must never change
    char           command_line[COMMAND_LINE_SIZE + 1];
    int8_t         edit_board[64];
    const char*    words[MAX_COMMAND_WORDS];
    int            nb_words  = 0;
    bool           to_screen = true; // false: every message goes to the log only
    // Told of every input line dropped for its length (in bytes), after the log; set by a
    // protocol that must answer such a line.
    void (*line_dropped)(long bytes) = nullptr;

  private:
    void log_message(const char* text);
    int  start_log();
    void flush_log();
    void append_input(const char* bytes, long count);
    int  take_line(char* out, size_t size, size_t length, size_t skip);
    void note_dropped_line(long bytes);

    int  input_length  = 0;     // bytes in input_buffer
    bool input_closed  = false; // standard input has ended (or failed for good)
    bool dropping_line = false; // skipping the rest of a line too long for the buffer
    long dropped_bytes = 0;
    char word_text[COMMAND_LINE_SIZE + 1]; // command_line with a NUL after each word
};

extern Tconsole console;
