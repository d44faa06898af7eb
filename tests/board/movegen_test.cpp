// Board edge cases: move order and legality, checks found by make_child, the FEN reader's
// checks and warnings, the hash-key values and the start-up tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "board/boarddata.h"
#include "board/tables.h"
#include "base/config.h"

namespace {

Tboarddata records[8];

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

Square sq(const char* name) { return make_square(name[0] - 'a', name[1] - '1'); }

Move quiet(const char* from, const char* to, int kind) { return make_move(sq(to), sq(from), kind); }

std::vector<Move> list_of(const Tboarddata& r) { return {r.moves + 1, r.moves + 1 + r.nb_moves}; }

std::vector<Move> legal(Tboarddata& r) {
    r.gen_legal();
    return list_of(r);
}

bool contains(const std::vector<Move>& moves, Move m) { return std::find(moves.begin(), moves.end(), m) != moves.end(); }

void setup(const char* fen) { ASSERT_EQ(records[0].set_fen(fen), 1) << fen; }

// ---------------------------------------------------------------------------------------------
// Generation order and legality

TEST(MoveGen, StartPositionOrder) {
    setup(START_FEN);
    std::vector<Move> expected;
    for (int file = 0; file < 8; ++file) {
        expected.push_back(make_move(make_square(file, 2), make_square(file, 1), KIND_PAWN));
        expected.push_back(make_move(make_square(file, 3), make_square(file, 1), KIND_PAWN));
    }
    expected.push_back(quiet("b1", "a3", KIND_KNIGHT));
    expected.push_back(quiet("b1", "c3", KIND_KNIGHT));
    expected.push_back(quiet("g1", "f3", KIND_KNIGHT));
    expected.push_back(quiet("g1", "h3", KIND_KNIGHT));
    EXPECT_EQ(records[0].gen_legal(), GEN_MOVES);
    EXPECT_EQ(list_of(records[0]), expected);
}

// Pawn captures target by target, promotions bishop, rook, queen, knight; then pushes; then the
// king in ascending target order.
TEST(MoveGen, PromotionOrderOfFullGenerator) {
    setup("r1n1k3/1P6/8/8/8/8/8/4K3 w - -");
    std::vector<Move> expected;
    for (auto [to, captured] : {std::pair{"a8", ROOK}, std::pair{"c8", KNIGHT}, std::pair{"b8", EMPTY}})
        for (int kind : {KIND_PROMO_BISHOP, KIND_PROMO_ROOK, KIND_PROMO_QUEEN, KIND_PROMO_KNIGHT})
            expected.push_back(make_move(sq(to), sq("b7"), kind, captured));
    for (const char* to : {"d1", "f1", "d2", "e2", "f2"})
        expected.push_back(quiet("e1", to, KIND_KING));
    EXPECT_EQ(legal(records[0]), expected);
}

// The capture generator lists promotions queen first, quiet ones after the captures.
TEST(MoveGen, CaptureGeneratorPromotions) {
    setup("k7/4P3/8/8/8/8/8/4K3 w - -");
    records[0].gen_captures();
    EXPECT_EQ(records[0].captures_done, 1);
    const std::vector<Move> quiet_promotions = {
        quiet("e7", "e8", KIND_PROMO_QUEEN), quiet("e7", "e8", KIND_PROMO_ROOK),
        quiet("e7", "e8", KIND_PROMO_BISHOP), quiet("e7", "e8", KIND_PROMO_KNIGHT)};
    EXPECT_EQ(list_of(records[0]), quiet_promotions);

    setup("r1n1k3/1P6/8/8/8/8/8/4K3 w - -");
    records[0].gen_captures();
    std::vector<Move> expected;
    for (auto [to, captured] : {std::pair{"a8", ROOK}, std::pair{"c8", KNIGHT}, std::pair{"b8", EMPTY}})
        for (int kind : {KIND_PROMO_QUEEN, KIND_PROMO_ROOK, KIND_PROMO_BISHOP, KIND_PROMO_KNIGHT})
            expected.push_back(make_move(sq(to), sq("b7"), kind, captured));
    EXPECT_EQ(list_of(records[0]), expected);
}

TEST(MoveGen, DoubleCheckLeavesOnlyKingMoves) {
    // Rook e8 and bishop b4 both check; the rook on b1 could take the bishop and the knight could
    // block either line, but not both.
    setup("k3r3/8/8/8/1bN5/8/8/1R2K3 w - -");
    ASSERT_EQ(records[0].nb_checkers, 2);
    const std::vector<Move> expected = {quiet("e1", "d1", KIND_KING), quiet("e1", "f1", KIND_KING),
                                        quiet("e1", "f2", KIND_KING)};
    EXPECT_EQ(legal(records[0]), expected);
}

TEST(MoveGen, EnPassantPinnedAlongRankIsNotGenerated) {
    const Move white_ep = make_move(sq("c6"), sq("b5"), KIND_EN_PASSANT, PAWN);
    setup("8/8/8/KPp4r/8/8/8/k7 w - c6");
    records[0].gen_all();
    EXPECT_FALSE(contains(list_of(records[0]), white_ep));
    setup("8/8/8/KPp4r/8/8/8/k7 w - c6");
    EXPECT_EQ(legal(records[0]).size(), 4u);

    // Without the rook the same capture is there.
    setup("8/8/8/KPp5/8/8/8/k7 w - c6");
    EXPECT_TRUE(contains(legal(records[0]), white_ep));
    EXPECT_EQ(records[0].nb_moves, 5);

    // The same for Black, the rook on the other side of the pair.
    const Move black_ep = make_move(sq("b3"), sq("c4"), KIND_EN_PASSANT, PAWN);
    setup("8/8/8/8/kPp4R/8/8/7K b - b3");
    records[0].gen_all();
    EXPECT_FALSE(contains(list_of(records[0]), black_ep));
    setup("8/8/8/8/kPp4R/8/8/7K b - b3");
    EXPECT_EQ(legal(records[0]).size(), 5u);
}

TEST(MoveGen, CastlingThroughAttackedSquares) {
    // Bishop h3 covers f1: the generator offers O-O, the filter takes it away.
    setup("4k3/8/8/8/8/7b/8/4K2R w K -");
    records[0].gen_all();
    EXPECT_TRUE(contains(list_of(records[0]), CASTLE_KING_MOVE));
    records[0].filter_legal();
    EXPECT_FALSE(contains(list_of(records[0]), CASTLE_KING_MOVE));
    EXPECT_EQ(records[0].nb_moves, 8);

    // b1 may be attacked for O-O-O, d1 may not.
    setup("1r2k3/8/8/8/8/8/8/R3K3 w Q -");
    EXPECT_TRUE(contains(legal(records[0]), CASTLE_QUEEN_MOVE));
    EXPECT_EQ(records[0].nb_moves, 16);
    setup("3rk3/8/8/8/8/8/8/R3K3 w Q -");
    EXPECT_FALSE(contains(legal(records[0]), CASTLE_QUEEN_MOVE));
    EXPECT_EQ(records[0].nb_moves, 13);

    // Black's castlings are the same words.
    setup("r3k2r/8/8/8/8/8/8/4K3 b kq -");
    const std::vector<Move> moves = legal(records[0]);
    EXPECT_TRUE(contains(moves, CASTLE_KING_MOVE));
    EXPECT_TRUE(contains(moves, CASTLE_QUEEN_MOVE));
}

TEST(MoveGen, NoCastlingOutOfCheck) {
    setup("4r1k1/8/8/8/8/8/8/R3K2R w KQ -");
    ASSERT_EQ(records[0].nb_checkers, 1);
    records[0].gen_all();
    EXPECT_TRUE(contains(list_of(records[0]), CASTLE_KING_MOVE));
    EXPECT_TRUE(contains(list_of(records[0]), CASTLE_QUEEN_MOVE));
    records[0].filter_evasions();
    const std::vector<Move> expected = {quiet("e1", "d1", KIND_KING), quiet("e1", "f1", KIND_KING),
                                        quiet("e1", "d2", KIND_KING), quiet("e1", "f2", KIND_KING)};
    EXPECT_EQ(list_of(records[0]), expected);
}

TEST(MoveGen, MateAndStalemate) {
    setup("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq -");
    records[0].eval_flags = BOUND_UPPER;
    EXPECT_EQ(records[0].gen_legal(), GEN_CHECKMATE);
    EXPECT_EQ(records[0].nb_moves, 0);
    EXPECT_EQ(records[0].eval_score, SCORE_MATED);
    EXPECT_EQ(records[0].eval_flags & (BOUND_MASK | FLAG_TERMINAL), BOUND_EXACT | FLAG_TERMINAL);

    setup("7k/5Q2/6K1/8/8/8/8/8 b - -");
    EXPECT_EQ(records[0].gen_legal(), GEN_STALEMATE);
    EXPECT_EQ(records[0].nb_moves, 0);
    EXPECT_EQ(records[0].eval_flags & (BOUND_MASK | FLAG_TERMINAL), BOUND_EXACT | FLAG_TERMINAL);

    // A second call keeps the answer without generating again.
    EXPECT_EQ(records[0].gen_legal(), GEN_STALEMATE);
}

// ---------------------------------------------------------------------------------------------
// make_child

TEST(MakeChild, EnPassantFile) {
    setup(START_FEN);
    records[1].make_child(quiet("e2", "e4", KIND_PAWN), &records[0], false);
    EXPECT_EQ(records[1].ep_file, 4);
    EXPECT_EQ(records[1].side, BLACK);
    EXPECT_EQ(records[1].parent, &records[0]);
    EXPECT_EQ(records[1].moves, records[0].moves + records[0].nb_moves + 2);
    records[2].make_child(quiet("g8", "f6", KIND_KNIGHT), &records[1], false);
    EXPECT_EQ(records[2].ep_file, NO_SQUARE);
    unmake(quiet("g8", "f6", KIND_KNIGHT), &records[1]);
    records[2].make_child(quiet("e7", "e6", KIND_PAWN), &records[1], false);
    EXPECT_EQ(records[2].ep_file, NO_SQUARE);
    unmake(quiet("e7", "e6", KIND_PAWN), &records[1]);
    unmake(quiet("e2", "e4", KIND_PAWN), &records[0]);
}

TEST(MakeChild, DepthFlag) {
    setup(START_FEN);
    records[0].depth = 5 * ONE_PLY;
    records[1].make_child(quiet("e2", "e4", KIND_PAWN), &records[0], true);
    EXPECT_EQ(records[1].depth, 4 * ONE_PLY);
    unmake(quiet("e2", "e4", KIND_PAWN), &records[0]);
    records[1].make_child(quiet("e2", "e4", KIND_PAWN), &records[0], false);
    EXPECT_EQ(records[1].depth, 0);
    unmake(quiet("e2", "e4", KIND_PAWN), &records[0]);
}

TEST(MakeChild, CastlingRights) {
    const char* fen = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -";
    struct Case {
        Move move;
        unsigned rights;
    };
    const Case cases[] = {
        {quiet("h1", "h5", KIND_ROOK), WHITE_OOO | BLACK_OO | BLACK_OOO},
        {make_move(sq("a8"), sq("a1"), KIND_ROOK, ROOK), WHITE_OO | BLACK_OO},   // from a1 and onto a8
        {make_move(sq("h8"), sq("h1"), KIND_ROOK, ROOK), WHITE_OOO | BLACK_OOO}, // from h1 and onto h8
        {quiet("e1", "e2", KIND_KING), BLACK_OO | BLACK_OOO},
        {CASTLE_KING_MOVE, BLACK_OO | BLACK_OOO},
        {CASTLE_QUEEN_MOVE, BLACK_OO | BLACK_OOO},
        {NULL_MOVE, WHITE_OO | WHITE_OOO | BLACK_OO | BLACK_OOO},
    };
    for (const Case& c : cases) {
        setup(fen);
        records[1].make_child(c.move, &records[0], false);
        EXPECT_EQ(records[1].castle & CASTLE_RIGHTS_MASK, c.rights) << std::hex << c.move;
        unmake(c.move, &records[0]);
    }
    // Black's side: the king leaving e8, a rook taken on h1.
    setup("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -");
    records[1].make_child(quiet("e8", "d8", KIND_KING), &records[0], false);
    EXPECT_EQ(records[1].castle & CASTLE_RIGHTS_MASK, unsigned(WHITE_OO | WHITE_OOO));
    unmake(quiet("e8", "d8", KIND_KING), &records[0]);
    records[1].make_child(make_move(sq("h1"), sq("h8"), KIND_ROOK, ROOK), &records[0], false);
    EXPECT_EQ(records[1].castle & CASTLE_RIGHTS_MASK, unsigned(WHITE_OOO | BLACK_OOO));
    unmake(make_move(sq("h1"), sq("h8"), KIND_ROOK, ROOK), &records[0]);
}

TEST(MakeChild, CastlingMovesKingAndRook) {
    setup("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
    const uint64_t key = board_state.hash_key;
    records[1].make_child(CASTLE_KING_MOVE, &records[0], false);
    EXPECT_EQ(board_state.board[sq("g1")], KING);
    EXPECT_EQ(board_state.board[sq("f1")], ROOK);
    EXPECT_EQ(board_state.board[sq("e1")], EMPTY);
    EXPECT_EQ(board_state.board[sq("h1")], EMPTY);
    EXPECT_EQ(board_state.king_sq[WHITE], sq("g1"));
    records[2].make_child(CASTLE_QUEEN_MOVE, &records[1], false);
    EXPECT_EQ(board_state.board[sq("c8")], -KING);
    EXPECT_EQ(board_state.board[sq("d8")], -ROOK);
    EXPECT_EQ(board_state.board[sq("a8")], EMPTY);
    EXPECT_EQ(board_state.king_sq[BLACK], sq("c8"));
    EXPECT_TRUE(board_state.is_consistent(WHITE));
    unmake(CASTLE_QUEEN_MOVE, &records[1]);
    unmake(CASTLE_KING_MOVE, &records[0]);
    EXPECT_EQ(board_state.board[sq("e1")], KING);
    EXPECT_EQ(board_state.board[sq("h1")], ROOK);
    EXPECT_EQ(board_state.hash_key, key);
}

TEST(MakeChild, NullMoveFlipsOnlyTheSide) {
    setup("r3k2r/8/8/8/4P3/8/8/R3K2R b KQkq e3");
    const uint64_t key = board_state.hash_key;
    records[1].make_child(NULL_MOVE, &records[0], false);
    EXPECT_EQ(records[1].side, WHITE);
    EXPECT_EQ(records[1].ep_file, NO_SQUARE);
    EXPECT_EQ(records[1].halfmove_clock, 1);
    EXPECT_EQ(board_state.hash_key, key ^ side_key);
    EXPECT_EQ(board_state.key_history[board_state.game_ply + 1], key ^ side_key);
    unmake(NULL_MOVE, &records[0]);
    EXPECT_EQ(board_state.hash_key, key);
}

TEST(MakeChild, DiscoveredDoubleCheckKnightFirst) {
    // The knight leaves the long diagonal for f7: it checks h8 and uncovers the bishop on a1.
    setup("7k/8/8/4N3/8/8/8/B3K3 w - -");
    records[1].make_child(quiet("e5", "f7", KIND_KNIGHT), &records[0], false);
    ASSERT_EQ(records[1].nb_checkers, 2);
    EXPECT_EQ(records[1].checker_sq[0], sq("f7"));
    EXPECT_EQ(records[1].checker_sq[1], sq("a1"));
    const std::vector<Move> replies = legal(records[1]);
    EXPECT_EQ(replies, (std::vector<Move>{quiet("h8", "h7", KIND_KING), quiet("h8", "g8", KIND_KING)}));
    unmake(quiet("e5", "f7", KIND_KNIGHT), &records[0]);

    // Mirrored for Black: knight e4 to f2 checks h1 and uncovers the bishop on a8.
    setup("b3k3/8/8/8/4n3/8/8/7K b - -");
    records[1].make_child(quiet("e4", "f2", KIND_KNIGHT), &records[0], false);
    ASSERT_EQ(records[1].nb_checkers, 2);
    EXPECT_EQ(records[1].checker_sq[0], sq("f2"));
    EXPECT_EQ(records[1].checker_sq[1], sq("a8"));
    unmake(quiet("e4", "f2", KIND_KNIGHT), &records[0]);
}

TEST(MakeChild, PawnChecks) {
    // Lands in front of the king, or beside it after a double step: no check. Lands diagonally
    // below it: check.
    setup("8/4k3/8/4P3/8/8/8/4K3 w - -");
    records[1].make_child(quiet("e5", "e6", KIND_PAWN), &records[0], false);
    EXPECT_EQ(records[1].nb_checkers, 0);
    unmake(quiet("e5", "e6", KIND_PAWN), &records[0]);

    setup("8/8/8/8/4k3/8/3P4/4K3 w - -");
    records[1].make_child(quiet("d2", "d4", KIND_PAWN), &records[0], false);
    EXPECT_EQ(records[1].nb_checkers, 0);
    unmake(quiet("d2", "d4", KIND_PAWN), &records[0]);

    setup("8/4k3/8/3P4/8/8/8/4K3 w - -");
    records[1].make_child(quiet("d5", "d6", KIND_PAWN), &records[0], false);
    ASSERT_EQ(records[1].nb_checkers, 1);
    EXPECT_EQ(records[1].checker_sq[0], sq("d6"));
    unmake(quiet("d5", "d6", KIND_PAWN), &records[0]);
}

TEST(MakeChild, EnPassantDiscoveredCheck) {
    // exd6 e.p. takes the pawn off the e-file and opens it for the rook.
    setup("4k3/8/8/3pP3/8/8/8/4RK2 w - d6");
    const Move ep = make_move(sq("d6"), sq("e5"), KIND_EN_PASSANT, PAWN);
    ASSERT_TRUE(contains(legal(records[0]), ep));
    records[1].make_child(ep, &records[0], false);
    EXPECT_EQ(board_state.board[sq("d5")], EMPTY);
    EXPECT_EQ(board_state.nb_pawns[BLACK], 0);
    ASSERT_EQ(records[1].nb_checkers, 1);
    EXPECT_EQ(records[1].checker_sq[0], sq("e1"));
    EXPECT_EQ(records[1].halfmove_clock, 0);
    unmake(ep, &records[0]);
    EXPECT_EQ(board_state.board[sq("d5")], -PAWN);
    EXPECT_EQ(board_state.board[sq("e5")], PAWN);

    // The capturing pawn checks from d6 and the rook through the vacated e5: both are found,
    // in ascending square order.
    setup("8/4k3/8/3pP3/8/8/8/4R1K1 w - d6");
    ASSERT_TRUE(contains(legal(records[0]), ep));
    records[1].make_child(ep, &records[0], false);
    ASSERT_EQ(records[1].nb_checkers, 2);
    EXPECT_EQ(records[1].checker_sq[0], sq("e1"));
    EXPECT_EQ(records[1].checker_sq[1], sq("d6"));
    for (Move reply : legal(records[1]))
        EXPECT_EQ(move_kind(reply), KIND_KING);
    EXPECT_EQ(records[1].nb_moves, 6);
    unmake(ep, &records[0]);
}

TEST(MakeChild, HalfmoveClock) {
    setup(START_FEN);
    const Move line[] = {quiet("g1", "f3", KIND_KNIGHT), quiet("b8", "c6", KIND_KNIGHT),
                         quiet("e2", "e4", KIND_PAWN), quiet("c6", "d4", KIND_KNIGHT),
                         make_move(sq("d4"), sq("f3"), KIND_KNIGHT, KNIGHT)};
    const int clocks[] = {1, 2, 0, 1, 0};
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(contains(legal(records[i]), line[i])) << i;
        records[i + 1].make_child(line[i], &records[i], false);
        EXPECT_EQ(records[i + 1].halfmove_clock, clocks[i]) << i;
    }
    for (int i = 4; i >= 0; --i)
        unmake(line[i], &records[i]);

    setup("k7/4P3/8/8/8/8/8/4K3 w - -");
    records[1].make_child(quiet("e7", "e8", KIND_PROMO_QUEEN), &records[0], false);
    EXPECT_EQ(records[1].halfmove_clock, 0);
    EXPECT_EQ(board_state.nb_queens[WHITE], 1);
    EXPECT_EQ(board_state.piece_material[WHITE], 975);
    unmake(quiet("e7", "e8", KIND_PROMO_QUEEN), &records[0]);
    EXPECT_EQ(board_state.nb_pawns[WHITE], 1);
    EXPECT_EQ(board_state.piece_material[WHITE], 0);
}

TEST(MakeChild, FiftyMoveRule) {
    setup(START_FEN);
    records[0].halfmove_clock = 99;
    records[0].eval_flags     = BOUND_UPPER;
    EXPECT_EQ(records[0].is_fifty_move_draw(), 0);
    records[0].halfmove_clock = 100;
    EXPECT_EQ(records[0].is_fifty_move_draw(), 1);
    EXPECT_EQ(records[0].eval_flags & (BOUND_MASK | FLAG_DRAW_RULE), BOUND_EXACT | FLAG_DRAW_RULE);
}

// ---------------------------------------------------------------------------------------------
// set_fen

TEST(SetFen, BookFlagOnlyForTheExactStartString) {
    config.book_on = 0;
    setup(START_FEN);
    EXPECT_EQ(config.book_on, 1);
    const uint64_t key = board_state.hash_key;
    setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(config.book_on, 0);
    EXPECT_EQ(board_state.hash_key, key);
    EXPECT_EQ(records[0].castle, 15u);
    EXPECT_EQ(records[0].parent, nullptr);
    EXPECT_EQ(records[0].move, 0u);
    EXPECT_EQ(board_state.current_record, &records[0]);
    EXPECT_EQ(board_state.ply, 0);
}

TEST(SetFen, KingsAndPawns) {
    EXPECT_EQ(records[0].set_fen("8/8/8/8/8/8/8/K6k w - -"), 1);
    EXPECT_EQ(board_state.king_sq[WHITE], sq("a1"));
    EXPECT_EQ(board_state.king_sq[BLACK], sq("h1"));
    EXPECT_EQ(records[0].set_fen("8/8/8/8/8/8/8/K7 w - -"), 0);                  // no black king
    EXPECT_EQ(records[0].set_fen("8/8/8/8/8/8/8/K1K4k w - -"), 0);               // two white kings
    EXPECT_EQ(records[0].set_fen("k7/8/8/8/8/8/8/K6k w - -"), 0);                // two black kings
    EXPECT_EQ(records[0].set_fen("4k3/pppppppp/p7/8/8/8/8/4K3 w - -"), 0);       // nine black pawns
    EXPECT_EQ(records[0].set_fen("4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - -"), 0);       // nine white pawns
    EXPECT_EQ(records[0].set_fen("4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 w - -"), 1);  // eight is fine
}

TEST(SetFen, Fields) {
    setup("4k3/8/8/8/4P3/8/8/4K3 B - e3");
    EXPECT_EQ(records[0].side, BLACK);
    EXPECT_EQ(records[0].ep_file, 4);
    setup("4k3/8/8/8/8/8/8/4K3 W - -");
    EXPECT_EQ(records[0].side, WHITE);
    EXPECT_EQ(records[0].ep_file, NO_SQUARE);
    setup("   4k3/8/8/8/8/8/8/4K3   b   -   -");
    EXPECT_EQ(records[0].side, BLACK);

    const char* refused[] = {
        "4k3/8/8/8/8/8/8/4K3 w -",      // ends after the castling field
        "4k3/8/8/8/8/8/8/4K3 w - ",     // the same with a trailing blank
        "4k3/8/8/8/8/8/8/4K3 w KQ",     // ends inside the castling field
        "4k3/8/8/8/8/8/8/4K3 x - -",    // side
        "4k3/8/8/8/8/8/8/4K3 w X -",    // castling letter
        "4k3/8/8/8/8/8/8/4K3 w - i3",   // en-passant file
        "4k3/8/8/8/8/8/8/4K3",          // no side
        "4k3/8/8/8/8/8/9/4K3 w - -",    // digit out of range
        "4k3/8/8/8/8/8/0/4K3 w - -",    // zero
        "4k3/8/8/8/8/8/8/4K2X w - -",   // unknown piece letter
        "4k3/8/8/8/8/8/8 4K3 w - -",    // missing slash
        "4k3/8/8/8/8/8/8/ w - -",
        "8/8/8/8",                      // shorter than ten characters
        "",
    };
    for (const char* text : refused)
        EXPECT_EQ(records[0].set_fen(text), 0) << '"' << text << '"';
}

TEST(SetFen, ChecksOfTheSetUp) {
    // The side not to move may not be in check.
    EXPECT_EQ(records[0].set_fen("4k3/8/8/8/8/8/8/4R1K1 w - -"), 0);
    setup("4k3/8/8/8/8/8/8/4R1K1 b - -");
    ASSERT_EQ(records[0].nb_checkers, 1);
    EXPECT_EQ(records[0].checker_sq[0], sq("e1"));

    // Triple check is refused; double check lists the checkers in ascending square order.
    EXPECT_EQ(records[0].set_fen("4r1k1/8/8/8/1b6/3n4/8/4K3 w - -"), 0);
    setup("k3r3/8/8/8/1b6/8/8/4K3 w - -");
    ASSERT_EQ(records[0].nb_checkers, 2);
    EXPECT_EQ(records[0].checker_sq[0], sq("b4"));
    EXPECT_EQ(records[0].checker_sq[1], sq("e8"));
}

TEST(SetFen, CastlingWarnings) {
    testing::internal::CaptureStdout();
    setup("r3k2r/8/8/8/8/8/8/R3K3 w KQkq -");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "EPD Warning : White O-O is not allowed !\n");
    EXPECT_EQ(records[0].castle, unsigned(WHITE_OOO | BLACK_OO | BLACK_OOO));

