#include "eval_positions.h"

#include <cctype>
#include <fstream>

#include "base/data_rows.h"
#include "board/san_move.h"
#include "eval/evaluate.h"

Tboarddata eval_line[EVAL_LINE_RECORDS];

bool setup_root(const std::string& fen) {
    if (eval_line[0].set_fen(fen.c_str()) != 1)
        return false;
    prepare_evaluation(eval_line[0]);
    return true;
}

int evaluate(Tboarddata& node, int alpha, int beta) {
    node.eval_flags = 0;
    eval(node, alpha, beta);
    return node.eval_score;
}

bool play_random_move(Tboarddata*& node, std::mt19937& rng) {
    node->gen_legal();
    if (node->nb_moves == 0)
        return false;
    node[1].make_child(node->moves[1 + int(rng() % unsigned(node->nb_moves))], node, false);
    ++node;
    return true;
}

int for_each_walked_node(int walks, int plies, bool back,
                         const std::function<void(Tboarddata&, std::mt19937&)>& visit) {
    std::mt19937 rng(7);
    int          visited = 0;
    for (const char* file : {"perftsuite.epd", "bratko_kopec.epd"})
        for (const std::string& fen : read_epd_positions(file))
            for (int w = 0; w < walks && setup_root(fen); ++w) {
                Tboarddata* node = eval_line;
                for (int depth = 0; depth <= plies; ++depth, ++visited) {
                    visit(*node, rng);
                    if (depth == plies || !play_random_move(node, rng))
                        break;
                }
                for (; node != eval_line; --node) {
                    unmake(node->move, node - 1);
                    if (back)
                        visit(node[-1], rng);
                }
            }
    return visited;
}

std::string mirror_fen(const std::string& fen) {
    const std::vector<std::string> f = words(fen);
    std::string                    placement, rank, rights;
    for (const char c : f[0] + "/") {
        if (c != '/') {
            rank += char(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c));
            continue;
        }
        placement = rank + (placement.empty() ? "" : "/") + placement;
        rank.clear();
    }
    for (const char c : std::string("kqKQ"))
        if (f.size() > 2 && f[2].find(c) != std::string::npos)
            rights += char(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c));
    std::string ep = f.size() > 3 ? f[3] : "-";
    if (ep.size() == 2)
        ep[1] = char('1' + ('8' - ep[1]));
    return placement + (f.size() > 1 && f[1] == "w" ? " b " : " w ") + (rights.empty() ? "-" : rights) + " "
           + ep;
}

std::vector<std::string> read_epd_positions(const char* name) {
    std::vector<std::string> positions;
    std::ifstream            in(std::string(BRELOK_SHARED_DATA) + "/" + name);
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> f = words(line.substr(0, line.find(';')));
        if (f.size() >= 4)
            positions.push_back(f[0] + " " + f[1] + " " + f[2] + " " + f[3]);
    }
    return positions;
}

std::vector<std::string> read_game_positions(const char* name, size_t limit) {
    std::vector<std::string> positions;
    std::ifstream            in(std::string(BRELOK_SHARED_DATA) + "/" + name);
    Tboarddata &             root = eval_line[0], &child = eval_line[1];
    bool                     playing = false;
    for (std::string line; std::getline(in, line) && positions.size() < limit;) {
        if (line.rfind("[Event ", 0) == 0 && root.set_fen(STANDARD_START_FEN) == 1)
            playing = true;
        if (line.empty() || line[0] == '[' || line[0] == '%')
            continue;
        for (std::string token : words(line)) {
            token = token.substr(token.find_last_of('.') + 1);
            if (!playing || positions.size() >= limit || token.empty() || token[0] == '$')
                continue;
            root.gen_legal();
            const Move m = read_san_move(root, token.c_str());
            if (m == 0) { // a result, or a move the reader cannot place: the game ends here
                playing = false;
                continue;
            }
            child.make_child(m, &root, false);
            positions.push_back(child.get_fen());
            unmake(m, &root);
            playing = root.set_fen(positions.back().c_str()) == 1;
        }
    }
    return positions;
}
