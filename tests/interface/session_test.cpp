// Scripted sessions end to end: what the engine prints, logs and writes back for each command.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "engine_process.h"
#include "game_session.h"

namespace {

const char* const BANNER = "0 entries found in the Opening Book (b_book.bin)\n";

std::string host() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

// A session in a directory with a complete settings file; the output without the banner.
struct Tsession {
    Ttemp_dir dir;

    std::string run(const std::string& input, int code = 0) {
        Tengine_process engine(dir.path());
        engine.send(input);
        engine.close_input();
        EXPECT_EQ(engine.wait_exit(), code);
        EXPECT_EQ(engine.errors(), "");
        const std::string out = engine.output();
        const std::string opening = BANNER + start_display();
        EXPECT_EQ(out.rfind(opening, 0), 0u) << out;
        return out.substr(std::min(out.size(), opening.size()));
    }
    std::string log() const {
        const std::vector<std::string> names = list_dir(dir.file("log"));
        return names.size() == 1 ? read_file(dir.file("log/" + names[0])) : "";
    }
    std::string settings() const { return read_file(dir.file("brelok.ini")); }
};

std::string help_text(const std::string& values) { // values: sel min max draw noise p b l
    std::string v[8];
    std::istringstream in(values);
    for (std::string& value : v)
        in >> value;
    return "Brelok[" + host() + "] " BRELOK_VERSION "\n"
           "Brelok, a chess engine for the xboard protocol and the console\n"
           "Releases and sources: see the Brelok project's home page\n"
           "selectivite x   : Set the selectivity to x (x==" + v[0] + ")\n"
           "min_sd x        : Set the minimal searchDepth to x (x==" + v[1] + ")\n"
           "max_sd x        : Set the maximum searchDepth to x (x==" + v[2] + ")\n"
           "DRAW_SCORE x    : Set the DRAW SCORE to x (x==" + v[3] + ")\n"
           "noiseply x         : Set the noise to x (x==" + v[4] + ")\n"
           "ponder on/off   : Use pondering (ponder==" + v[5] + ")\n"
           "book on/off     : Use opening book (book==" + v[6] + ")\n"
           "log on/off      : Log data in the ditrectory \"./log\" (log==" + v[7] + ")\n"
           "quit            : Leave the program\n"
           "undo            : Back to previous boarddata\n"
           "remove          : Undo + undo\n"
           "?               : Force move\n"
           "fusion s1 s2 d1 : store in 'd1' a book made with 's1' & 's2'\n"
           "makebook pgn bin: make the book 'bin' from the 'pgn' file\n"
           "makesbook       : update the special book b_style.bin from b_style.txt\n"
           "test epd_filename s1 [s2]: process the file 'epd_filename' (s1: number of "
           "seconds/position)\n";
}

TEST(Session, HelpShowsCurrentValuesAndSettingsReachTheFileAtOnce) {
    Tsession s;
    write_file(s.dir.file("brelok.ini"), default_settings());
    const std::string out = s.run("help\nselectivite 30\nmin_sd 2\nmax_sd 12\nDRAW_SCORE -20\n"
                                  "noiseply 3\nponder off\nbook off\nhelp\nquit\n");
    EXPECT_EQ(out, help_text("25 1 35 0 1 on on on") + help_text("30 2 12 -20 3 off off on"));
    std::string expected = default_settings();
    for (auto [from, to] : {std::pair{"selectivite=25", "selectivite=30"},
                            {"min_sd=1", "min_sd=2"}, {"max_sd=35", "max_sd=12"},
                            {"DRAW_SCORE=0", "DRAW_SCORE=-20"}, {"noise=1", "noise=3"}})
        expected.replace(expected.find(from), strlen(from), to);
    EXPECT_EQ(s.settings(), expected);
}

TEST(Session, BookSwitchFollowsTheWordOff) {
    Tsession s;
    write_file(s.dir.file("brelok.ini"), default_settings());
    const std::string out = s.run("book off\nhelp\nbookx\nhelp\nquit\n");
    EXPECT_NE(out.find("(book==off)"), std::string::npos);
    EXPECT_NE(out.find("(book==on)", out.find("(book==off)")), std::string::npos);
}

TEST(Session, IllegalLinesAndGameCommandsGoToTheLogOnly) {
    Tsession s;
    write_file(s.dir.file("brelok.ini"), default_settings());
    const std::string out =
        s.run("xyz\nselectivite abc\nlevel 40\ntime\nname Some Body\nrating 2100 1900\n"
              "hard\nfritz\n   \n.\nmenu\ne2e5\nundo\nquit\n");
    EXPECT_EQ(out, "Illegal move\nIllegal move: undo\n");
    const std::string log = s.log();
    for (const char* line :
         {"<\"xyz\"\nIllegal move (xyz)\n", "Illegal move (selectivite abc)\n",
          "Illegal move (level 40)\n", "Illegal move (time)\n", "<\"rating 2100 1900\"\n<\"hard\""
          "\nEnable Pondering\n<\"fritz\"\nPlaying under Fritz\n<\"   \"\n<\".\"\n<\"menu\"\n"
          "<\"e2e5\"\nIllegal move\n<\"undo\"\nIllegal move: undo\n<\"quit\"\nLeaving the program\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n---\n" << log;
    EXPECT_EQ(log.find("Illegal move (name"), std::string::npos);
    EXPECT_NE(log.find(BANNER), std::string::npos);
}

TEST(Session, LogFileIsNamedAfterTheTimeOfItsFirstMessage) {
    Tsession s;
    write_file(s.dir.file("brelok.ini"), default_settings());
    const time_t before = time(nullptr);
    s.run("quit\n");
    const std::vector<std::string> names = list_dir(s.dir.file("log"));
    ASSERT_EQ(names.size(), 1u);
    // log<seconds since midnight, 5 digits>.<month 1-9, a-c><day, 2 digits>
    const std::string& name = names[0];
    ASSERT_EQ(name.size(), 12u) << name;
    EXPECT_EQ(name.substr(0, 3), "log");
    EXPECT_EQ(name[8], '.');
    const int logged_seconds = std::stoi(name.substr(3, 5));
    const int logged_day     = std::stoi(name.substr(10, 2));
    tm local{};
    localtime_r(&before, &local);
    const int seconds = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    EXPECT_NEAR(logged_seconds, seconds, 5);
    EXPECT_EQ(name[9], "123456789abc"[local.tm_mon]);
    EXPECT_EQ(logged_day, local.tm_mday);
}

TEST(Session, NoLogWhenLoggingIsDisabledOrImpossible) {
    Tsession    s;
    std::string settings = default_settings();
    settings.replace(settings.find("ENABLE_LOG=TRUE"), 15, "ENABLE_LOG=FALSE");
    write_file(s.dir.file("brelok.ini"), settings);
    EXPECT_EQ(s.run("help\nquit\n"), help_text("25 1 35 0 1 on on on"));
    EXPECT_FALSE(file_exists(s.dir.file("log")));

    // A file named "log" stands where the directory would go: the engine runs on, unlogged.
    write_file(s.dir.file("brelok.ini"), default_settings());
    write_file(s.dir.file("log"), "not a directory");
    EXPECT_EQ(s.run("help\nquit\n"), help_text("25 1 35 0 1 on on off"));
    EXPECT_EQ(read_file(s.dir.file("log")), "not a directory");
}

TEST(Session, EndOfInputEndsTheProgramAndAnUnterminatedLastLineCounts) {
    Tsession s;
    write_file(s.dir.file("brelok.ini"), default_settings());
    EXPECT_EQ(s.run("max_sd 7"), "");
    EXPECT_NE(s.settings().find("\nmax_sd=7\n"), std::string::npos);
    EXPECT_NE(s.log().find("<\"max_sd 7\"\nEnd of input: leaving the program\n"),
              std::string::npos);
    EXPECT_EQ(s.run("quit"), "");
}

TEST(Session, OverlongLinesAndBinaryGarbageAreDroppedSafely) {
    Tsession s;
    write_file(s.dir.file("brelok.ini"), default_settings());
    std::string garbage;
    for (int i = 0; i < 4000; ++i)
        garbage += char((i * 7919) % 256);
    const std::string ten_megabytes(10 * 1024 * 1024, 'a');
    const std::string input = std::string(150, 'b') + " max_sd 3\n" + std::string(1500, 'c')
                            + "\n" + garbage + "\n" + ten_megabytes + "\nmax_sd 9\n"
                            + std::string("max\0_sd 4\n", 11) + "help\nquit\n";
    Tengine_process engine(s.dir.path());
    std::thread     writer([&] { engine.send(input); });
    EXPECT_EQ(engine.wait_exit(60), 0);
    writer.join();
    EXPECT_EQ(engine.errors(), "");
    EXPECT_NE(engine.output().find("(x==9)"), std::string::npos);
    EXPECT_NE(s.settings().find("\nmax_sd=9\n"), std::string::npos);
    EXPECT_NE(s.log().find("Line of 10485760 bytes ignored: too long\n"), std::string::npos);
    EXPECT_NE(s.log().find("Line of 159 bytes ignored: too long\n"), std::string::npos);
    EXPECT_NE(s.log().find("Line of 1500 bytes ignored: too long\n"), std::string::npos);
    EXPECT_NE(s.log().find("Illegal move (max _sd 4)\n"), std::string::npos);
}

} // namespace