    testing::internal::CaptureStdout();
    setup("1r2k1r1/8/8/8/8/8/8/R2K3R w KQkq -");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "EPD Warning : White O-O is not allowed !\n"
              "EPD Warning : White O-O-O is not allowed !\n"
              "EPD Warning : Black O-O is not allowed !\n"
              "EPD Warning : Black O-O-O is not allowed !\n");
    EXPECT_EQ(records[0].castle, 0u);

    testing::internal::CaptureStdout();
    setup(START_FEN);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// ---------------------------------------------------------------------------------------------
// Hash keys

// First values of the key generator with its fixed seed, checked by an independent
// re-implementation of the generator: book and learning files store keys drawn from it.
TEST(HashKeys, PinnedValues) {
    EXPECT_EQ(piece_keys[WHITE][PAWN][0], 0x039b11bf4890d6a4ull);
    EXPECT_EQ(piece_keys[WHITE][KNIGHT][0], 0x37539b8aa7e3a104ull);
    EXPECT_EQ(piece_keys[WHITE][KING][0], 0x8e607a5a7241e921ull);
    EXPECT_EQ(piece_keys[WHITE][PAWN][1], 0x8e94a4b6af79289aull);
    EXPECT_EQ(piece_keys[WHITE][KING][63], 0x6ca33d46f23478d4ull);
    EXPECT_EQ(piece_keys[BLACK][PAWN][0], 0xe4f5dd9ec8d05b38ull);
    EXPECT_EQ(piece_keys[BLACK][KING][63], 0x15b45cd59475361bull);
    EXPECT_EQ(side_key, 0x9550b69b55772368ull);
}

