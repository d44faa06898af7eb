// The one way the tools and the learning add to a file: open, append, close, so that nothing is
// lost when the engine is stopped between two writes.
#include "base/append_file.h"

#include <cstdio>
#include <cstring>

int append_to_file(const char* file_name, const void* data, int text_mode, int length) {
    if (file_name == nullptr || length < 0 || (data == nullptr && length > 0))
        return 0;
    FILE* file = std::fopen(file_name, text_mode ? "a" : "ab");
    if (file == nullptr)
        return 0;
    const size_t size = data == nullptr ? 0
                        : length > 0    ? size_t(length)
                                        : std::strlen(static_cast<const char*>(data));
    bool         ok   = std::fwrite(data == nullptr ? "" : data, 1, size, file) == size;
    if (text_mode)
        ok = std::fputc('\n', file) != EOF && ok;
    ok = std::fclose(file) == 0 && ok;
    return ok ? 1 : -1;
}
