#include "book_test_util.h"

#include <algorithm>
#include <sstream>

#include "board/boarddata.h"
#include "interface/game_session.h"

uint64_t key_after(const std::vector<std::string>& moves, const std::string& fen) {
    return fen_after(fen.empty() ? STANDARD_START_FEN : fen, moves).empty() ? 0 : board_state.hash_key;
}

Tbook_record book_record(uint64_t key, int mark, std::vector<int> counts) {
    Tbook_record record{key, int16_t(mark)};
    counts.resize(NB_BOOK_COUNTERS);
    for (int i = 0; i < NB_BOOK_COUNTERS; ++i)
        record.counts[i] = uint16_t(counts[size_t(i)]);
    return record;
}

std::string book_bytes(std::vector<Tbook_record> records) {
    std::sort(records.begin(), records.end(), [](const auto& a, const auto& b) { return a.key < b.key; });
    std::string bytes(records.size() * BOOK_RECORD_SIZE, '\0');
    for (size_t i = 0; i < records.size(); ++i)
        encode_record(records[i], reinterpret_cast<unsigned char*>(bytes.data() + i * BOOK_RECORD_SIZE));
    return bytes;
}

std::vector<Tbook_record> book_records(const std::string& bytes) {
    std::vector<Tbook_record> records;
    for (size_t at = 0; at + BOOK_RECORD_SIZE <= bytes.size(); at += BOOK_RECORD_SIZE)
        records.push_back(decode_record(reinterpret_cast<const unsigned char*>(bytes.data() + at)));
    return records;
}

std::string dump(const std::string& bytes) {
    std::ostringstream out;
    for (const Tbook_record& r : book_records(bytes)) {
        out << std::hex << r.key << std::dec << " mark " << r.mark;
        for (const uint16_t c : r.counts)
            out << ' ' << c;
        out << '\n';
    }
    out << bytes.size() % BOOK_RECORD_SIZE << " bytes more\n";
    return out.str();
}
