// The test and diagnostic commands: EPD test suites (`test` and the EPD2DIAG.EPD start),
// evaluation checks (`badeval`), speed benchmarks (`speed`, `stat`), and the append-to-file
// helper they share with the learning.
#pragma once

// Searches every position of an EPD file and scores the chosen moves against the "bm" lists.
// depth 0: the max_sd default; seconds 0: no time limit; stable 0: no stable-solution rule.
// Returns 0 when the test file or the result file cannot be opened, 1 otherwise.
int run_epd_test(const char* file_name, int depth, double seconds, int stable);

// Evaluates every position of badeval.epd against the ranges and predicates written in its
// line; the failures go to bade_log.epd. Returns 0 when badeval.epd cannot be opened.
int check_evaluation();

// Searches benchmark position 0 for the given time and reports the nodes per second.
void speed_test(double seconds);

// Searches benchmark positions 1 to 7 to the given depth and reports the nodes per second.
void speed_stat(int depth);