TEST(HashKeys, DistinctNonZeroAndRedrawnTheSame) {
    Tlagged_random again; // seeded like the console's
    std::set<uint64_t> seen;
    for (int color = 0; color < 2; ++color)
        for (int s = 0; s < 64; ++s)
            for (int type = PAWN; type <= KING; ++type) {
                const uint64_t key = piece_keys[color][type][s];
                EXPECT_NE(key, 0u);
                EXPECT_EQ(key, again.next64()) << color << " " << type << " " << s;
                seen.insert(key);
            }
    EXPECT_EQ(side_key, again.next64());
    seen.insert(side_key);
    EXPECT_EQ(seen.size(), 769u);
}

TEST(HashKeys, StartPosition) {
    setup(START_FEN);
    uint64_t key = side_key, pawns = 0;
    for (Square s = 0; s < 64; ++s) {
        const int code = board_state.board[s];
        if (code == 0)
            continue;
        const uint64_t value = piece_keys[code > 0 ? WHITE : BLACK][code > 0 ? code : -code][s];
        key ^= value;
        if (code == PAWN || code == -PAWN)
            pawns ^= value;
    }
    EXPECT_EQ(board_state.hash_key, key);
    EXPECT_EQ(board_state.pawn_key, pawns);
    EXPECT_EQ(board_state.hash_key, 0x4efbbb0ed242cabfull);
    EXPECT_EQ(board_state.pawn_key, 0xf12221e04b5c76a4ull);
    EXPECT_EQ(board_state.key_history[board_state.game_ply], key);

    records[1].make_child(quiet("e2", "e4", KIND_PAWN), &records[0], false);
    EXPECT_NE(board_state.hash_key, key);
    unmake(quiet("e2", "e4", KIND_PAWN), &records[0]);
    EXPECT_EQ(board_state.hash_key, key);
    EXPECT_EQ(board_state.pawn_key, pawns);
}

