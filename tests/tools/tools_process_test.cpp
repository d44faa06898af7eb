// The tools through the real binary: the EPD2DIAG.EPD start and, through the game loop, the test,
// badeval, speed and stat commands.
#include <gtest/gtest.h>

#include "interface/game_session.h"
#include "loose_match.h"

namespace {

// Sends the command and returns the output that follows it up to `until`.
std::string command(Tgame_session& s, const std::string& line, const std::string& until,
                    double seconds = 60) {
    const size_t from = s.engine.output().size();
    s.send(line + "\n");
    EXPECT_TRUE(s.engine.wait_for(until, seconds, from)) << line << "\n" << s.engine.output().substr(from);
    return s.engine.output().substr(from);
}

const std::string RESULT = "found  1:   Ra8 (MAT en 1) at ply  1 in <t> s (<n> eval in <t> s)\n"
                           "not found 2: choose  Rxd4  instead of ";

TEST(ToolsProcess, DiagnosticSuiteFromTheCommandLine) {
    Ttemp_dir dir;
    write_file(dir.file("brelok.ini"), settings_with("max_sd=3"));
    write_file(dir.file("EPD2DIAG.EPD"),
               "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8;\r\n4k3/8/8/8/3q4/8/3R4/4K3 w - - bm Kf1\r\n");
    Tengine_process engine(dir.path(), {"EPD2DIAG.EPD"});
    ASSERT_TRUE(engine.wait_for("Press a key to continue...\n", 60));
    engine.send("\n");
    EXPECT_EQ(engine.wait_exit(), 1);
    const std::string summary = "\"EPD2DIAG.EPD\", <date>,  1/2 solved, Time:0s, Consec:0\n";
    EXPECT_TRUE(
        loose_contains(engine.output(), "Looking for Ra8\n<*>Rank#<*>" + summary
                                            + "The log file EPD2DIAG.001 has been created.\nPress a key"));
    EXPECT_TRUE(
        loose_match(read_file(dir.file("EPD2DIAG.001")), RESULT + "  Kf1 (<n> eval in <t> s)\n" + summary));
    EXPECT_FALSE(file_exists(dir.file("tests.log")));
}

// One session: the test command (numbered results, the stable-value stop), then badeval, stat, speed.
TEST(ToolsProcess, TestBadevalStatAndSpeedCommands) {
    Tgame_session s("max_sd=3");
    write_file(
        s.dir.file("suite.epd"),
        "6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8; id \"mate\";\n4k3/8/8/8/3q4/8/3R4/4K3 w - - bm Kf1 Ke2;\n");
    write_file(s.dir.file("stable.epd"),
               "4k3/8/8/8/3q4/8/3R4/4K3 w - - bm Rxd4\n6k1/5ppp/8/8/8/8/8/R5K1 w - - bm Ra8\n");
    const std::string summary = "\"suite.epd\", <date>,  1/2 solved, Time:";
    std::string       out     = command(s, "test suite.epd 0", "has been created.\n");
    EXPECT_TRUE(
        loose_contains(out, "Looking for Ra8\n<*>4k3/8/8/8/3q4/8/3R4/4K3 w - - \nLooking for Kf1 Ke2\n"));
    // Only the unsolved position shows where its expected moves ranked, each with its line.
    EXPECT_EQ(count(out, "Rank#"), 2);
    EXPECT_TRUE(loose_contains(out, "Rank#0<n> :\n 3"));
    EXPECT_TRUE(loose_contains(out, summary + "0s, Consec:0\nThe log file suite.001 has been created.\n"));
    out = command(s, "test suite.epd 1 1", "has been created.\n");
    EXPECT_TRUE(loose_contains(out, summary + "1s, Consec:1\nThe log file suite.002 has been created.\n"));
    command(s, "test suite.epd\ntest absent.epd 0",
            "Impossible d'ouvrir le fichier absent.epd !\n"); // too few words: nothing
    // A value stable for two iterations ends each position before the depth limit.
    out = command(s, "test stable.epd 0 2", "has been created.\n", 30);
    EXPECT_EQ(count(out, "\n 3"), 0) << out; // iterations 1 and 2 only, for both positions
    EXPECT_GE(count(out, "\n 2"), 2);
    EXPECT_TRUE(loose_contains(out, "\"stable.epd\", <date>,  2/2 solved, Time:0s, Consec:2\n"));

    // badeval, stat and speed reach their tools, which are tested in process in full.
    write_file(s.dir.file("badeval.epd"), "4k3/8/8/8/3N4/8/8/4K3 w - - nb_moves<=3\r\n");
    EXPECT_TRUE(
        loose_contains(command(s, "badeval", "Finished, errors: 1/1\n"), "KO, nb_moves (  <n>) is WRONG\n"));
    EXPECT_TRUE(
        loose_contains(command(s, "stat", "coups\n", 120), "\nPosition #7/7 : <n> nps (<n> coups)\n"));
    // The one-minute search is cut short by "?", which stops any search.
    EXPECT_TRUE(
        loose_contains(command(s, "speed\n?", "En moyenne sur les 1 positions : ", 30), "Position #1/1\n\n"));
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    // The result files' contents are pinned by the in-process tests: here only which were made.
    EXPECT_TRUE(file_exists(s.dir.file("suite.002")));
    EXPECT_FALSE(file_exists(s.dir.file("suite.003")));
}

} // namespace
