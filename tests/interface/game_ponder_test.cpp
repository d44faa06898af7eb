// Pondering through the real binary: a hit and a miss, and the interrupt signal.
#include <gtest/gtest.h>

#include <csignal>
#include <thread>

#include "game_session.h"

namespace {

const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

std::string line_after(Tgame_session& s, const std::string& head) {
    if (!s.expect(head) || !s.expect("\n"))
        return "";
    const std::string& out = s.engine.output();
    const size_t from = out.rfind(head, s.mark) + head.size();
    return out.substr(from, s.mark - 1 - from);
}

TEST(GamePonder, HitPlaysAtOnceAndMissTakesThePredictionBack) {
    Tgame_session s("noise=99");
    s.send("xboard\nhard\nnew\ne2e4\n");
    std::vector<std::string> moves{"e2e4"};
    moves.push_back(s.next_move());
    const std::string predicted = line_after(s, "Pondering move  : ");
    ASSERT_FALSE(fen_after(START, {moves[0], moves[1], predicted}).empty()) << predicted;

    s.send(predicted + "\n");
    ASSERT_TRUE(s.expect("I have correctly predicted " + predicted + " :-) \n"));
    moves.push_back(predicted);
    moves.push_back(s.next_move());
    ASSERT_FALSE(fen_after(START, moves).empty()) << moves.back();

    // A move taken on trust while pondering, found illegal afterwards: refused, the game goes on.
    std::string second = line_after(s, "Pondering move  : ");
    s.send("e1e5\n");
    ASSERT_TRUE(s.expect("Illegal move\n"));
    EXPECT_EQ(s.engine.output().find("e1e5 was played"), std::string::npos);
    second = line_after(s, "Pondering move  : ");
    std::string other;
    for (const std::string& move : legal_moves(fen_after(START, moves)))
        if (move != second)
            other = move;
    ASSERT_FALSE(other.empty());
    s.send(other + "\n");
    ASSERT_TRUE(s.expect("I have predicted " + second + " but " + other + " was played :-( \n"));
    moves.push_back(other);
    moves.push_back(s.next_move());
    EXPECT_FALSE(fen_after(START, moves).empty()) << moves.back();
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);
    EXPECT_EQ(s.engine.errors(), "");
}

TEST(GamePonder, InterruptIsIgnoredUnderXboardAndOnlyStopsASearchAtTheConsole) {
    Tgame_session s("noise=99");
    s.send("xboard\nprotover 2\n");
    ASSERT_TRUE(s.expect("done=1\n"));
    kill(s.engine.process_id(), SIGINT);
    s.send("easy\nnew\ne2e4\n");
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        kill(s.engine.process_id(), SIGINT);
    }
    EXPECT_NE(s.next_move(), "");
    s.send("quit\n");
    EXPECT_EQ(s.engine.wait_exit(), 0);

    Tgame_session console("noise=99");
    console.send("easy\nnew\ne2e4\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    kill(console.engine.process_id(), SIGINT);
    EXPECT_NE(console.next_move(), "");
    console.send("quit\n");
    EXPECT_EQ(console.engine.wait_exit(), 0);
}

} // namespace
