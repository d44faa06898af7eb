// Protocol 2 and UCI through the real engine: bad input answered without harm (one table), and
// the UCI commands answered while a search runs.
#include <chrono>
#include <gtest/gtest.h>

#include "base/data_rows.h"
#include "game_session.h"

namespace {

std::string unescaped(const std::string& text) {
    std::string out = text;
    for (size_t at = out.find("\\n"); at != std::string::npos; at = out.find("\\n", at + 1))
        out.replace(at, 2, "\n");
    return out;
}

TEST(Protocols, BadInputIsAnsweredAndThePositionKept) {
    Tgame_session uci("noise=1"), xboard("noise=99");
    uci.send("uci\n");
    ASSERT_TRUE(uci.expect("uciok\n"));
    xboard.send("xboard\nprotover 2\neasy\nforce\n");
    ASSERT_TRUE(xboard.expect("done=1\n"));
    for (const Trow& row : read_rows("interface/data/bad_inputs.txt")) {
        SCOPED_TRACE(row.where);
        Tgame_session&    s    = row[0] == "uci" ? uci : xboard;
        const std::string line = row[1] == "@LONG@" ? std::string(10000, 'x') : row[1];
        s.send(line + "\n");
        if (!row[2].empty()) {
            ASSERT_TRUE(s.expect(unescaped(row[2]) + "\n")) << s.rest();
        }
        if (!row[3].empty()) {
            // A search of the position, unless the line was one.
            if (row[0] == "uci" && row[1].rfind("go ", 0) != 0)
                s.send("go depth 1\n");
            ASSERT_TRUE(s.expect(row[3] + "\n")) << s.rest();
        }
        // Each answer is complete before the next line: a ping (or isready) answered proves it.
        s.send(row[0] == "uci" ? "isready\n" : "ping 1\n");
        ASSERT_TRUE(s.expect(row[0] == "uci" ? "readyok\n" : "pong 1\n")) << s.rest();
    }
    for (Tgame_session* s : {&uci, &xboard}) {
        s->send("quit\n");
        EXPECT_EQ(s->engine.wait_exit(), 0);
        EXPECT_EQ(s->engine.errors(), "");
    }
}

using Tclock = std::chrono::steady_clock;
double seconds_since(Tclock::time_point start) {
    return std::chrono::duration<double>(Tclock::now() - start).count();
}

// While a search runs: isready answered without ending it, stop within a tick (ping and "." in
// analyze mode: sessions/analyze.txt).
TEST(Protocols, AnswersDuringASearch) {
    Tgame_session uci;
    uci.send("uci\nposition startpos\ngo infinite\n");
    ASSERT_TRUE(uci.expect("info depth 3 "));
    uci.send("isready\n");
    ASSERT_TRUE(uci.expect("readyok\n"));
    EXPECT_TRUE(uci.expect("info depth ", 10)) << "the search went on";
    const auto stopped = Tclock::now();
    uci.send("stop\n");
    ASSERT_TRUE(uci.expect("bestmove "));
    EXPECT_LT(seconds_since(stopped), 0.5 + 0.25); // a tick, and some slack for a busy machine
    EXPECT_EQ(uci.rest().find("readyok"), std::string::npos);
    uci.send("quit\n");
    EXPECT_EQ(uci.engine.wait_exit(), 0);
}

} // namespace
