#include "eval_positions.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "eval/evaluate.h"

Tboarddata eval_line[EVAL_LINE_RECORDS];

bool setup_root(const std::string& fen) {
    Tboarddata& root = eval_line[0];
    if (root.set_fen(fen.c_str()) != 1)
        return false;
    prepare_evaluation(root);
    return true;
}

int evaluate(Tboarddata& node, int alpha, int beta) {
    node.eval_flags = 0;
    eval(node, alpha, beta);
    return node.eval_score;
}

namespace {

std::vector<std::string> split(const std::string& text) {
    std::istringstream       in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

char swap_case(char c) {
    return std::isupper(static_cast<unsigned char>(c)) ? char(std::tolower(static_cast<unsigned char>(c)))
                                                        : char(std::toupper(static_cast<unsigned char>(c)));
}

} // namespace

std::string mirror_fen(const std::string& fen) {
    const std::vector<std::string> fields = split(fen);
    std::vector<std::string>       ranks;
    std::string                    rank;
    for (const char c : fields[0]) {
        if (c == '/') {
            ranks.push_back(rank);
            rank.clear();
        } else
            rank += swap_case(c);
    }
    ranks.push_back(rank);
    std::string placement;
    for (size_t i = ranks.size(); i-- > 0;)
        placement += ranks[i] + (i ? "/" : "");

    const std::string side = fields.size() > 1 && fields[1] == "w" ? "b" : "w";
    std::string       rights;
    const std::string castle = fields.size() > 2 ? fields[2] : "-";
    for (const char c : std::string("kqKQ"))
        if (castle.find(c) != std::string::npos)
            rights += swap_case(c);
    if (rights.empty())
        rights = "-";
    std::string ep = fields.size() > 3 ? fields[3] : "-";
    if (ep.size() == 2)
        ep[1] = char('1' + ('8' - ep[1]));
    return placement + " " + side + " " + rights + " " + ep;
}

std::vector<std::string> read_epd_positions(const std::string& path) {
    std::vector<std::string> positions;
    std::ifstream            in(path);
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> fields = split(line.substr(0, line.find(';')));
        if (fields.size() < 4)
            continue;
        positions.push_back(fields[0] + " " + fields[1] + " " + fields[2] + " " + fields[3]);
    }
    return positions;
}

Move find_san_move(Tboarddata& node, const std::string& written) {
    std::string san = written;
    while (!san.empty() && std::string("+#!?").find(san.back()) != std::string::npos)
        san.pop_back();
    node.gen_legal();
    const bool long_castle  = san == "O-O-O" || san == "0-0-0";
    const bool short_castle = san == "O-O" || san == "0-0";
    int        promotion    = 0;
    if (const size_t eq = san.find('='); eq != std::string::npos && eq + 1 < san.size()) {
        promotion = int(std::string(" PNBRQ").find(san[eq + 1]));
        san       = san.substr(0, eq);
    }
    int piece = PAWN;
    if (!san.empty() && std::string("NBRQK").find(san[0]) != std::string::npos) {
        piece = int(std::string("  NBRQK").find(san[0]));
        san   = san.substr(1);
    }
    if (!long_castle && !short_castle && san.size() < 2)
        return 0;
    const std::string target = long_castle || short_castle ? "" : san.substr(san.size() - 2);
    std::string       origin = long_castle || short_castle ? "" : san.substr(0, san.size() - 2);
    std::erase(origin, 'x');

    Move found = 0;
    int  count = 0;
    for (int i = 1; i <= node.nb_moves; ++i) {
        const Move m    = node.moves[i];
        const int  kind = move_kind(m);
        if (long_castle || short_castle) {
            if (kind == (long_castle ? KIND_CASTLE_QUEEN : KIND_CASTLE_KING)) {
                found = m;
                ++count;
            }
            continue;
        }
        if (is_castling_kind(kind))
            continue;
        const Square from = move_from(m);
        const Square to   = move_to(m);
        if (board_state.board_type[from] != piece)
            continue;
        if (target != std::string{char('a' + file_of(to)), char('1' + rank_of(to))})
            continue;
        if (is_promotion_kind(kind) ? promoted_type(kind) != promotion : promotion != 0)
            continue;
        bool fits = true;
        for (const char c : origin) {
            if (c >= 'a' && c <= 'h' && file_of(from) != c - 'a')
                fits = false;
            if (c >= '1' && c <= '8' && rank_of(from) != c - '1')
                fits = false;
        }
        if (fits) {
            found = m;
            ++count;
        }
    }
    return count == 1 ? found : 0;
}

std::vector<std::string> read_game_positions(const std::string& path, size_t limit) {
    static const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
    std::vector<std::string> positions;
    std::ifstream            in(path);
    std::string              fen;
    bool                     playing = false;
    Tboarddata&              root    = eval_line[0];
    Tboarddata&              child   = eval_line[1];
    for (std::string line; std::getline(in, line) && positions.size() < limit;) {
        if (line.empty() || line[0] == '%')
            continue;
        if (line[0] == '[') {
            if (line.rfind("[Event ", 0) == 0) {
                fen     = START;
                playing = true;
            }
            continue;
        }
        for (std::string token : split(line)) {
            if (!playing || positions.size() >= limit)
                break;
            if (token == "1-0" || token == "0-1" || token == "1/2-1/2" || token == "*") {
                playing = false;
                break;
            }
            if (const size_t dot = token.find_last_of('.'); dot != std::string::npos)
                token = token.substr(dot + 1);
            if (token.empty() || token[0] == '$')
                continue;
            if (root.set_fen(fen.c_str()) != 1) {
                playing = false;
                break;
            }
            const Move m = find_san_move(root, token);
            if (m == 0) { // a move the reader cannot place: leave the rest of this game
                playing = false;
                break;
            }
            child.make_child(m, &root, false);
            fen = child.get_fen();
            unmake(m, &root);
            positions.push_back(fen);
        }
    }
    return positions;
}

std::string shared_data(const char* name) { return std::string(BRELOK_SHARED_DATA) + "/" + name; }

bool play_random_move(Tboarddata*& node, std::mt19937& rng) {
    node->gen_legal();
    if (node->nb_moves == 0)
        return false;
    const Move m = node->moves[1 + int(rng() % unsigned(node->nb_moves))];
    node[1].make_child(m, node, false);
    ++node;
    return true;
}
