// The tools through the real binary: the EPD2DIAG.EPD start and, through the game loop, the
// test, badeval, speed and stat commands.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "interface/engine_process.h"
#include "loose_match.h"

namespace {


// Settings with a search depth limit, so that whole suites run in moments.
std::string settings_with_depth(int max_sd = 3) {
    std::string  settings = default_settings();
    const size_t at       = settings.find("max_sd=");
    settings.replace(at, settings.find('\n', at) - at, "max_sd=" + std::to_string(max_sd));
    return settings;
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// An engine in its own directory, given commands one after the other.
class Tool_session {
  public:
    explicit Tool_session(int max_sd = 3) {
        write_file(dir.file("brelok.ini"), settings_with_depth(max_sd));
    }
    void start() { engine = std::make_unique<Tengine_process>(dir.path()); }
    // Sends the command and waits for `until` in the output that follows it.
    std::string command(const std::string& line, const std::string& until, double seconds = 60) {
        const size_t from = engine->output().size();
        engine->send(line + "\n");
        EXPECT_TRUE(engine->wait_for(until, seconds, from)) << line << "\n" << engine->output().substr(from);
        return engine->output().substr(from);
    }
    void quit() {
        engine->send("quit\n");
        EXPECT_EQ(engine->wait_exit(), 0);
    }

    Ttemp_dir                        dir;
    std::unique_ptr<Tengine_process> engine;
};

TEST(ToolsProcess, DiagnosticSuiteFromTheCommandLine) {
    Ttemp_dir dir;
    write_file(dir.file("brelok.ini"), settings_with_depth());
    write_file(dir.file("EPD2DIAG.EPD"), "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8;\r\n"
                                         "4k3/8/8/8/3q4/8/3R4/4K3 w - - bm Kf1\r\n");
    Tengine_process engine(dir.path(), {"EPD2DIAG.EPD"});
    ASSERT_TRUE(engine.wait_for("Press a key to continue...\n", 60));
    engine.send("\n");
    EXPECT_EQ(engine.wait_exit(), 1);
    const std::string out = engine.output();
    EXPECT_NE(out.find("Looking for Ra8\n"), std::string::npos);
    EXPECT_NE(out.find("Rank#"), std::string::npos);
    EXPECT_TRUE(loose_contains(out, "\"EPD2DIAG.EPD\", <date>,  1/2 solved, Time:0s, Consec:0\n"
                                    "The log file EPD2DIAG.001 has been created.\nPress a key"));
    EXPECT_TRUE(loose_match(read_file(dir.file("EPD2DIAG.001")),
                            "found  1:   Ra8 (MAT en 1) at ply  1 in <t> s (<n> eval in <t> s)\nnot found 2: choose  Rxd4  "
                            "instead of   Kf1 (<n> eval in <t> s)\n\"EPD2DIAG.EPD\", <date>,  1/2 solved, Time:0s, Consec:0\n"));
    EXPECT_FALSE(file_exists(dir.file("tests.log")));
}

TEST(ToolsProcess, TestCommandNumbersResultsAndLogsScores) {
    Tool_session session;
    write_file(session.dir.file("suite.epd"), "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8; id \"mate\";\n"
                                              "4k3/8/8/8/3q4/8/3R4/4K3 w - - bm Kf1 Ke2;\n");
    write_file(session.dir.file("nobm.epd"), "4k3/8/8/8/3q4/8/3R4/4K3 w - - id \"no bm\";\n");
    session.start();

    const std::string done = "has been created.\n";
    std::string       out  = session.command("test suite.epd 0", done);
    EXPECT_TRUE(loose_contains(out, "Looking for Ra8\n"));
    EXPECT_TRUE(loose_contains(out, "Looking for Kf1 Ke2\n"));
    EXPECT_TRUE(loose_contains(out, "4k3/8/8/8/3q4/8/3R4/4K3 w - - \nLooking for Kf1 Ke2\n"));
    // Only the unsolved position shows where its expected moves ranked, each with its line.
    EXPECT_EQ(count(out, "Rank#"), 2);
    EXPECT_TRUE(loose_contains(out, "Rank#0<n> :\n 3"));
    EXPECT_TRUE(loose_contains(out, "\"suite.epd\", <date>,  1/2 solved, Time:0s, Consec:0\nThe log file suite.001 has been created.\n"));
    out = session.command("test suite.epd 1 1", done);
    EXPECT_TRUE(loose_contains(out, "\"suite.epd\", <date>,  1/2 solved, Time:1s, Consec:1\nThe log file suite.002 has been created.\n"));

    out = session.command("test nobm.epd 0", "Consec:0\n");
    EXPECT_EQ(count(out, "No best move provided\n"), 1);

    out = session.command("test absent.epd 0", "Impossible d'ouvrir le fichier absent.epd !\n");
    session.command("test suite.epd\ntest absent.epd 0", "absent.epd !\n"); // too few words: nothing runs
    session.quit();

    const std::string result = "found  1:   Ra8 (MAT en 1) at ply  1 in <t> s (<n> eval in <t> s)\n"
                               "not found 2: choose  Rxd4  instead of Kf1 Ke2 (<n> eval in <t> s)\n";
    EXPECT_TRUE(loose_match(read_file(session.dir.file("suite.001")),
                            result + "\"suite.epd\", <date>,  1/2 solved, Time:0s, Consec:0\n"));
    EXPECT_TRUE(loose_match(read_file(session.dir.file("suite.002")),
                            result + "\"suite.epd\", <date>,  1/2 solved, Time:1s, Consec:1\n"));
    EXPECT_FALSE(file_exists(session.dir.file("suite.003")));
    EXPECT_FALSE(file_exists(session.dir.file("nobm.001")));
    EXPECT_TRUE(loose_match(read_file(session.dir.file("tests.log")),
                            "\"suite.epd\", <date>,  1/2 solved, Time:0s, Consec:0\n"
                            "\"suite.epd\", <date>,  1/2 solved, Time:1s, Consec:1\n"
                            "\"nobm.epd\", <date>,  0/1 solved, Time:0s, Consec:0\n"));
}

TEST(ToolsProcess, StableValueEndsEachPositionEarly) {
    Tool_session session(40);
    write_file(session.dir.file("stable.epd"), "4k3/8/8/8/3q4/8/3R4/4K3 w - - bm Rxd4\n"
                                               "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8\n");
    session.start();
    const std::string out = session.command("test stable.epd 0 2", "has been created.\n", 30);
    session.quit();
    // Iterations 1 and 2 only, for both positions.
    EXPECT_EQ(count(out, "\n 3"), 0) << out;
    EXPECT_GE(count(out, "\n 2"), 2);
    EXPECT_TRUE(loose_contains(out, "\"stable.epd\", <date>,  2/2 solved, Time:0s, Consec:2\n"));
}

TEST(ToolsProcess, BadevalStatAndSpeed) {
    Tool_session session;
    const std::string ok   = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - nb_moves==20 !is_weak_pawn(e2)";
    const std::string bad  = "4k3/8/8/8/3N4/8/8/4K3 w - - is_passed_pawn(d4) nb_moves<=3 is_weak_pawn(q1)";
    write_file(session.dir.file("badeval.epd"), ok + "\r\n" + bad + "\r\n" + std::string(300, 'z') + "\n");
    session.start();

    std::string out = session.command("badeval", "Finished, errors: 1/2\n");
    EXPECT_TRUE(loose_contains(out, ok + "\n" + bad + "\n" + bad + "\nKO, nb_moves (  <n>) is WRONG\n"));
    EXPECT_TRUE(loose_contains(out, "KO,  is_passed_pawn(d4) is WRONG\nErrors: 1/2\n" + bad + "\n\nFinished, errors: 1/2\n"));
    EXPECT_TRUE(loose_match(read_file(session.dir.file("bade_log.epd")),
                            bad + "\nKO, nb_moves (  <n>) is WRONG\n\n" + bad + "\nKO,  is_passed_pawn(d4) is WRONG\n\n"));

    out = session.command("stat", "En moyenne sur les 7 positions : ", 120);
    for (int i = 1; i <= 7; ++i)
        EXPECT_TRUE(loose_contains(out, "\nPosition #" + std::to_string(i) + "/7 : <n> nps (<n> coups)\n")) << i;

    // The one-minute search is cut short by "?", which stops any search.
    out = session.command("speed\n?", "En moyenne sur les 1 positions : ", 30);
    EXPECT_TRUE(loose_contains(out, "Position #1/1\n\n"));
    session.quit();
    EXPECT_TRUE(loose_match(read_file(session.dir.file("speed.log")),
                            "\n<date>, <n>, <*><n> 10E-6s/pos\n<date>, <n>, <*><n> 10E-6s/pos"));
}

} // namespace
