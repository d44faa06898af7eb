// Reading text lines of a bounded length from a file opened in binary mode.
#include "book/text_lines.h"

bool read_text_line(FILE* file, std::string& line, size_t longest) {
    line.clear();
    bool got = false, cut = false, cut_in_word = false;
    int  c;
    while ((c = getc(file)) != EOF && c != '\n') {
        got = true;
        if (line.size() == longest) {
            // The last word kept is whole when the first byte dropped ends it.
            if (!cut)
                cut_in_word = c != ' ' && c != '\t' && c != '\r';
            cut = true;
            continue;
        }
        line += c == '\0' ? ' ' : char(c);
    }
    if (!got && c == EOF)
        return false;
    if (cut_in_word) {
        const size_t blank = line.find_last_of(" \t");
        line.resize(blank == std::string::npos ? 0 : blank);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}
