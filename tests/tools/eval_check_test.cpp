// The evaluation self-check: every range form at its edges, every predicate with and without
// "!", failures logged byte for byte in bade_log.epd, and lines that do not read.
#include <gtest/gtest.h>

#include <string>

#include "board/boarddata.h"
#include "tool_fixture.h"
#include "search/search.h"
#include "tools/tools.h"

namespace {

constexpr const char* START   = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
constexpr const char* OUTSIDE = "4k3/5ppp/8/8/P7/8/8/4K3 w - -"; // a4 alone against three on the king side
constexpr const char* KNIGHT  = "4k3/8/8/8/3N4/8/8/4K3 w - -";
constexpr const char* MATED   = "R5k1/5ppp/8/8/8/8/8/6K1 b - -";

Tboarddata probe;

struct Tvalues {
    int phase, eval, nb_moves;
};
Tvalues values_of(const char* fen) {
    EXPECT_EQ(probe.set_fen(fen), 1);
    search.evaluate_position(probe);
    return {probe.phase, probe.eval_score, probe.nb_moves};
}

std::string ko(const std::string& line, const std::string& what) { return line + "\nKO, " + what + " is WRONG\n"; }

class EvalCheck : public Ttool_test {
  protected:
    std::string run(int expect = 1) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(check_evaluation(), expect);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(EvalCheck, RangesPredicatesAndTheirFailures) {
    const Tvalues     v = values_of(START);
    const std::string s = START;
    const std::string n = std::to_string(v.eval);
    char              shown[16];
    std::snprintf(shown, sizeof shown, "%4d", v.eval);

    const std::string pass_edges = s + " eval>=" + n + " eval<=" + n + " nb_moves==20 phase==" + std::to_string(v.phase);
    const std::string below      = s + " eval>=" + std::to_string(v.eval + 1);
    const std::string above      = s + " eval<=" + std::to_string(v.eval - 1);
    const std::string inside     = s + " eval>=-5000 eval<=" + std::to_string(v.eval + 20) + " eval==" + n + " first eval<=-9999";
    const std::string two_terms  = s + " nb_moves>=21 phase==" + std::to_string(v.phase + 1) + " eval==" + n;
    const std::string predicates = std::string(OUTSIDE) + " is_outside_pawn(a4) is_passed_pawn(a4) !is_weak_pawn(d4) !is_weak_square(e4)";
    const std::string negated    = std::string(OUTSIDE) + " !is_outside_pawn(a4); !is_passed_pawn(a4);";
    const std::string knight     = std::string(KNIGHT) + " is_passed_pawn(d4) is_weak_pawn(d4) !is_outside_pawn(d4)";
    const std::string unreadable = s + " is_weak_pawn(z9) is_outside_pawn(e is_passed_pawn(i2) eval>=x nb_moves<= is_weak_square";
    const std::string other_case = std::string(OUTSIDE) + " is_outside_pawn[A4] is_passed_pawn:a4";
    const std::string mated      = std::string(MATED) + " eval==-32000 nb_moves==0";
    const std::string start_weak = s + " is_weak_square(e4)";

    std::string file;
    for (const std::string& line : {pass_edges, below, std::string("not a position"), above, inside, two_terms,
                                    predicates, negated, knight, unreadable + "\r", other_case, mated, start_weak})
        file += line + "\n";
    file += s + " nb_moves==20 " + std::string(10000, 'x') + "\n"; // read as its first 255 characters
    file += std::string("\x01\xff\x00garbage\n", 11);
    write_file("badeval.epd", file);
    write_file("bade_log.epd", "stale\n");

    const std::string out = run();
    const std::string log = read_file("bade_log.epd");
    EXPECT_EQ(log, ko(below, "eval (" + std::string(shown) + ")") + "\n" + ko(above, "eval (" + std::string(shown) + ")") + "\n"
                       + ko(two_terms, "phase (" + std::string(4 - std::to_string(v.phase).size(), ' ') + std::to_string(v.phase) + ")") + "\n"
                       + ko(two_terms, "nb_moves (  20)") + "\n"
                       + ko(negated, "!is_outside_pawn(a4)") + "\n" + ko(negated, "!is_passed_pawn(a4)") + "\n"
                       + ko(knight, " is_passed_pawn(d4)") + "\n" + ko(knight, " is_weak_pawn(d4)") + "\n"
                       + ko(start_weak, " is_weak_square(e4)") + "\n");

    // Each failing position counts once, however many of its terms fail.
    const std::string long_line = (s + " nb_moves==20 " + std::string(10000, 'x')).substr(0, 255);
    EXPECT_NE(out.find(pass_edges + "\n" + below + "\n" + ko(below, "eval (" + std::string(shown) + ")") + "Errors: 1/2\n" + below + "\n" + above + "\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Errors: 3/5\n" + two_terms + "\n"), std::string::npos);
    EXPECT_NE(out.find("Errors: 4/7\n" + negated + "\n"), std::string::npos);
    EXPECT_NE(out.find("Errors: 5/8\n" + knight + "\n"), std::string::npos);
    EXPECT_NE(out.find("Errors: 6/12\n" + start_weak + "\n" + long_line + "\n"), std::string::npos) << out;
    EXPECT_EQ(out.substr(out.size() - 24), "\nFinished, errors: 6/13\n");
    EXPECT_EQ(out.find("not a position"), std::string::npos);
    EXPECT_EQ(out.find("garbage"), std::string::npos);
}

TEST_F(EvalCheck, AllPassingLeavesNoLogAndMissingFileIsReported) {
    EXPECT_EQ(run(0), "Impossible d'ouvrir le fichier badeval.epd !\n");

    write_file("bade_log.epd", "stale\n");
    write_file("badeval.epd", std::string(START) + " nb_moves==20\n" + OUTSIDE + " !is_weak_pawn(d4) is_passed_pawn(a4)\n");
    EXPECT_EQ(run(), std::string(START) + " nb_moves==20\n" + OUTSIDE + " !is_weak_pawn(d4) is_passed_pawn(a4)\n\nFinished, errors: 0/2\n");
    EXPECT_FALSE(file_exists("bade_log.epd"));
}

} // namespace
