// Character by character, so that a NUL byte or a missing final line end cannot confuse the
// length as it would with fgets.
#include "tools/text_lines.h"

int read_text_line(FILE* file, char* out, int size) {
    int  length = 0;
    bool any    = false;
    bool ended  = false; // a NUL byte was seen: the rest of the line is not text
    int  c      = 0;
    while ((c = std::fgetc(file)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (c == '\0')
            ended = true;
        if (!ended && length < size - 1)
            out[length++] = char(c);
    }
    if (!any)
        return 0;
    while (length > 0 && out[length - 1] == '\r')
        --length;
    out[length] = '\0';
    return 1;
}
