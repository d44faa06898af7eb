// Colour symmetry: a position and its mirror image (colours exchanged, ranks flipped, the other
// side to move and so the other root side) get the same score from the side to move's view, the
// same phase and flags, over the full window and a narrow one. Two asymmetries are written into
// the evaluation's rules: they are measured and allowed for rather than hidden.
#include <gtest/gtest.h>

#include "eval/evaluate.h"
#include "eval/terms.h"
#include "eval_positions.h"

namespace {

struct Tresult {
    int     score = 0, phase = -1, development = 0;
    uint8_t flags = 0;
    int     danger[2]{};
};

Tresult measure(const std::string& fen, int alpha = -SCORE_NOT_COMPUTED, int beta = SCORE_NOT_COMPUTED) {
    Tresult r;
    if (!setup_root(fen))
        return r;
    r.score       = evaluate(eval_line[0], alpha, beta);
    r.flags       = eval_line[0].eval_flags;
    r.phase       = eval_line[0].phase;
    r.development = eval_terms::development(r.phase); // White's view
    eval_terms::king_danger(eval_line[0], current_pawn_entry, r.danger);
    return r;
}

// The first difference between a position and its mirror, empty when none.
std::string compare_with_mirror(const std::string& fen) {
    const std::string mirrored = mirror_fen(fen);
    const Tresult     a = measure(fen), b = measure(mirrored);
    if (a.phase != b.phase || a.flags != b.flags)
        return "phase or flags";
    // Development is scaled by White's force alone, and the danger cap runs White first: the
    // development residue shows in the score, a moved danger pair is not compared further.
    const int residue = a.development + b.development;
    if (a.danger[WHITE] != b.danger[BLACK] || a.danger[BLACK] != b.danger[WHITE]
        || ((a.flags & FLAG_SCALED) && residue))
        return "";
    if (a.score - b.score != (a.flags & FLAG_SCALED ? 0 : eval_line[0].side == BLACK ? residue : -residue))
        return "score " + std::to_string(a.score) + " / " + std::to_string(b.score);
    const Tresult narrow_a = measure(fen, a.score - 150, a.score - 120);
    const Tresult narrow_b = measure(mirrored, b.score - 150, b.score - 120);
    if (residue == 0 && (narrow_a.score != narrow_b.score || narrow_a.flags != narrow_b.flags))
        return "narrow window";
    return "";
}

void check_all(const std::vector<std::string>& positions, size_t minimum) {
    ASSERT_GE(positions.size(), minimum);
    int failures = 0;
    for (const std::string& fen : positions) {
        const std::string problem = compare_with_mirror(fen);
        if (!problem.empty() && ++failures <= 5)
            ADD_FAILURE() << fen << " | " << mirror_fen(fen) << ": " << problem;
    }
    EXPECT_EQ(failures, 0);
}

TEST(EvalSymmetry, PerftSuiteAndBratkoKopecPositions) {
    check_all(read_epd_positions("perftsuite.epd"), 100);
    check_all(read_epd_positions("bratko_kopec.epd"), 24);
}

TEST(EvalSymmetry, PositionsFromGrandmasterGames) {
    check_all(read_game_positions("gm_games.pgn", 4000), 4000);
}

TEST(EvalSymmetry, MirrorOfTheMirrorAndTheDangerCap) {
    const std::string fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b Kq e3";
    EXPECT_EQ(mirror_fen(fen), "r3k2r/pppbbppp/2n2q1P/1P2p3/3pn3/BN2PNP1/P1PPQPB1/R3K2R w Qk e6");
    EXPECT_EQ(mirror_fen(mirror_fen(fen)), fen);
    // The cap at 150 runs over White first, then Black, and truncates.
    int white_first[2] = {301, 200}, black_first[2] = {200, 301};
    eval_terms::cap_king_danger(white_first);
    eval_terms::cap_king_danger(black_first);
    EXPECT_EQ(white_first[BLACK], 99);  // 200 x 150 / 301
    EXPECT_EQ(black_first[WHITE], 100); // 301 x 150 / 200 = 225, then 150 x 150 / 225
    EXPECT_EQ(black_first[BLACK], 150);
}

} // namespace
