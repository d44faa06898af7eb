#include "game_session.h"

#include <unistd.h>

std::string program_id() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return std::string("Brelok[") + name + "] " BRELOK_VERSION;
}

std::string console_display(int move_number, bool white_to_move, const std::string& diagram,
                            const std::string& fen) {
    return program_id() + "\n"
         + "Brelok, a chess engine for the xboard protocol and the console\n"
           "Releases and sources: see the Brelok project's home page\n"
           "\nMove #" + std::to_string(move_number) + ", "
         + (white_to_move ? "White to move\n" : "Black to move\n") + diagram + fen + "\n";
}

std::string start_display() {
    return "\n"
         + console_display(1, true,
                           "\n"
                           "8 r n b q k b n r \n"
                           "7 p p p p p p p p \n"
                           "6   -   -   -   - \n"
                           "5 -   -   -   -   \n"
                           "4   -   -   -   - \n"
                           "3 -   -   -   -   \n"
                           "2 P P P P P P P P \n"
                           "1 R N B Q K B N R \n"
                           "  a b c d e f g h\n",
                           "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - ");
}

#include "board/boarddata.h"
#include "board/notation.h"
#include "interface/commands.h"
#include "interface/game.h"

namespace {
std::string settings_with(const std::string& extra) {
    std::string settings = default_settings();
    // Each extra line replaces the key's default line.
    size_t start = 0;
    while (start < extra.size()) {
        const size_t end  = extra.find('\n', start);
        const std::string line = extra.substr(start, end - start);
        const std::string key  = line.substr(0, line.find('=') + 1);
        const size_t at = settings.find("\n" + key);
        if (at != std::string::npos)
            settings.replace(at + 1, settings.find('\n', at + 1) - at - 1, line);
        start = end == std::string::npos ? extra.size() : end + 1;
    }
    return settings;
}

Ttemp_dir& prepared(Ttemp_dir& dir, const std::string& extra) {
    write_file(dir.file("brelok.ini"), settings_with(extra));
    return dir;
}
} // namespace

Tgame_session::Tgame_session(const std::string& extra_settings)
    : engine(prepared(dir, extra_settings).path()) {}

bool Tgame_session::expect(const std::string& text, double seconds) {
    if (!engine.wait_for(text, seconds, mark))
        return false;
    mark = engine.output().find(text, mark) + text.size();
    return true;
}

std::string Tgame_session::next_move(double seconds) {
    if (!expect(". ... ", seconds))
        return "";
    if (!expect("\n", seconds))
        return "";
    const std::string& out  = engine.output();
    const size_t       from = out.rfind(". ... ", mark) + 6;
    return out.substr(from, mark - 1 - from);
}

std::string Tgame_session::protocol_lines() {
    std::string kept;
    const std::string& out = engine.output();
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        end        = end == std::string::npos ? out.size() : end + 1;
        const bool report = out[start] == ' ' && out.compare(start, 18, "  a b c d e f g h\n") != 0;
        if (!report && out.compare(start, 17, "Brelok has used l") != 0)
            kept += out.substr(start, end - start);
        start = end;
    }
    return kept;
}

std::string Tgame_session::log() const {
    const std::vector<std::string> names = list_dir(dir.file("log"));
    return names.size() == 1 ? read_file(dir.file("log/" + names[0])) : "";
}

std::string fen_after(const std::string& fen, const std::vector<std::string>& moves) {
    static Tgame board;
    if (!board.set_start_position(fen.c_str()))
        return "";
    for (const std::string& text : moves) {
        Move move = 0;
        if (!read_move(move, text.c_str(), board_state.board_type))
            return "";
        board.root.gen_legal();
        bool legal = false;
        for (int i = 1; i <= board.root.nb_moves; ++i)
            legal |= board.root.moves[i] == move;
        if (!legal || !board.add_move(move, ORIGIN_ENTERED))
            return "";
    }
    return board.root.get_fen();
}

std::vector<std::string> legal_moves(const std::string& fen) {
    std::vector<std::string> found;
    Tboarddata here{};
    if (!here.set_fen(fen.c_str()))
        return found;
    here.gen_legal();
    for (int i = 1; i <= here.nb_moves; ++i) {
        char text[8];
        move_to_coord(here.moves[i], text, here.side_to_move());
        found.push_back(text);
    }
    return found;
}
