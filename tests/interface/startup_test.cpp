// Start-up end to end: the settings file as the engine finds, completes and refuses it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine_process.h"
#include "game_session.h"

namespace {

const char* const BANNER  = "0 entries found in the Opening Book (b_book.bin)\n";
const char* const REFUSAL = "The Brelok configuration file (brelok.ini) is invalid.\n"
                            "Please download the program again.\n"
                            "Press a key to continue...\n";

// Every key at its default, in table order, without DEBUG_TEST.
std::string table_lines() {
    std::string all = default_settings("");
    return all.substr(0, all.rfind("DEBUG_TEST="));
}

// Starts the engine, gives it a key press if it asks for one, and expects it to end with `code`.
std::string run_to_end(const Ttemp_dir& dir, const std::string& input, int code,
                       const std::vector<std::string>& args = {}) {
    Tengine_process engine(dir.path(), args);
    engine.send(input);
    engine.close_input();
    EXPECT_EQ(engine.wait_exit(), code);
    EXPECT_EQ(engine.errors(), "");
    return engine.output();
}

TEST(Startup, FirstStartWritesEveryKeyInOrderAndRefuses) {
    Ttemp_dir dir;
    EXPECT_EQ(run_to_end(dir, "\n", 0), REFUSAL);
    EXPECT_EQ(read_file(dir.file("brelok.ini")), table_lines() + "DEBUG_TEST=\n");
    // The second start finds DEBUG_TEST empty: the same refusal, the file rewritten in place.
    EXPECT_EQ(run_to_end(dir, "x", 0), REFUSAL);
    EXPECT_EQ(read_file(dir.file("brelok.ini")), table_lines() + "DEBUG_TEST=\n");
    EXPECT_EQ(list_dir(dir.path()), (std::vector<std::string>{"brelok.ini", "log"}));
}

TEST(Startup, ShippedSettingsFileIsCompleteAndLetsTheEngineStart) {
    Ttemp_dir         dir;
    const std::string shipped = read_file(std::string(BRELOK_SOURCE_DIR) + "/brelok.ini");
    EXPECT_EQ(shipped, default_settings("1"));
    write_file(dir.file("brelok.ini"), shipped);
    EXPECT_EQ(run_to_end(dir, "quit\n", 0), BANNER + start_display());
    EXPECT_EQ(read_file(dir.file("brelok.ini")), shipped);
}

TEST(Startup, EmptyValuesAreFilledInPlaceAndOtherLinesKept) {
    Ttemp_dir   dir;
    std::string settings = "# my settings\n" + default_settings();
    settings.replace(settings.find("SIZE_HT=8"), 9, "SIZE_HT=");
    settings.replace(settings.find("DEBUG_EPD="), 10, "[not a key]\nDEBUG_EPD=");
    write_file(dir.file("brelok.ini"), settings);
    std::string expected = settings;
    expected.replace(expected.find("SIZE_HT="), 8, "SIZE_HT=8");
    EXPECT_EQ(run_to_end(dir, "quit\n", 0), BANNER + start_display());
    EXPECT_EQ(read_file(dir.file("brelok.ini")), expected);
}

TEST(Startup, KeyMatchesOnlyAtLineStartFollowedByEquals) {
    Ttemp_dir   dir;
    std::string settings = default_settings();
    settings.replace(settings.find("max_sd=35"), 9, "max_sd =40\n max_sd=41\nmax_sdx=42");
    write_file(dir.file("brelok.ini"), settings);
    const std::string out = run_to_end(dir, "help\nquit\n", 0);
    EXPECT_NE(out.find("maximum searchDepth to x (x==35)"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("brelok.ini")), settings + "max_sd=35\n");
}

TEST(Startup, ValuesAreReadByTheirKeysType) {
    Ttemp_dir   dir;
    std::string settings = default_settings();
    settings.replace(settings.find("selectivite=25"), 14, "selectivite=30abc");
    settings.replace(settings.find("noise=1"), 7, "noise=  -4");
    settings.replace(settings.find("ENABLE_PONDERING=TRUE"), 21, "ENABLE_PONDERING=oui");
    write_file(dir.file("brelok.ini"), settings);
    std::string out = run_to_end(dir, "help\nquit\n", 0);
    EXPECT_NE(out.find("Set the selectivity to x (x==30)\n"), std::string::npos);
    EXPECT_NE(out.find("Set the noise to x (x==-4)\n"), std::string::npos);
    EXPECT_NE(out.find("(ponder==on)\n"), std::string::npos);

    settings.replace(settings.find("ENABLE_PONDERING=oui"), 20, "ENABLE_PONDERING=Y");
    write_file(dir.file("brelok.ini"), settings);
    out = run_to_end(dir, "help\nquit\n", 0);
    EXPECT_NE(out.find("(ponder==off)\n"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("brelok.ini")), settings); // nothing was missing
}

TEST(Startup, UnterminatedLastLineGetsItsLineEndBeforeAnAppendedKey) {
    Ttemp_dir dir;
    write_file(dir.file("brelok.ini"), "DEBUG_TEST=yes");
    EXPECT_EQ(run_to_end(dir, "quit\n", 0), BANNER + start_display());
    EXPECT_EQ(read_file(dir.file("brelok.ini")), "DEBUG_TEST=yes\n" + table_lines());
}

TEST(Startup, CountsBookEntries) {
    Ttemp_dir dir;
    write_file(dir.file("brelok.ini"), default_settings());
    write_file(dir.file("b_book.bin"), std::string(24 * 3 + 5, 'x'));
    EXPECT_EQ(run_to_end(dir, "quit\n", 0),
              "3 entries found in the Opening Book (b_book.bin)\n" + start_display());
}

TEST(Startup, EpdArgumentRunsTheSuiteAndEnds) {
    Ttemp_dir dir;
    write_file(dir.file("brelok.ini"), default_settings());
    const std::string out = run_to_end(dir, "\n", 1, {"-x", "EPD2DIAG.EPD"});
    EXPECT_EQ(out.rfind(BANNER, 0), 0u);
    EXPECT_NE(out.find("EPD2DIAG.EPD"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 27), "Press a key to continue...\n");
}

// Root ignores permission bits; the engine honours a read-only file all the same.
TEST(Startup, ReadOnlySettingsFileIsNeverChanged) {
    Ttemp_dir         dir;
    const std::string settings = "DEBUG_TEST=yes\nmax_sd=20\n";
    write_file(dir.file("brelok.ini"), settings);
    chmod(dir.file("brelok.ini").c_str(), 0444);
    const std::string out = run_to_end(dir, "max_sd 12\nhelp\nquit\n", 0);
    EXPECT_NE(out.find("maximum searchDepth to x (x==12)"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("brelok.ini")), settings);
    EXPECT_EQ(list_dir(dir.path()), (std::vector<std::string>{"brelok.ini", "log"}));
}

TEST(Startup, SettingsPathThatIsADirectoryRefusesCleanly) {
    Ttemp_dir dir;
    mkdir(dir.file("brelok.ini").c_str(), 0755);
    EXPECT_EQ(run_to_end(dir, "", 0), REFUSAL);
    EXPECT_EQ(list_dir(dir.file("brelok.ini")), std::vector<std::string>{});
}

} // namespace
