// The pawn table's size through the real binary: a size that is no power of two is rounded
// down, said once at start-up and written back to the settings file; 0 means 1 MB, silently.
#include <gtest/gtest.h>

#include <string>

#include "interface/engine_process.h"

namespace {

std::string settings_with_pawn_table(const std::string& size) {
    std::string settings = default_settings();
    settings.replace(settings.find("SIZE_HP=2"), 9, "SIZE_HP=" + size);
    return settings;
}

TEST(PawnTableSize, ThreeMegabytesBecomeTwoAndTheFileSaysSo) {
    Ttemp_dir dir;
    write_file(dir.file("brelok.ini"), settings_with_pawn_table("3"));
    Tengine_process engine(dir.path());
    ASSERT_TRUE(engine.wait_for("Using 2 MBytes for HashPawns instead of 3 MBytes\n")) << engine.output();
    engine.send("quit\n");
    EXPECT_EQ(engine.wait_exit(), 0);
    EXPECT_EQ(read_file(dir.file("brelok.ini")), settings_with_pawn_table("2"));
}

TEST(PawnTableSize, ZeroMeansOneMegabyteWithoutAWord) {
    Ttemp_dir dir;
    write_file(dir.file("brelok.ini"), settings_with_pawn_table("0"));
    Tengine_process engine(dir.path());
    engine.send("quit\n");
    EXPECT_EQ(engine.wait_exit(), 0);
    EXPECT_EQ(engine.output().find("MBytes for HashPawns"), std::string::npos) << engine.output();
    EXPECT_EQ(read_file(dir.file("brelok.ini")), settings_with_pawn_table("0"));
}

} // namespace
