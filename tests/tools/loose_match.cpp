#include "loose_match.h"

#include <cctype>
#include <cstring>

namespace {

bool digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Length of the run of digits at t (0 when none).
size_t digits_at(const char* t) {
    size_t n = 0;
    while (digit(t[n]))
        ++n;
    return n;
}

// Length of the date text at t, 0 when there is none.
size_t date_at(const char* t) {
    size_t n = digits_at(t);
    if (n < 1 || n > 2 || t[n] != '-')
        return 0;
    ++n;
    for (int i = 0; i < 3; ++i, ++n)
        if (!std::isalpha(static_cast<unsigned char>(t[n])))
            return 0;
    if (t[n++] != '-' || digits_at(t + n) != 4)
        return 0;
    n += 4;
    for (const char* shape = " dd:dd:dd"; *shape; ++shape, ++n)
        if (*shape == 'd' ? !digit(t[n]) : t[n] != *shape)
            return 0;
    return n;
}

bool match_here(const char* t, const char* p) {
    // Literal characters in a loop: recursion only at the place-holders.
    while (*p != '\0' && *p != '<') {
        if (*t != *p)
            return false;
        ++t;
        ++p;
    }
    if (*p == '\0')
        return *t == '\0';
    if (std::strncmp(p, "<*>", 3) == 0) {
        for (const char* rest = t;; ++rest) {
            if (match_here(rest, p + 3))
                return true;
            if (*rest == '\0')
                return false;
        }
    }
    if (std::strncmp(p, "<n>", 3) == 0) {
        const char*  u = t + (*t == '-' ? 1 : 0);
        const size_t n = digits_at(u);
        return n > 0 && match_here(u + n, p + 3);
    }
    if (std::strncmp(p, "<t>", 3) == 0) {
        const size_t n = digits_at(t);
        return n > 0 && t[n] == '.' && digit(t[n + 1]) && match_here(t + n + 2, p + 3);
    }
    if (std::strncmp(p, "<date>", 6) == 0) {
        const size_t n = date_at(t);
        return n > 0 && match_here(t + n, p + 6);
    }
    return *t == '<' && match_here(t + 1, p + 1);
}

} // namespace

bool loose_match(const std::string& text, const std::string& pattern) {
    return match_here(text.c_str(), pattern.c_str());
}

bool loose_contains(const std::string& text, const std::string& pattern) {
    return loose_match(text, "<*>" + pattern + "<*>");
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}
