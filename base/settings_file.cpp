// brelok.ini on disk: finding a key, replacing or appending one line, and the typed readers.
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/config.h"
#include "platform/platform.h"

namespace {

// One whole line, of any length and with any bytes; false at the end of the file.
bool read_line(FILE* file, std::string& line, bool& had_line_end) {
    line.clear();
    had_line_end = false;
    int c;
    while ((c = getc(file)) != EOF) {
        if (c == '\n') {
            had_line_end = true;
            return true;
        }
        line.push_back(char(c));
    }
    return !line.empty();
}

bool is_space(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }

} // namespace

int parse_setting_int(const std::string& value) {
    const char* cursor = value.c_str();
    const char* end    = cursor + value.size();
    while (cursor < end && is_space(*cursor))
        ++cursor;
    if (cursor < end && *cursor == '+' && cursor + 1 < end && *(cursor + 1) != '-')
        ++cursor;
    int number = 0;
    // Stops at the first non-digit ("30abc" reads 30); no digits reads 0. A number too large
    // for an int reads as the nearest int, which the setting's range then brings back.
    const auto result = std::from_chars(cursor, end, number);
    if (result.ec == std::errc::result_out_of_range)
        return *cursor == '-' ? INT_MIN : INT_MAX;
    return result.ec == std::errc() ? number : 0;
}

int parse_setting_bool(const std::string& value) {
    std::string upper = value;
    for (char& c : upper)
        c = char(toupper(static_cast<unsigned char>(c)));
    for (const char* word : {"TRUE", "VRAI", "YES", "OUI", "1"})
        if (upper == word)
            return 1;
    return 0;
}

int Tconfig::find(const char* key, std::string& value) {
    value.clear();
    const size_t key_length = strlen(key);
    if (key_length == 0)
        return -1;
    FILE* file = fopen(file_name, "r");
    if (!file)
        return -1;
    std::string line;
    bool        had_line_end = false;
    int         index        = 0;
    int         found        = -1;
    while (read_line(file, line, had_line_end)) {
        if (line.size() > key_length && line.compare(0, key_length, key) == 0 && line[key_length] == '=') {
            size_t end = line.size();
            while (end > key_length + 1 && is_space(line[end - 1]))
                --end;
            value.assign(line, key_length + 1, end - key_length - 1);
            found = index;
            break;
        }
        ++index;
    }
    fclose(file);
    return found;
}

// The new content goes to a temporary file beside brelok.ini, which then replaces it in one
// step: a crash, a full disk or a kill in the middle leaves the old settings whole.
int Tconfig::write_line(int index, const char* text) {
    if (index < -1 || !platform::file_is_writable(file_name))
        return 0;
    std::string temp_name;
    FILE*       temp = platform::create_temp_file_near(file_name, temp_name);
    if (!temp)
        return 0;

    // A missing file reads as an empty one.
    FILE*       source = fopen(file_name, "r");
    std::string line;
    bool        had_line_end  = false;
    bool        owes_line_end = false; // the line written last had none
    int         count         = 0;
    bool        written       = true;
    auto        put           = [&](const char* bytes, size_t length, bool line_end) {
        if (owes_line_end)
            written = written && putc('\n', temp) != EOF;
        written = written && fwrite(bytes, 1, length, temp) == length;
        if (line_end)
            written = written && putc('\n', temp) != EOF;
        owes_line_end = !line_end;
    };
    const size_t text_length = strlen(text);
    const bool   text_ends   = text_length > 0 && text[text_length - 1] == '\n';
    const size_t text_body   = text_ends ? text_length - 1 : text_length;
    while (source && read_line(source, line, had_line_end)) {
        if (count == index)
            put(text, text_body, text_ends);
        else
            put(line.data(), line.size(), had_line_end);
        ++count;
    }
    const bool read_failed = source && ferror(source);
    if (source)
        fclose(source);
    if (index == -1)
        put(text, text_body, text_ends);

    const bool complete =
        written && !read_failed && index < count + (index == -1 ? 1 : 0) && platform::sync_file(temp);
    const bool closed = fclose(temp) == 0;
    if (!complete || !closed || !platform::replace_file(temp_name.c_str(), file_name)) {
        platform::remove_file(temp_name.c_str());
        return 0;
    }
    return 1;
}

std::string Tconfig::get(const char* key, const char* default_value) {
    std::string value;
    const int   index = find(key, value);
    // A key present with its own empty default is not missing: nothing to write.
    if (index >= 0 && (!value.empty() || default_value[0] == '\0'))
        return value;
    char line[1100];
    snprintf(line, sizeof line, "%s=%s\n", key, default_value);
    write_line(index, line);
    return default_value;
}

int Tconfig::get_int(const char* key, int default_value) {
    char text[16];
    snprintf(text, sizeof text, "%d", default_value);
    return parse_setting_int(get(key, text));
}

int Tconfig::get_bool(const char* key, int default_value) {
    return parse_setting_bool(get(key, default_value ? "TRUE" : "FALSE"));
}

void Tconfig::set(const char* key, const char* text) {
    std::string old_value;
    const int   index = find(key, old_value);
    char        line[1100];
    snprintf(line, sizeof line, "%s=%s\n", key, text);
    write_line(index, line);
}
