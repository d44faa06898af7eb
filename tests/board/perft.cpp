#include "perft.h"

#include <cctype>
#include <fstream>
#include <sstream>

Tboarddata perft_records[PERFT_MAX_DEPTH + 1];

namespace {

// The mode is a template argument so that the counting walk tests nothing in its inner loop.
template <Tperft_mode Mode> uint64_t walk(Tboarddata* node, int depth, Tperft_observer* observer) {
    node->gen_legal();
    if (Mode == Tperft_mode::count_last_ply && depth == 1)
        return uint64_t(node->nb_moves);
    uint64_t nodes = 0;
    for (int i = 1; i <= node->nb_moves; ++i) {
        const Move m = node->moves[i];
        if (observer)
            observer->before_make(*node, m);
        node[1].make_child(m, node, false);
        if (observer)
            observer->after_make(*node, node[1]);
        nodes += depth == 1 ? 1 : walk<Mode>(node + 1, depth - 1, observer);
        unmake(m, node);
        if (observer)
            observer->after_unmake(*node, m);
    }
    return nodes;
}

} // namespace

bool perft_setup(const std::string& fen) { return perft_records[0].set_fen(fen.c_str()) == 1; }

uint64_t perft(int depth, Tperft_mode mode) {
    if (depth <= 0 || depth > PERFT_MAX_DEPTH)
        return depth == 0 ? 1 : 0;
    return mode == Tperft_mode::count_last_ply
               ? walk<Tperft_mode::count_last_ply>(perft_records, depth, nullptr)
               : walk<Tperft_mode::make_every_node>(perft_records, depth, nullptr);
}

uint64_t perft_observed(int depth, Tperft_observer& observer) {
    return depth < 1 || depth > PERFT_MAX_DEPTH
               ? 0
               : walk<Tperft_mode::make_every_node>(perft_records, depth, &observer);
}

std::vector<Tperft_case> read_perft_file(const std::string& path) {
    std::vector<Tperft_case> cases;
    std::ifstream            in(path);
    int                      number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        Tperft_case c;
        c.line = number;
        std::istringstream fields(line);
        std::getline(fields, c.fen, ';');
        c.fen.erase(c.fen.find_last_not_of(" \t") + 1);
        for (std::string field; std::getline(fields, field, ';');) {
            std::istringstream words(field);
            std::string        key;
            uint64_t           count = 0;
            words >> key;
            if (key.size() >= 2 && key[0] == 'D' && std::isdigit(static_cast<unsigned char>(key[1]))
                && words >> count) {
                c.counts.resize(std::max(c.counts.size(), size_t(std::stoi(key.substr(1))) + 1), 0);
                c.counts[size_t(std::stoi(key.substr(1)))] = count;
            } else if (key == "id") {
                std::getline(words >> std::ws, c.id);
                if (c.id.size() >= 2 && c.id.front() == '"')
                    c.id = c.id.substr(1, c.id.find('"', 1) - 1);
            }
        }
        if (!c.fen.empty() && !c.counts.empty())
            cases.push_back(c);
    }
    return cases;
}