// ---------------------------------------------------------------------------------------------
// Tables and attack queries

TEST(Tables, BetweenAndDirections) {
    EXPECT_EQ(between[sq("b1")][sq("c3")], ~Bitboard(0));
    EXPECT_EQ(between[sq("a1")][sq("h8")], 0x0040201008040200ull);
    EXPECT_EQ(between[sq("h8")][sq("a1")], 0x0040201008040200ull);
    EXPECT_EQ(between[sq("a1")][sq("a8")], 0x0001010101010100ull);
    for (Square s = 0; s < 64; ++s) {
        EXPECT_EQ(direction_to[s][s], NO_DIRECTION);
        for (Square t : {s + 1, s + 8, s + 9})
            if (t < 64 && distance[s][t] == 1) {
                EXPECT_EQ(between[s][t], 0u) << s << " " << t;
            }
    }
    EXPECT_EQ(direction_to[sq("e4")][sq("e8")], NORTH);
    EXPECT_EQ(direction_to[sq("e4")][sq("b1")], SOUTH_WEST);
    EXPECT_EQ(direction_to[sq("e4")][sq("h1")], SOUTH_EAST);
    EXPECT_EQ(direction_to[sq("e4")][sq("f6")], NO_DIRECTION);
}

TEST(Tables, RankAttacksOfA1) {
    const Bitboard b1_to_h1 = 0xFE;
    EXPECT_EQ(rank_attacks[sq("a1")][0x81], b1_to_h1);
    EXPECT_EQ(rank_attacks[sq("a1")][0], b1_to_h1);
    EXPECT_EQ(rank_attacks[sq("a1")][0x05], 0x06u); // a blocker on c1 is included, d1 is not
    EXPECT_EQ(rank_attacks[sq("d1")][0x2C], 0x34u); // d1 between blockers on c1 and f1: c1, e1, f1
}

