// The print routine and its log; the non-blocking reader under a running ticker; edit mode.
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "base/config.h"
#include "base/console.h"
#include "base/data_rows.h"
#include "board/boarddata.h"
#include "interface/commands.h"
#include "interface/in_temp_dir.h"

namespace {

class Console : public Tin_temp_dir {};

// ">" marks a log-only message; a line waits in the log until its end; a pending text too long to
// wait (8192 characters at most) is left out of the log only.
TEST_F(Console, LogOnlyMessagesAndPendingLines) {
    testing::internal::CaptureStdout();
    console.print(">Illegal move (%s)\n", "xyz");
    console.print("abc");
    console.print("def\n");
    console << ">" << 42 << "\n";
    console.print(">");
    for (int i = 0; i < 20; ++i)
        console.print("%s", std::string(500, 'a' + char(i)).c_str());
    console.print("!\n");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.substr(0, 11), "abcdef\n42\n" + std::string(1, 'a'));
    EXPECT_EQ(out.size(), 10 + 20u * 500 + 2);
    EXPECT_EQ(only_log(), "Illegal move (xyz)\nabcdef\n42\n" + out.substr(10, 16 * 500) + "!\n");
}

TEST_F(Console, ReportErrorShowsThePosition) {
    Tboarddata record;
    ASSERT_EQ(record.set_fen("4k3/8/8/8/8/8/8/4K3 w - -"), 1);
    const std::string out =
        printed_by([] { console.report_error("Une erreur s'est produite dans search !"); });
    board_state.current_record = nullptr;
    EXPECT_EQ(out.rfind("Une erreur s'est produite dans search !", 0), 0u);
    EXPECT_NE(out.find("4k3/8/8/8/8/8/8/4K3 w - - \n"), std::string::npos) << out;
    EXPECT_NE(out.find("Profondeur: 0\n"), std::string::npos);
}

TEST_F(Console, NothingBlocksWhileNoWholeLineIsThere) {
    Tstdin_pipe  input;
    const double start = seconds_now();
    EXPECT_EQ(read_command(0), CMD_NONE);
    input.send("for");
    EXPECT_EQ(read_command(0), CMD_NONE);
    EXPECT_LT(seconds_now() - start, 0.1);
    input.send("ce\nnew\n");
    EXPECT_EQ(read_command(0), CMD_FORCE);
    EXPECT_EQ(read_command(0), CMD_NEW);
    EXPECT_EQ(read_command(0), CMD_NONE);
}

// The search's poll, as it runs: between ticks only the tick byte is looked at.
TEST_F(Console, CommandSentWhileBusyIsSeenAtTheNextTick) {
    Tstdin_pipe input;
    ASSERT_EQ(config.tick_period.load(), 500);
    double       sent_at = 0;
    std::thread  opponent([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sent_at = seconds_now();
        input.send("go\n");
    });
    const double start = seconds_now();
    int          code = CMD_NONE, polls = 0;
    while (code == CMD_NONE && seconds_now() - start < 3)
        if (config.tick.exchange(0, std::memory_order_relaxed)) {
            ++polls;
            code = read_command(0);
        }
    const double seen_at = seconds_now();
    opponent.join();
    EXPECT_EQ(code, CMD_GO);
    EXPECT_LE(seen_at - sent_at, 0.65);
    EXPECT_LE(polls, 3); // one read per tick, not per turn of the loop
}

TEST_F(Console, EditModePlacesAndRemovesPiecesUntilExitOrDot) {
    Tstdin_pipe input;
    input.send("#\nKe1\nRh1 \nPe4\nc\nke8\nPD7\nxe4\nQz9\nx\nwhatever\nexit\nnew\nNb1\n.\n");
    int8_t board[64]         = {};
    board[make_square(4, 3)] = -KING; // replaced by the "#" line
    EXPECT_EQ(edit_position(BLACK, board), "4k3/3p4/8/8/8/8/8/4K2R b - -");
    EXPECT_EQ(read_command(0), CMD_NEW); // the reader stops right after "exit"
    int8_t rook[64] = {ROOK};
    EXPECT_EQ(edit_position(WHITE, rook), "8/8/8/8/8/8/8/RN6 w - -");
}

} // namespace
