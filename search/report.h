// What the search prints: thinking lines, fail-high lines, the K-best summary, statistics and the
// search-state dump of the error report.
#pragma once

#include <string>

#include "board/types.h"

struct Tboarddata;

void        print_pv(Move best_move, const char* prefix);
void        print_fail_high(Move m);
void        print_k_best();
void        print_statistics();
void        print_search_state(const Tboarddata& record);
std::string mate_text(int score);
std::string pv_text(Move best_move);
// The score as the thinking line shows it ("  123", "Mat03", "-Mat00"); empty when it shows none.
std::string score_text(int score, bool final_line);

void reset_search_statistics();
