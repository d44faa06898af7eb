// brelok.ini byte for byte: finding keys, replacing lines through a temporary file, the typed
// readers and their defaults.
#include <chrono>
#include <climits>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/config.h"
#include "interface/in_temp_dir.h"

namespace {

class SettingsFile : public Tin_temp_dir {
  protected:
    std::string ini() const { return read_file(dir.file("brelok.ini")); }
    // Nothing but the settings file (and perhaps a log) may be left behind.
    void expect_no_stray_files() const {
        for (const std::string& name : list_dir(dir.path()))
            EXPECT_TRUE(name == "brelok.ini" || name == "log") << name;
    }
};

TEST_F(SettingsFile, FindNeedsTheKeyAtLineStartFollowedByEquals) {
    write_file(dir.file("brelok.ini"), "max_sd =40\n max_sd=41\nmax_sdx=1\nmax_sd=42 \t\r\nx=\n");
    std::string value = "stale";
    EXPECT_EQ(config.find("max_sd", value), 3);
    EXPECT_EQ(value, "42");
    EXPECT_EQ(config.find("x", value), 4);
    EXPECT_EQ(value, "");
    EXPECT_EQ(config.find("", value), -1);
    EXPECT_EQ(config.find("missing", value), -1);
    remove(dir.file("brelok.ini").c_str());
    EXPECT_EQ(config.find("max_sd", value), -1);
}

TEST_F(SettingsFile, WriteLineReplacesAppendsOrRefuses) {
    // Left by a rewrite killed long ago: the next rewrite takes it away.
    write_file(dir.file(".brelok.ini.x1Y2z3"), "k=");
    std::filesystem::last_write_time(dir.file(".brelok.ini.x1Y2z3"),
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    const std::string head = "a=1\r\nb=", tail = "\n" + std::string(5000, 'z') + "\n"
                                                 + std::string("bin=\x01\x00\xff\n", 8) + "last";
    write_file(dir.file("brelok.ini"), head + "2" + tail);
    EXPECT_EQ(config.write_line(1, "b=3\n"), 1);
    EXPECT_EQ(config.write_line(5, "c=4\n"), 0); // five lines: index 5 is past the end
    EXPECT_EQ(ini(), head + "3" + tail);
    EXPECT_EQ(config.write_line(-1, "c=4\n"), 1); // the unterminated last line gets its end
    EXPECT_EQ(config.write_line(5, "c=5\n"), 1);
    EXPECT_EQ(ini(), head + "3" + tail + "\nc=5\n");
    expect_no_stray_files();
}

TEST_F(SettingsFile, MissingFileIsCreatedPermissionsKeptReadOnlyLeftAlone) {
    EXPECT_EQ(config.write_line(-1, "k=v\n"), 1);
    chmod(dir.file("brelok.ini").c_str(), 0640);
    config.set("k", "w");
    config.set("j", "x");
    EXPECT_EQ(ini(), "k=w\nj=x\n");
    struct stat info {};
    stat(dir.file("brelok.ini").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    chmod(dir.file("brelok.ini").c_str(), 0444); // honoured even by root, who could write
    EXPECT_EQ(config.write_line(0, "k=2\n"), 0);
    EXPECT_EQ(config.get_int("b", 7), 7);
    EXPECT_EQ(ini(), "k=w\nj=x\n");
    expect_no_stray_files();
}

// Through a symbolic link the file it leads to is rewritten (or made, when missing), and the
// link stays.
TEST_F(SettingsFile, RewritesGoThroughSymbolicLinks) {
    std::filesystem::create_directory(dir.file("real"));
    write_file(dir.file("real/settings"), "a=1\n");
    std::filesystem::create_symlink("real/settings", dir.file("brelok.ini"));
    config.set("a", "2");
    EXPECT_EQ(read_file(dir.file("real/settings")), "a=2\n");
    std::filesystem::remove(dir.file("real/settings"));
    config.set("b", "3");
    EXPECT_EQ(read_file(dir.file("real/settings")), "b=3\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("brelok.ini")));
    EXPECT_EQ(list_dir(dir.file("real")), std::vector<std::string>{"settings"});
}

TEST_F(SettingsFile, GetFillsEmptyOrMissingKeysWithTheirDefaults) {
    write_file(dir.file("brelok.ini"), "n=\nflag=oui\nword=Y\nnum=30abc\nneg= -12\n");
    EXPECT_EQ(config.get_int("n", 8), 8);
    EXPECT_EQ(config.get_bool("flag", 0), 1);
    EXPECT_EQ(config.get_bool("word", 1), 0);
    EXPECT_EQ(config.get_int("num", 1), 30);
    EXPECT_EQ(config.get_int("neg", 1), -12);
    EXPECT_EQ(config.get_bool("new", 1), 1);
    EXPECT_EQ(config.get("text", "./TB"), "./TB");
    EXPECT_EQ(ini(), "n=8\nflag=oui\nword=Y\nnum=30abc\nneg= -12\nnew=TRUE\ntext=./TB\n");
    for (const char* yes : {"TRUE", "true", "Vrai", "yes", "OUI", "1"})
        EXPECT_EQ(parse_setting_bool(yes), 1) << yes;
    for (const char* no : {"Y", "01", " TRUE", "FALSE", "", "2"})
        EXPECT_EQ(parse_setting_bool(no), 0) << no;
    EXPECT_EQ(parse_setting_int("abc"), 0);
    EXPECT_EQ(parse_setting_int("+5"), 5);
    EXPECT_EQ(parse_setting_int("99999999999"), INT_MAX); // the ranges bring it back
    EXPECT_EQ(parse_setting_int("-99999999999x"), INT_MIN);
}

} // namespace
