// Matching the tools' output where dates, times and node counts vary from run to run.
#pragma once

#include <string>

// Whole-text match of `pattern`, whose place-holders stand for: <*> any text, <n> a decimal
// number (digits, optionally a sign), <t> a time as "%2.1lf" writes it, <date> the date text
// ("6-Dec-2024 20:24:28"). Everything else is literal.
bool loose_match(const std::string& text, const std::string& pattern);
// The same, anywhere in the text.
bool loose_contains(const std::string& text, const std::string& pattern);
// How many times `what` occurs in the text.
int count(const std::string& text, const std::string& what);
