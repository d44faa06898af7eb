#include "base/console.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "base/config.h"
#include "platform/platform.h"

Tconsole::Tconsole() {
    input_buffer[0]  = '\0';
    format_buffer[0] = '\0';
    log_pending[0]   = '\0';
    command_line[0]  = '\0';
    word_text[0]     = '\0';
    for (int8_t& square : edit_board)
        square = 0;
}

// Text of the last partial line must not be lost when the program ends.
Tconsole::~Tconsole() {
    if (!log_name.empty() && log_pending[0] != '\0') {
        if (FILE* file = fopen(log_name.c_str(), "a+")) {
            fputs(log_pending, file);
            fclose(file);
        }
    }
}

// --- Output -----------------------------------------------------------------------------------

void Tconsole::print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vprint(format, args);
    va_end(args);
}

void Tconsole::send(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vsnprintf(format_buffer, sizeof format_buffer, format, args);
    va_end(args);
    fputs(format_buffer, stdout);
    log_message(format_buffer);
}

void Tconsole::vprint(const char* format, va_list args) {
    vsnprintf(format_buffer, sizeof format_buffer, format, args);
    const char* text = format_buffer;
    if (text[0] == '>')
        ++text; // log-only
    else if (to_screen)
        fputs(text, stdout);
    log_message(text);
}

void Tconsole::log_message(const char* text) {
    if (!config.log_on || !config.ENABLE_LOG)
        return;
    if (log_name.empty() && !start_log())
        return;
    const size_t pending = strlen(log_pending);
    const size_t length  = strlen(text);
    if (pending + length <= size_t(LOG_PENDING_SIZE))
        memcpy(log_pending + pending, text, length + 1);
    if (strchr(log_pending, '\n'))
        flush_log();
}

// One file per run, named after the moment of the first logged message.
int Tconsole::start_log() {
    if (!platform::make_directory("log")) {
        config.log_on = 0;
        return 0;
    }
    const platform::Tlocal_time time    = platform::local_time();
    const int                   seconds = time.hour * 3600 + time.minute * 60 + time.second;
    const char                  month = "0123456789abc"[time.month >= 1 && time.month <= 12 ? time.month : 0];
    char                        name[40];
    snprintf(name, sizeof name, "log/log%05d.%c%02d", seconds, month, time.day);
    FILE* file = fopen(name, "w");
    if (!file) {
        config.log_on = 0;
        return 0;
    }
    fclose(file);
    log_name       = name;
    log_pending[0] = '\0';
    return 1;
}

void Tconsole::flush_log() {
    FILE* file = fopen(log_name.c_str(), "a+");
    if (!file)
        return; // the text stays pending and goes with the next flush
    fputs(log_pending, file);
    fclose(file);
    log_pending[0] = '\0';
}

// --- Input ------------------------------------------------------------------------------------

int Tconsole::input_available() { return platform::stdin_ready(); }

void Tconsole::read_input() {
    if (input_length == INPUT_BUFFER_SIZE) {
        if (memchr(input_buffer, '\n', size_t(input_length)))
            return; // whole lines wait to be taken first
        // One line fills the buffer: longer than any command. It is dropped up to its line end
        // rather than overflowing the buffer or being cut into pieces that could read as
        // commands.
        dropping_line   = true;
        dropped_bytes   = input_length;
        input_length    = 0;
        input_buffer[0] = '\0';
    }
    char       chunk[READ_CHUNK_SIZE];
    const long room  = INPUT_BUFFER_SIZE - input_length;
    const long count = platform::read_stdin(chunk, room < READ_CHUNK_SIZE ? room : READ_CHUNK_SIZE);
    if (count <= 0) {
        // End of input, or an error that would repeat forever: either way no more commands.
        input_closed = true;
        if (dropping_line) {
            dropping_line = false;
            note_dropped_line(dropped_bytes);
        }
        return;
    }
    append_input(chunk, count);
}

// The caller leaves room for `count` bytes.
void Tconsole::append_input(const char* bytes, long count) {
    for (long i = 0; i < count; ++i) {
        char c = bytes[i];
        if (c == '\0')
            c = ' '; // the buffer is a C string: a NUL byte would hide the rest of the line
        if (dropping_line) {
            if (c == '\n') {
                dropping_line = false;
                note_dropped_line(dropped_bytes);
            } else {
                ++dropped_bytes;
            }
            continue;
        }
        input_buffer[input_length++] = c;
    }
    input_buffer[input_length] = '\0';
}

int Tconsole::take_line(char* out, size_t size, size_t length, size_t skip) {
    // A Windows console or interface ends its lines with CR LF: the CR is not part of the text.
    size_t text = length;
    while (text > 0 && input_buffer[text - 1] == '\r')
        --text;
    const bool fits = text < size;
    if (fits) {
        memcpy(out, input_buffer, text);
        out[text] = '\0';
    }
    input_length -= int(length + skip);
    memmove(input_buffer, input_buffer + length + skip, size_t(input_length) + 1);
    if (!fits)
        note_dropped_line(long(text));
    return fits ? 1 : 0;
}

void Tconsole::note_dropped_line(long bytes) {
    print(">Line of %ld bytes ignored: too long\n", bytes);
    if (line_dropped)
        line_dropped(bytes);
}

int Tconsole::try_get_line(char* out, size_t size) {
    if (!memchr(input_buffer, '\n', size_t(input_length)) && !input_closed && input_available())
        read_input();
    while (const char* end = static_cast<const char*>(memchr(input_buffer, '\n', size_t(input_length)))) {
        if (take_line(out, size, size_t(end - input_buffer), 1))
            return 1;
    }
    // The last line of an input that ends without a line end still counts.
    if (input_closed && input_length > 0)
        return take_line(out, size, size_t(input_length), 0);
    return 0;
}

bool Tconsole::input_waiting() {
    if (memchr(input_buffer, '\n', size_t(input_length)))
        return true;
    return input_closed ? input_length > 0 : input_available() != 0;
}

int Tconsole::wait_line(char* out, size_t size) {
    for (;;) {
        if (try_get_line(out, size))
            return 1;
        if (input_closed)
            return 0;
        read_input(); // blocks: no busy waiting
    }
}

void Tconsole::wait_key() {
    print("Press a key to continue...\n");
    char key = 0;
    platform::read_stdin(&key, 1); // the end of input does as well as a key
}

double Tconsole::now() { return platform::wall_clock(); }

int Tconsole::split_words() {
    memcpy(word_text, command_line, sizeof word_text);
    nb_words     = 0;
    char* cursor = word_text;
    while (*cursor != '\0') {
        while (*cursor != '\0' && isspace(static_cast<unsigned char>(*cursor)))
            *cursor++ = '\0';
        if (*cursor == '\0')
            break;
        if (nb_words < MAX_COMMAND_WORDS)
            words[nb_words++] = cursor;
        while (*cursor != '\0' && !isspace(static_cast<unsigned char>(*cursor)))
            ++cursor;
    }
    return nb_words;
}
