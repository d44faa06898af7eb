#include "tools/date_text.h"

#include <cstdio>

#include "platform/platform.h"

namespace {
const char* const MONTH_NAMES[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
}

std::string date_text() {
    const platform::Tlocal_time t = platform::local_time();
    if (t.year <= 1990 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31)
        return "";
    char text[64];
    std::snprintf(text, sizeof text, "%d-%s-%04d %02d:%02d:%02d", t.day, MONTH_NAMES[t.month - 1], t.year,
                  t.hour, t.minute, t.second);
    return text;
}
