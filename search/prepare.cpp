// Everything a search sets up before its first iteration, and the one-position evaluation that
// shares that set-up.
#include <algorithm>
#include <cassert>
#include <cstring>

#include "base/config.h"
#include "base/console.h"
#include "board/boarddata.h"
#include "eval/evaluate.h"
#include "eval/root_snapshot.h"
#include "platform/platform.h"
#include "search/hash_table.h"
#include "search/ordering.h"
#include "search/report.h"
#include "search/search.h"

namespace {

const char* const PHASE_NAMES[4] = {"OUVERTURE", "DEVELPEMT", "FINALE", "Erreur !!"};

// Pieces of `c` attacked by the other side and not defended by their own.
template <Color C> Bitboard hanging_pieces() {
    const Tboard& b      = board_state;
    Bitboard      result = 0;
    for (Bitboard pieces = b.pieces_bb[C] & ~(b.king_sq[C] != NO_SQUARE ? square_bb(b.king_sq[C]) : 0);
         pieces;) {
        const Square s = pop_lsb(pieces);
        if (b.attacked_by<~C>(s) && !b.attacked_by<C>(s))
            result |= square_bb(s);
    }
    return result;
}

// Milliseconds between two looks at the clock and the input: 500, or 100 under two seconds, and
// a tenth of the time when that is less, so that a search near the end of the clock does not
// overrun it by a tick. While waiting for the opponent's move, a move that misses the prediction
// is charged to the engine's clock until it is seen: it is looked for every 50 ms.
int tick_period_for(double seconds, bool pondering) {
    int period = 500;
    if (seconds > 0 && seconds < 2.0)
        period = std::clamp(int(seconds * 100), 2, 100);
    return pondering ? std::min(period, 50) : period;
}

} // namespace

Tlearning_loader search_learning_loader = nullptr;

void Tsearch::compute_hanging_pieces() {
    hanging[WHITE] = hanging_pieces<WHITE>();
    hanging[BLACK] = hanging_pieces<BLACK>();
}

void Tsearch::prepare_search(Tboarddata& root, double seconds) {
    // Every search starts from a board that make and unmake have kept exact.
    assert(board_state.is_consistent(root.side_to_move()));
    reset_search_statistics();
    predicted_reply = 0;
    config.tick_period.store(tick_period_for(seconds, pondering != 0), std::memory_order_relaxed);
    platform::wake_ticker(); // the new period counts from now, not from the last tick
    // The first node looks at the clock and the input at once: what came with the order to
    // search ("go" and a "ping" behind it) is read before the search can end.
    config.tick.store(1, std::memory_order_relaxed);
    hash_tables.prepare_for_search();
    // Right after the clearing, so the learned positions survive it; not for the shortest moves.
    if (search_learning_loader && config.ENABLE_LEARN_BIN && config.in_game
        && (seconds == 0 || seconds >= 0.5))
        search_learning_loader();
    compute_hanging_pieces();
    clear_ordering_tables();

    root.legal_done    = 0;
    root.all_done      = 0;
    root.captures_done = 0;
    root.reset();
    board_state.ply = 0;
    node_serial     = 0;
    root.move       = with_captured(root.move, 0);
    panic           = 0;
    for (int d = 0; d < MAX_ITERATIONS; ++d) {
        iteration_start[d] = iteration_end[d] = last_change[d] = -1.0;
        iteration_best[d]                                      = 0;
        iteration_score[d]                                     = SCORE_NOT_COMPUTED;
        iteration_bound[d]                                     = SCORE_NOT_COMPUTED;
        iteration_nodes[d]                                     = 0;
    }
    // Snapshot of the root, current pawn entry forgotten, phase, piece-square tables, base score.
    prepare_evaluation(root);
    global_phase = root.phase;

    const bool human        = config.OPPONENT_TYPE == 1 || !config.opponent_name.empty();
    const bool combinations = config.USE_COMBINATION_EXTENSIONS && (config.analyze_mode || !config.in_game);
    console.print(">50Move in %d half-moves,DRAW_SCORE:%d,SIZE_HT:%d,SIZE_HP:%d,Phase:%s,noise:%d,"
                  "Playing:%s,Combinations:%s,\n",
                  100 - root.halfmove_clock, config.DRAW_SCORE, config.SIZE_HT, config.SIZE_HP,
                  PHASE_NAMES[global_phase & 3], config.noise, human ? "HUMAN" : "COMPUTER",
                  combinations ? "YES" : "NO");
}

bool Tsearch::evaluate_position(Tboarddata& record) {
    Tboard& b        = board_state;
    nb_root_moves    = 0;
    config.in_game   = 0;
    pondering        = 0;
    config.searching = 1;
    b.game_ply       = 0;
    b.key_history[0] = b.hash_key;
    records[0]       = record;
    b.current_record = &records[0];
    Tboarddata& top  = records[0];
    prepare_search(top, 0);

    bool playable = true;
    if (top.gen_legal() == GEN_CHECKMATE || top.is_fifty_move_draw()) {
        playable = false;
    } else {
        for (int i = 1; i <= top.nb_moves && nb_root_moves < MAX_ROOT_MOVES; ++i)
            root_moves[nb_root_moves++] = {top.moves[i], 0, SCORE_NOT_COMPUTED, 0, 0};
        eval(top, -SCORE_INFINITE, SCORE_INFINITE);
    }
    config.searching = 0;
    record           = top;
    b.current_record = &record;
    return playable;
}
