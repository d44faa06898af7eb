#include "perft.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <ostream>

Tboarddata perft_records[PERFT_MAX_DEPTH + 1];

namespace {

// The mode is a template argument so the counting walk has no test on it in the inner loop.
template <Tperft_mode Mode> uint64_t walk(Tboarddata* node, int depth) {
    node->gen_legal();
    const int nb = node->nb_moves;
    if (Mode == Tperft_mode::count_last_ply && depth == 1)
        return uint64_t(nb);
    Tboarddata* child = node + 1;
    uint64_t nodes    = 0;
    for (int i = 1; i <= nb; ++i) {
        const Move m = node->moves[i];
        child->make_child(m, node, false);
        nodes += depth == 1 ? 1 : walk<Mode>(child, depth - 1);
        unmake(m, node);
    }
    return nodes;
}

uint64_t walk_observed(Tboarddata* node, int depth, Tperft_observer& observer) {
    node->gen_legal();
    Tboarddata* child = node + 1;
    uint64_t nodes    = 0;
    for (int i = 1; i <= node->nb_moves; ++i) {
        const Move m = node->moves[i];
        observer.before_make(*node, m);
        child->make_child(m, node, false);
        observer.after_make(*node, *child);
        nodes += depth == 1 ? 1 : walk_observed(child, depth - 1, observer);
        unmake(m, node);
        observer.after_unmake(*node, m);
    }
    return nodes;
}

uint64_t walk_from(Tboarddata* node, int depth, Tperft_mode mode) {
    if (depth <= 0)
        return 1;
    return mode == Tperft_mode::count_last_ply ? walk<Tperft_mode::count_last_ply>(node, depth)
                                               : walk<Tperft_mode::make_every_node>(node, depth);
}

std::string trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

} // namespace

bool perft_setup(const std::string& fen) { return perft_records[0].set_fen(fen.c_str()) == 1; }

uint64_t perft(int depth, Tperft_mode mode) {
    if (depth > PERFT_MAX_DEPTH)
        return 0;
    return walk_from(&perft_records[0], depth, mode);
}

std::vector<Tperft_divide_entry> perft_divide(int depth, Tperft_mode mode) {
    std::vector<Tperft_divide_entry> result;
    if (depth < 1 || depth > PERFT_MAX_DEPTH)
        return result;
    Tboarddata* root = &perft_records[0];
    root->gen_legal();
    for (int i = 1; i <= root->nb_moves; ++i) {
        const Move m = root->moves[i];
        root[1].make_child(m, root, false);
        result.push_back({m, walk_from(root + 1, depth - 1, mode)});
        unmake(m, root);
    }
    return result;
}

uint64_t perft_observed(int depth, Tperft_observer& observer) {
    if (depth <= 0 || depth > PERFT_MAX_DEPTH)
        return depth == 0 ? 1 : 0;
    return walk_observed(&perft_records[0], depth, observer);
}

std::string Tperft_case::name() const {
    std::string text = id.empty() ? "line" + std::to_string(line) : id + "_line" + std::to_string(line);
    std::string out;
    for (char c : text)
        out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return out;
}

void PrintTo(const Tperft_case& c, std::ostream* out) { *out << c.fen; }

bool parse_perft_line(const std::string& text, Tperft_case& out) {
    out = Tperft_case{};
    size_t semicolon = text.find(';');
    out.fen          = trim(text.substr(0, semicolon));
    if (out.fen.empty() || semicolon == std::string::npos)
        return false;
    size_t pos = semicolon;
    while (pos != std::string::npos) {
        size_t next       = text.find(';', pos + 1);
        std::string field = trim(text.substr(pos + 1, next == std::string::npos ? std::string::npos : next - pos - 1));
        pos               = next;
        if (field.size() >= 3 && field[0] == 'D' && std::isdigit(static_cast<unsigned char>(field[1]))) {
            char* end       = nullptr;
            long depth      = std::strtol(field.c_str() + 1, &end, 10);
            if (depth < 1 || depth > 20 || *end != ' ')
                return false;
            const char* number = end + 1;
            unsigned long long count = std::strtoull(number, &end, 10);
            if (end == number || *end != '\0')
                return false;
            if (out.counts.size() <= size_t(depth))
                out.counts.resize(size_t(depth) + 1, 0);
            out.counts[size_t(depth)] = count;
        } else if (field.rfind("id ", 0) == 0) {
            std::string id = trim(field.substr(3));
            if (id.size() >= 2 && id.front() == '"' && id.back() == '"')
                id = id.substr(1, id.size() - 2);
            out.id = id;
        }
        // Other operations are not ours to read.
    }
    return !out.counts.empty();
}

std::vector<Tperft_case> read_perft_file(const std::string& path) {
    std::vector<Tperft_case> cases;
    std::ifstream in(path);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        Tperft_case c;
        if (parse_perft_line(line, c)) {
            c.line = number;
            cases.push_back(std::move(c));
        }
    }
    return cases;
}
