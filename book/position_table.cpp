// Counting the games of a batch per position, and writing them out in key order.
#include "book/position_table.h"

#include <cstring>

#include "base/console.h"
#include "book/book_output.h"

namespace {

constexpr int WRITE_REPORT_EVERY = 10000;

int result_code(const std::string& result) {
    if (result == "1/2-1/2")
        return RESULT_DRAW;
    if (result == "1-0")
        return RESULT_WHITE_WINS;
    if (result == "0-1")
        return RESULT_BLACK_WINS;
    return -1;
}

} // namespace

Tposition_table::Tposition_table() : heads(NB_BUCKETS, NO_NODE) {}

void Tposition_table::clear() {
    heads.assign(NB_BUCKETS, NO_NODE);
    nodes.clear();
}

Tbook_record& Tposition_table::record_of(uint64_t key) {
    int32_t* link = &heads[key >> 48];
    while (*link != NO_NODE && nodes[size_t(*link)].record.key < key)
        link = &nodes[size_t(*link)].next;
    if (*link != NO_NODE && nodes[size_t(*link)].record.key == key)
        return nodes[size_t(*link)].record;
    Tnode node{};
    node.record.key = key;
    node.next       = *link;
    // The link is read before the push: the push may move every node.
    const int32_t index = int32_t(nodes.size());
    *link               = index;
    nodes.push_back(node);
    return nodes[size_t(index)].record;
}

int Tposition_table::add_game(const Tbook_game& game, int limit) {
    const int result = result_code(game.tags[PGN_RESULT]);
    if (result < 0)
        return 0;
    const std::string& white        = game.tags[PGN_WHITE];
    const std::string& black        = game.tags[PGN_BLACK];
    const bool         white_engine = white == ENGINE_PLAYER_NAME;
    const bool         black_engine = black == ENGINE_PLAYER_NAME;
    // The engine's games under another spelling count nowhere.
    const bool named = white.find(ENGINE_PLAYER_NAME) != std::string::npos
                       || black.find(ENGINE_PLAYER_NAME) != std::string::npos;
    const int last = limit < game.nb_plies ? limit : game.nb_plies;
    for (int i = 0; i <= last; ++i) {
        Tbook_record& record = record_of(game.keys[i]);
        if (game.marks[i] != MARK_NONE)
            record.mark = game.marks[i];
        const bool white_moved = i % 2 == 1;
        if ((white_engine && white_moved) || (black_engine && !white_moved))
            count_game(record.counts[ENGINE_WHITE_WINS + result]);
        else if (!named)
            count_game(record.counts[SOURCE_WHITE_WINS + result]);
    }
    return 1;
}

int Tposition_table::write(const char* file_name, bool scratch) {
    Tbook_output output;
    if (!output.open(file_name)) {
        clear();
        return 0;
    }
    console.print("=> Writing positions on disk\n");
    bool ok = true;
    for (int bucket = 0; bucket < NB_BUCKETS && ok; ++bucket) {
        for (int32_t n = heads[size_t(bucket)]; n != NO_NODE && ok; n = nodes[size_t(n)].next) {
            ok = output.write(nodes[size_t(n)].record) != 0;
            if (ok && output.records_written() % WRITE_REPORT_EVERY == 0)
                console.print("%lld|", output.records_written());
        }
    }
    clear();
    ok = output.commit(scratch) && ok; // a failed write is reported there
    console.print("\n");
    return ok ? 1 : 0;
}
