// Draws by rule and the score of a drawn position.
#pragma once

#include "board/boarddata.h"

// True when the node (the current record) repeats an earlier position of the line, or of the
// game before the root; the node then holds the draw score, exact, with the draw-rule bit.
// draw_score() itself is declared with the position record.
bool check_repetition(Tboarddata& node);

// The draw score before contempt, from the root side's view: what draw_score starts from.
int contempt_draw_score(const Tboarddata& node);
