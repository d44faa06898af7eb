// Writing down what the engine learned during a game: a blunder as an EPD line of b_learn.epd, a
// bad exit from the book as a two-line entry of b_style.txt. Both files only grow.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/append_file.h"
#include "base/console.h"
#include "board/notation.h"
#include "board/san_move.h"
#include "book/book_game.h"
#include "book/book_output.h"
#include "book/learning.h"
#include "search/search.h"

namespace {

// The short algebraic form of a legal move of the position, as the thinking lines write it. Where
// that form would read back as another move or as several (two knights reaching the same square,
// an under-promotion), the origin or the promotion letter is added, so the line can be learned.
std::string move_text(Tboarddata& position, Move move) {
    char text[16];
    move_to_short(move, text, false);
    std::string plain = text;
    position.gen_legal();
    if (read_san_move(position, plain.c_str()) == move)
        return plain;
    const int kind = move_kind(move);
    if (is_promotion_kind(kind)) {
        plain += '=';
        plain += "NBRQ"[promoted_type(kind) - KIND_KNIGHT];
        if (read_san_move(position, plain.c_str()) == move)
            return plain;
    }
    const std::string from  = move_from(move) < 64 ? SQUARE_NAMES[move_from(move)] : "";
    const size_t      after = kind >= KIND_KNIGHT && kind <= KIND_KING ? 1 : 0; // the piece letter
    for (const std::string& origin : {from.substr(0, 1), from.substr(1, 1), from}) {
        std::string with_origin = plain;
        with_origin.insert(after, origin);
        if (read_san_move(position, with_origin.c_str()) == move)
            return with_origin;
    }
    return plain;
}

// Plays the game again on the board state: the text of every half-move (texts[i] for half-move
// i) and the EPD fields of the position after `fen_ply` half-moves. False when the game cannot
// be played again (it was, so only a damaged record gets there).
bool replay_game(const Tplayed_game& played, int fen_ply, std::vector<std::string>& texts, std::string& fen) {
    auto game = std::make_unique<Tbook_game>();
    if (played.game_ply < 0 || !game->start(played.start_fen))
        return false;
    texts.assign(size_t(played.game_ply) + 1, "");
    for (int i = 1; i <= played.game_ply; ++i) {
        if (i - 1 == fen_ply)
            fen = game->position.get_fen();
        texts[size_t(i)] = move_text(game->position, played.moves[i]);
        if (!game->play(played.moves[i], 0))
            return false;
    }
    if (played.game_ply == fen_ply)
        fen = game->position.get_fen();
    return true;
}

// Appends the text and a new line to the file, made when missing.
void append_line(const char* file_name, const std::string& text) {
    const int appended = append_to_file(file_name, text.c_str(), 1, 0);
    if (appended == 0)
        report_open_failure(file_name);
    else if (appended < 0)
        console.print("Error while writing %s\n", file_name);
}

std::string number(int value) { return std::to_string(value); }

// ", depth:%d, date:%s, 'White'-'Black'": how both files end their annotations.
std::string game_details(const Tplayed_game& game) {
    return ", depth:" + number(search.last_iteration) + ", date:" + game.date + ", '" + game.white + "'-'"
           + game.black + "'";
}

} // namespace

void record_blunder(const Tplayed_game& game) {
    const int n = game.game_ply;
    if (n < 3)
        return;
    std::vector<std::string> texts;
    std::string              fen;
    if (!replay_game(game, n - 3, texts, fen))
        return;
    const std::string line = fen + " bm " + texts[size_t(n - 2)] + "? ; id " + texts[size_t(n - 1)] + "! ("
                             + texts[size_t(n)] + "), eval:" + number(game.scores[n - 2]) + "->"
                             + number(game.scores[n]) + game_details(game);
    append_line(LEARN_EPD_NAME, line);
}

void record_bad_book_exit(const Tplayed_game& game) {
    const int n = game.game_ply;
    if (n < 3)
        return;
    std::vector<std::string> texts;
    std::string              fen;
    if (!replay_game(game, n, texts, fen))
        return;
    std::string entry = "1.";
    for (int i = 1; i <= n - 2; ++i)
        entry += " " + texts[size_t(i)];
    entry += "?!\n; id " + texts[size_t(n - 1)] + "! (" + texts[size_t(n)]
             + "), eval:" + number(game.scores[n]) + game_details(game);
    append_line(STYLE_TEXT_NAME, entry);
}
