// The 24 bytes of a record, written byte by byte so that a book means the same on every machine.
#include "book/book_record.h"

namespace {

void put16(unsigned char* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void put32(unsigned char* p, uint32_t v) {
    put16(p, uint16_t(v));
    put16(p + 2, uint16_t(v >> 16));
}
uint16_t get16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t get32(const unsigned char* p) { return get16(p) | uint32_t(get16(p + 2)) << 16; }

} // namespace

void encode_record(const Tbook_record& record, unsigned char bytes[BOOK_RECORD_SIZE]) {
    put32(bytes, uint32_t(record.key));
    put32(bytes + 4, uint32_t(record.key >> 32));
    put16(bytes + 8, uint16_t(record.mark));
    put16(bytes + 10, uint16_t(record.reserved));
    for (int i = 0; i < NB_BOOK_COUNTERS; ++i)
        put16(bytes + 12 + 2 * i, record.counts[i]);
}

Tbook_record decode_record(const unsigned char bytes[BOOK_RECORD_SIZE]) {
    Tbook_record record;
    record.key      = get32(bytes) | uint64_t(get32(bytes + 4)) << 32;
    record.mark     = int16_t(get16(bytes + 8));
    record.reserved = int16_t(get16(bytes + 10));
    for (int i = 0; i < NB_BOOK_COUNTERS; ++i)
        record.counts[i] = get16(bytes + 12 + 2 * i);
    return record;
}

int read_record(FILE* file, Tbook_record& record) {
    unsigned char bytes[BOOK_RECORD_SIZE];
    if (fread(bytes, 1, BOOK_RECORD_SIZE, file) != BOOK_RECORD_SIZE)
        return 0;
    record = decode_record(bytes);
    return 1;
}

int write_record(FILE* file, const Tbook_record& record) {
    unsigned char bytes[BOOK_RECORD_SIZE];
    encode_record(record, bytes);
    return fwrite(bytes, 1, BOOK_RECORD_SIZE, file) == BOOK_RECORD_SIZE ? 1 : 0;
}

long long file_size(FILE* file) {
    if (fseek(file, 0, SEEK_END) != 0)
        return -1;
    return ftell(file);
}