TEST(Tables, SliderAndPawnAttacks) {
    setup("4k3/8/3p4/8/3R4/8/8/4K3 w - -");
    const Bitboard rook = board_state.rook_attacks_from(sq("d4"));
    EXPECT_TRUE(rook & square_bb(sq("d5")));
    EXPECT_TRUE(rook & square_bb(sq("d6")));
    EXPECT_FALSE(rook & square_bb(sq("d7")));
    EXPECT_EQ(popcount(rook), 2 + 3 + 7); // d5-d6, d3-d1, the whole fourth rank
    EXPECT_EQ(board_state.attackers_black(sq("c5")), square_bb(sq("d6")));

    setup("4k3/8/8/8/8/3P4/8/4K3 w - -");
    EXPECT_TRUE(board_state.attacked_by_white(sq("e4")));
    setup("4k3/8/8/3P4/8/8/8/4K3 w - -");
    EXPECT_FALSE(board_state.attacked_by_white(sq("e4")));

    // Diagonal lookups through the rotated sets: the bishop sees up to the first blocker.
    setup("4k3/8/5p2/8/3B4/8/1P6/4K3 w - -");
    const Bitboard bishop = board_state.bishop_attacks_from(sq("d4"));
    EXPECT_EQ(bishop, square_bb(sq("e5")) | square_bb(sq("f6")) | square_bb(sq("c3")) | square_bb(sq("b2")) |
                          square_bb(sq("c5")) | square_bb(sq("b6")) | square_bb(sq("a7")) | square_bb(sq("e3")) |
                          square_bb(sq("f2")) | square_bb(sq("g1")));
}

} // namespace
