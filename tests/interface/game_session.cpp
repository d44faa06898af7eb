#include "game_session.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "base/data_rows.h"
#include "board/boarddata.h"
#include "board/notation.h"
#include "interface/commands.h"
#include "interface/game.h"

namespace {
// A search report from the tenth iteration on: "10." or "12->", no blank in front.
bool deep_report(const std::string& line) {
    return line.size() > 3 && isdigit(static_cast<unsigned char>(line[0]))
           && isdigit(static_cast<unsigned char>(line[1]))
           && std::string_view(".:-<>").find(line[2]) != std::string_view::npos
           && line.find(". ... ") == std::string::npos;
}
} // namespace

std::string protocol_lines(const std::string& out) {
    std::string kept;
    for (size_t start = 0, end; start < out.size(); start = end) {
        end               = std::min(out.find('\n', start), out.size() - 1) + 1;
        const bool report = (out[start] == ' ' && out.compare(start, 18, "  a b c d e f g h\n") != 0)
                            || deep_report(out.substr(start, end - start));
        if (!report && out.compare(start, 17, "Brelok has used l") != 0)
            kept += out.substr(start, end - start);
    }
    return kept;
}

namespace {
Ttemp_dir& prepared(Ttemp_dir& dir, const std::string& extra) {
    write_file(dir.file("brelok.ini"), settings_with(extra));
    return dir;
}
} // namespace

std::string settings_with(const std::string& changes) {
    std::string settings = default_settings();
    for (const std::string& line : words(changes)) {
        const size_t at = settings.find("\n" + line.substr(0, line.find('=') + 1));
        if (at != std::string::npos)
            settings.replace(at + 1, settings.find('\n', at + 1) - at - 1, line);
    }
    return settings;
}

Tgame_session::Tgame_session(const std::string& extra_settings)
    : engine(prepared(dir, extra_settings).path()) {}

bool Tgame_session::expect(const std::string& text, double seconds) {
    if (!engine.wait_for(text, seconds, mark))
        return false;
    mark = engine.output().find(text, mark) + text.size();
    return true;
}

std::string Tgame_session::next_move(double seconds) {
    // "N. ... e7e5" under protocol 1, "move e7e5" under protocol 2: whichever comes first.
    for (const double until = seconds_now() + seconds;;) {
        const std::string& out   = engine.output();
        const size_t       old   = out.find(". ... ", mark);
        const size_t       fresh = out.find("\nmove ", mark == 0 ? 0 : mark - 1);
        const size_t       at    = std::min(old == std::string::npos ? old : old + 6,
                                   fresh == std::string::npos ? fresh : fresh + 6);
        const size_t end = at == std::string::npos ? at : out.find('\n', at);
        if (end != std::string::npos) {
            mark = end + 1;
            return out.substr(at, end - at);
        }
        if (seconds_now() >= until)
            return "";
        engine.wait_for("\n", 0.05, out.size());
    }
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
        Move move  = 0;
        bool legal = read_move(move, text.c_str(), board_state.board_type, board.root.side_to_move());
        board.root.gen_legal();
        legal = legal
                && std::find(board.root.moves + 1, board.root.moves + 1 + board.root.nb_moves, move)
                       != board.root.moves + 1 + board.root.nb_moves;
        if (!legal || !board.add_move(move, ORIGIN_ENTERED))
            return "";
    }
    return board.root.get_fen();
}

std::vector<std::string> legal_moves(const std::string& fen) {
    std::vector<std::string> found;
    Tboarddata               here{};
    if (!here.set_fen(fen.c_str()))
        return found;
    here.gen_legal();
    for (int i = 1; i <= here.nb_moves; ++i)
        found.push_back(coord_text(here.moves[i], here.side_to_move()));
    return found;
}
