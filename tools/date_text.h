// The date and time written into the score lines of the test suites and benchmarks.
#pragma once

#include <string>

// "5-Mar-2024 14:03:07" in local time; empty when the clock gives no valid date or a year up to
// 1990.
std::string date_text();
