// The evaluation self-check: every range form at its edges, every predicate with and without
// "!", failures logged byte for byte in bade_log.epd, and lines that do not read.
#include <gtest/gtest.h>

#include "base/data_rows.h"
#include "board/boarddata.h"
#include "interface/in_temp_dir.h"
#include "search/search.h"
#include "tools/tools.h"

namespace {

const std::string START   = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
const std::string OUTSIDE = "4k3/5ppp/8/8/P7/8/8/4K3 w - -"; // a4 alone against three on the king side

std::string ko(const std::string& line, const std::string& what) {
    return line + "\nKO, " + what + " is WRONG\n\n";
}

class EvalCheck : public Ttool_test {
  protected:
    std::string run(int expect = 1) {
        return printed_by([&] { EXPECT_EQ(check_evaluation(), expect); });
    }
};

TEST_F(EvalCheck, RangesPredicatesAndTheirFailures) {
    Tboarddata probe;
    ASSERT_EQ(probe.set_fen(START.c_str()), 1);
    search.evaluate_position(probe);
    const std::string n = std::to_string(probe.eval_score), p = std::to_string(probe.phase);
    char              shown[16], phase[16];
    std::snprintf(shown, sizeof shown, "eval (%4d)", probe.eval_score);
    std::snprintf(phase, sizeof phase, "phase (%4d)", probe.phase);

    const std::string edges  = START + " eval>=" + n + " eval<=" + n + " nb_moves==20 phase==" + p;
    const std::string below  = START + " eval>=" + std::to_string(probe.eval_score + 1);
    const std::string above  = START + " eval<=" + std::to_string(probe.eval_score - 1);
    const std::string inside = START + " eval>=-5000 eval<=" + std::to_string(probe.eval_score + 20)
                               + " eval==" + n + " first eval<=-9999";
    const std::string two_terms =
        START + " nb_moves>=21 phase==" + std::to_string(probe.phase + 1) + " eval==" + n;
    const std::string passing =
        OUTSIDE + " is_outside_pawn(a4) is_passed_pawn(a4) !is_weak_pawn(d4) !is_weak_square(e4)";
    const std::string negated = OUTSIDE + " !is_outside_pawn(a4); !is_passed_pawn(a4);";
    const std::string knight =
        "4k3/8/8/8/3N4/8/8/4K3 w - - is_passed_pawn(d4) is_weak_pawn(d4) !is_outside_pawn(d4)";
    const std::string unread =
        START + " is_weak_pawn(z9) is_outside_pawn(e is_passed_pawn(i2) eval>=x nb_moves<= is_weak_square";
    const std::string mated = "R5k1/5ppp/8/8/8/8/8/6K1 b - - eval==-32000 nb_moves==0";
    const std::string weak  = START + " is_weak_square(e4)";
    const std::string long_line =
        START + " nb_moves==20 " + std::string(10000, 'x'); // read as its first 255 characters
    std::string file;
    for (const std::string& line :
         {edges, below, std::string("not a position"), above, inside, two_terms, passing, negated, knight,
          unread + "\r", OUTSIDE + " is_outside_pawn[A4] is_passed_pawn:a4", mated, weak, long_line})
        file += line + "\n";
    write_file("badeval.epd", file + std::string("\x01\xff\x00garbage\n", 11));
    write_file("bade_log.epd", "stale\n");

    const std::string out = run();
    EXPECT_EQ(read_file("bade_log.epd"),
              ko(below, shown) + ko(above, shown) + ko(two_terms, phase) + ko(two_terms, "nb_moves (  20)")
                  + ko(negated, "!is_outside_pawn(a4)") + ko(negated, "!is_passed_pawn(a4)")
                  + ko(knight, " is_passed_pawn(d4)") + ko(knight, " is_weak_pawn(d4)")
                  + ko(weak, " is_weak_square(e4)"));
    // Each failing position counts once, however many of its terms fail.
    EXPECT_NE(out.find(edges + "\n" + below + "\n" + below + "\nKO, " + shown + " is WRONG\nErrors: 1/2\n"
                       + below + "\n" + above + "\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Errors: 3/5\n" + two_terms + "\n"), std::string::npos);
    EXPECT_NE(out.find("Errors: 4/7\n" + negated + "\n"), std::string::npos);
    EXPECT_NE(out.find("Errors: 5/8\n" + knight + "\n"), std::string::npos);
    EXPECT_NE(out.find("Errors: 6/12\n" + weak + "\n" + long_line.substr(0, 255) + "\n"), std::string::npos)
        << out;
    EXPECT_EQ(out.substr(out.size() - 24), "\nFinished, errors: 6/13\n");
    EXPECT_EQ(out.find("not a position"), std::string::npos);
    EXPECT_EQ(out.find("garbage"), std::string::npos);
}

TEST_F(EvalCheck, AllPassingLeavesNoLogAndMissingFileIsReported) {
    EXPECT_EQ(run(0), "Impossible d'ouvrir le fichier badeval.epd !\n");
    const std::string lines = START + " nb_moves==20\n" + OUTSIDE + " !is_weak_pawn(d4) is_passed_pawn(a4)\n";
    write_file("bade_log.epd", "stale\n");
    write_file("badeval.epd", lines);
    EXPECT_EQ(run(), lines + "\nFinished, errors: 0/2\n");
    EXPECT_FALSE(file_exists("bade_log.epd"));
}

} // namespace
