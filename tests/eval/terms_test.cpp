// The evaluation's terms on worked examples with exact values, table-driven: data/terms.txt gives
// for each case the term, the position (and moves made from it), an argument and the value. The
// sets of squares (weak pawns, holes, passers, outside pawns) are listed in full.
#include <gtest/gtest.h>

#include "base/data_rows.h"
#include "board/notation.h"
#include "eval/evaluate.h"
#include "eval/hash_pawns.h"
#include "eval/pawn_structure.h"
#include "eval/psqt.h"
#include "eval/root_snapshot.h"
#include "eval/terms.h"
#include "eval_positions.h"

namespace {

Square sq(const std::string& name) { return make_square(name[0] - 'a', name[1] - '1'); }

std::string squares_of(bool (*in_set)(Square)) {
    std::string text;
    for (Square s = 0; s < 64; ++s)
        if (in_set(s))
            text += (text.empty() ? "" : " ") + std::string(SQUARE_NAMES[s]);
    return text.empty() ? "-" : text;
}

// Plays the moves (coordinates) from the root; the last record reached.
Tboarddata& play(const std::string& moves) {
    int ply = 0;
    for (const std::string& text : words(moves)) {
        Tboarddata& node = eval_line[ply];
        node.gen_legal();
        Move found = 0;
        for (int i = 1; i <= node.nb_moves; ++i)
            found = text == coord_text(node.moves[i], node.side_to_move()) ? node.moves[i] : found;
        EXPECT_NE(found, 0u) << text;
        eval_line[++ply].make_child(found, &node, false);
    }
    return eval_line[ply];
}

std::string value_of(const std::string& term, Tboarddata& node, const std::vector<std::string>& arg) {
    int danger[2] = {0, 0};
    if (term == "pawns" || term == "passed_score") {
        current_pawn_entry.clear();
        const int score =
            evaluate_pawn_structure(node, current_pawn_entry, !arg.empty() && arg[0] == "human");
        return std::to_string(term == "pawns" ? score : current_pawn_entry.passed_score[node.phase]);
    }
    evaluate(node); // fills the pawn entry the other terms read
    const Tpawn_entry& e = current_pawn_entry;
    if (term == "weak_pawns")
        return squares_of([](Square s) { return is_weak_pawn(s); });
    if (term == "holes")
        return squares_of([](Square s) { return (is_weak_square() & square_bb(s)) != 0; }) + " | "
               + std::to_string(e.weak_light[WHITE]) + " " + std::to_string(e.weak_dark[WHITE]) + " "
               + std::to_string(e.weak_light[BLACK]) + " " + std::to_string(e.weak_dark[BLACK]);
    if (term == "passed")
        return squares_of([](Square s) { return (is_passed_pawn() & square_bb(s)) != 0; });
    if (term == "outside")
        return squares_of([](Square s) {
                   return board_state.board_type[s] == PAWN && is_outside_pawn(s, board_state.board[s] < 0);
               })
               + " | " + std::to_string(e.outside_files[WHITE]) + " "
               + std::to_string(e.outside_files[BLACK]);
    if (term == "passers")
        return std::to_string(evaluate_passed_pawns(node, e));
    if (term == "shelter")
        return std::to_string(eval_terms::king_shelter(arg[0] == "w" ? WHITE : BLACK, sq(arg[1]),
                                                       std::stoi(arg[2]), current_pawn_entry));
    eval_terms::king_danger(node, current_pawn_entry, danger);
    if (term == "danger")
        return std::to_string(danger[WHITE]) + " " + std::to_string(danger[BLACK]);
    if (term == "pieces")
        return std::to_string(eval_terms::pieces(node, e, danger));
    if (term == "factor")
        return std::to_string(win_factor(node, arg[0] == "w" ? WHITE : BLACK));
    if (term == "castling")
        return std::to_string(eval_terms::castling(node));
    if (term == "storm")
        return std::to_string(eval_terms::g_file_storm(node));
    if (term == "trapped")
        return std::to_string(eval_terms::trapped_bishops());
    if (term == "knights_rooks")
        return std::to_string(eval_terms::knights_and_rooks_by_pawns());
    if (term == "development")
        return std::to_string(eval_terms::development(node.phase));
    if (term == "phase")
        return std::to_string(node.phase) + " " + std::to_string(board_state.current_phase);
    if (term == "eval")
        return std::to_string(evaluate(node)) + " " + std::to_string(node.eval_flags);
    return "unknown term " + term;
}

// term | position | moves | argument | value. An argument "root=w" or "root=b" makes that side
// the root side after the set-up; "table C T P S" reads the working piece-square table of the
// root side.
TEST(EvalTerms, WorkedExamples) {
    for (const Trow& row : read_rows("eval/data/terms.txt")) {
        ASSERT_TRUE(setup_root(row[1])) << row.where;
        std::vector<std::string> arg = words(row[3]);
        if (!arg.empty() && arg[0].rfind("root=", 0) == 0) {
            root_snapshot.side = arg[0] == "root=w" ? WHITE : BLACK;
            arg.erase(arg.begin());
        }
        Tboarddata&       node     = play(row[2]);
        const std::string expected = row.field.size() > 5 ? row[4] + " | " + row[5] : row[4];
        EXPECT_EQ(value_of(row[0], node, arg), expected) << row.where << ": " << row[0] << " " << row[1];
        for (int ply = int(words(row[2]).size()); ply > 0; --ply)
            unmake(eval_line[ply].move, &eval_line[ply - 1]);
    }
    hash_pawns.clear(); // some entries were made for a human opponent
}

// White has a rook and 6 pawns against 4 pawns, 700 ahead; at the root it had two rooks and 7
// pawns against a rook and 4 pawns: min(100, 500 x 700 / 3000) = 100, less 10 for the pawn gone.
TEST(EvalTerms, TradesWhenAhead) {
    ASSERT_TRUE(setup_root("4k3/pppp4/8/8/8/8/PPPPPP2/R3K3 w - -"));
    root_snapshot.piece_material[WHITE] = 1000;
    root_snapshot.piece_material[BLACK] = 500;
    root_snapshot.nb_pawns[WHITE]       = 7;
    root_snapshot.nb_pawns[BLACK]       = 4;
    EXPECT_EQ(eval_terms::trade(WHITE, 700), 90);
    EXPECT_EQ(eval_terms::trade(BLACK, -700), -90);
    EXPECT_EQ(eval_terms::trade(WHITE, 99), 0);
}

// The root side's middle-game knights avoid the rim and the enemy's back rank; the other side's
// table keeps the base values; Black reads White's value at s ^ 56.
TEST(EvalTerms, WorkingTablesOfTheRootSide) {
    for (const Trow& row : read_rows("eval/data/tables.txt")) {
        refresh_piece_square_tables(row[0] == "w" ? WHITE : BLACK);
        const std::vector<std::string> w = words(row[1]);
        EXPECT_EQ(
            piece_square[w[0] == "w" ? WHITE : BLACK][std::stoi(w[1])][std::stoi(w[2])][std::stoi(w[3])],
            row.number(2))
            << row.where;
    }
    init_piece_square_tables();
    EXPECT_EQ(rook_outpost[WHITE][50], 30);   // c7
    EXPECT_EQ(knight_outpost[BLACK][19], 25); // d3 is Black's d6
}

// Positions no game reaches: many promoted pieces, bare kings. They evaluate without overflow or
// out-of-range reads (the sanitizers watch) with every window, and so do a few moves on.
TEST(EvalTerms, ExtremeMaterial) {
    std::mt19937 rng(99);
    for (const Trow& row : read_rows("eval/data/extreme.txt")) {
        ASSERT_TRUE(setup_root(row[0])) << row.where;
        Tboarddata* node = eval_line;
        for (int depth = 0; depth < 12; ++depth) {
            for (const int window : {-32500, -5000, -100, 0, 100, 5000, 32500, 99999}) {
                const int score = window == 99999 ? evaluate(*node) : evaluate(*node, window - 1, window + 1);
                EXPECT_LT(std::abs(score), 32000) << node->get_fen();
                EXPECT_NE(node->eval_flags & BOUND_MASK, BOUND_UNKNOWN) << node->get_fen();
            }
            if (!play_random_move(node, rng))
                break;
        }
        for (; node != eval_line; --node)
            unmake(node->move, node - 1);
    }
}

} // namespace
