// The evaluation driver: adds the terms up in a fixed order, cheap ones first, so that a score
// far outside the window can stop before the piece and king terms.
#include "eval/evaluate.h"

#include <cstdlib>

#include "base/config.h"
#include "board/boarddata.h"
#include "eval/hash_pawns.h"
#include "eval/pawn_structure.h"
#include "eval/psqt.h"
#include "eval/root_snapshot.h"
#include "eval/terms.h"
#include "eval/weights.h"

using namespace weights;

Tpawn_entry current_pawn_entry = [] {
    Tpawn_entry entry;
    entry.clear();
    return entry;
}();
Teval_stats eval_stats;

namespace {

int material_balance(const Tboard& b, Color c) {
    return (b.nb_pawns[c] - b.nb_pawns[~c]) * PAWN_VALUE + b.piece_material[c] - b.piece_material[~c];
}

// The pawn score of the phase: from the current entry, the table slot, or a fresh evaluation.
int pawn_structure(Tboarddata& node) {
    const Tboard& b = board_state;
    ++eval_stats.pawn_probes;
    if (current_pawn_entry.key != b.pawn_key)
        if (const Tpawn_entry* slot = hash_pawns.slot(b.pawn_key))
            current_pawn_entry = *slot;
    const Tpawn_entry& entry = current_pawn_entry;
    if (entry.key == b.pawn_key && entry.pawn_score[node.phase] != SCORE_NOT_COMPUTED
        && entry.passed_score[node.phase] != SCORE_NOT_COMPUTED)
        return node.side == WHITE ? entry.pawn_score[node.phase] : -entry.pawn_score[node.phase];
    ++eval_stats.pawn_evals;
    return evaluate_pawn_structure(node, current_pawn_entry, opponent_is_human());
}

void store(Tboarddata& node, int score, uint8_t kind) {
    node.eval_score = score;
    node.set_bound(kind);
}

} // namespace

bool opponent_is_human() { return !config.opponent_name.empty(); }

void eval(Tboarddata& node, int alpha, int beta) {
    const Tboard& b          = board_state;
    const Color   us         = Color(node.side);
    const Color   them       = ~us;
    const auto    white_view = [us](int score) { return us == WHITE ? score : -score; };

    int score = node.base_score;

    const int balance = material_balance(b, us);
    if (balance != 0)
        score += balance + eval_terms::trade(us, balance);

    score += pawn_structure(node);
    Tpawn_entry& entry = current_pawn_entry;

    int danger[2];
    eval_terms::king_danger(node, entry, danger);
    score += danger[them] - danger[us];

    const int passed = white_view(entry.passed_score[node.phase]);
    score += passed;

    score += eval_terms::g_file_storm(node);
    if ((b.bishops_bb[WHITE] | b.bishops_bb[BLACK]) & eval_terms::TRAP_SQUARES)
        score += white_view(eval_terms::trapped_bishops());
    score += white_view(eval_terms::knights_and_rooks_by_pawns());
    score += white_view(eval_terms::development(node.phase));
    score += white_view(eval_terms::castling(node));

    if (std::abs(passed) >= PASSED_FULL_THRESHOLD || eval_terms::advanced_passer(WHITE, entry)
        || eval_terms::advanced_passer(BLACK, entry))
        score += evaluate_passed_pawns(node, entry) - passed;

    // Lazy cuts, refused when the side that would be ahead may have its score scaled down.
    if (score + LAZY_MARGIN < alpha && (score > 0 || win_factor(node, them) == FULL_FACTOR)) {
        store(node, score + LAZY_MARGIN, BOUND_UPPER);
        return;
    }
    if (score - LAZY_MARGIN > beta && (score < 0 || win_factor(node, us) == FULL_FACTOR)) {
        node.second_score = score - beta;
        store(node, score - LAZY_MARGIN, BOUND_LOWER);
        return;
    }

    ++eval_stats.full_evals;
    if (b.ply % 2 == 0)
        score += TEMPO;
    score += eval_terms::pieces(node, entry, danger);
    node.set_bound(BOUND_EXACT);

    if (score != 0) {
        const int factor = win_factor(node, score > 0 ? us : them);
        if (factor != FULL_FACTOR) {
            score = factor * score / FULL_FACTOR;
            node.eval_flags |= FLAG_SCALED;
        }
    }
    node.eval_score = score;
}

void prepare_evaluation(Tboarddata& root) {
    current_pawn_entry.clear();
    take_root_snapshot(root);
    refresh_piece_square_tables(Color(root.side));
    root.phase = board_state.current_phase = root.compute_phase(3);
    root.base_score                        = base_score_from_scratch(root.phase, Color(root.side));
}
