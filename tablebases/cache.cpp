// Table entries are read through a cache of 8 KB chunks: a least-recently-used list over all
// tables, and per table side 32 bucket chains by chunk number so that a probe finds its chunk
// without walking the whole cache.
#include <cstring>
#include <new>

#include "tablebases/registry.h"

namespace {
// The decoder may look a little past a block's end.
constexpr size_t CHUNK_AREA = TB_CHUNK + 36;
} // namespace

bool Ttablebases::allocate_cache() {
    entries.reset(new (std::nothrow) Tcache_entry[TB_CACHE_ENTRIES]);
    chunk_memory.reset(new (std::nothrow) int8_t[TB_CACHE_ENTRIES * CHUNK_AREA]);
    if (!entries || !chunk_memory) {
        entries.reset();
        chunk_memory.reset();
        return false;
    }
    for (int i = 0; i < TB_CACHE_ENTRIES; ++i)
        entries[i].data = chunk_memory.get() + size_t(i) * CHUNK_AREA;
    return true;
}

void Ttablebases::reset_cache() {
    close_files();
    free_list = nullptr;
    oldest = newest = nullptr;
    if (entries)
        for (int i = TB_CACHE_ENTRIES - 1; i >= 0; --i) {
            Tcache_entry& e = entries[i];
            e.older = e.newer = e.prev = nullptr;
            e.head                     = nullptr;
            e.next                     = free_list;
            free_list                  = &e;
        }
    for (auto& row : sides)
        for (Ttable_side& t : row)
            if (t.buckets)
                std::memset(t.buckets.get(), 0, TB_BUCKETS * sizeof(Tcache_entry*));
}

// Out of both lists.
void Ttablebases::unlink(Tcache_entry* e) {
    (e->older ? e->older->newer : oldest) = e->newer;
    (e->newer ? e->newer->older : newest) = e->older;
    e->older = e->newer = nullptr;
    if (e->prev)
        e->prev->next = e->next;
    else if (e->head)
        *e->head = e->next;
    if (e->next)
        e->next->prev = e->prev;
    e->prev = e->next = nullptr;
}

// At the recent end of the list and the front of its bucket chain.
void Ttablebases::make_newest(Tcache_entry* e) {
    e->older                          = newest;
    e->newer                          = nullptr;
    (newest ? newest->newer : oldest) = e;
    newest                            = e;
    e->prev                           = nullptr;
    e->next                           = *e->head;
    if (e->next)
        e->next->prev = e;
    *e->head = e;
}

Tcache_entry* Ttablebases::take_entry() {
    if (Tcache_entry* e = free_list) {
        free_list = e->next;
        e->next   = nullptr;
        return e;
    }
    Tcache_entry* e = oldest;
    unlink(e);
    return e;
}

bool Ttablebases::load_chunk(Ttable_side& t, Tcache_entry& e) {
    if (!t.file) {
        t.file = std::fopen(t.path.get(), "rb");
        if (!t.file) {
            // Perhaps too many open files: let them all go and try again.
            close_files();
            t.file = std::fopen(t.path.get(), "rb");
            if (!t.file)
                return false;
        }
    }
    ++chunk_reads;
    if (t.compressed)
        return tb::decode_block(*t.compressed, t.file, e.start / TB_CHUNK, e.data, decode_work.get());
    // The chunk must hold every entry of the table it covers: a file cut short since it was
    // registered has no value to give.
    const uint32_t wanted = t.length - e.start < TB_CHUNK ? t.length - e.start : TB_CHUNK;
    if (std::fseek(t.file, long(e.start), SEEK_SET) != 0)
        return false;
    return std::fread(e.data, 1, TB_CHUNK, t.file) >= wanted;
}

int Ttablebases::read_entry(int id, int side, uint32_t index) {
    Ttable_side& t = sides[id][side];
    if (t.in_memory)
        return index < t.length ? t.in_memory[index] : TB_NO_VALUE;
    if (!entries || !t.buckets || !t.path || index >= t.length)
        return TB_NO_VALUE;

    const uint32_t start  = index & ~(TB_CHUNK - 1);
    Tcache_entry** bucket = &t.buckets[(index / TB_CHUNK) % TB_BUCKETS];
    for (Tcache_entry* e = *bucket; e; e = e->next)
        if (e->start == start) {
            unlink(e);
            e->head = bucket;
            make_newest(e);
            return e->data[index - start];
        }

    Tcache_entry* e = take_entry();
    e->id           = id;
    e->side         = side;
    e->start        = start;
    if (!load_chunk(t, *e)) {
        // The table is gone or broken: drop it for the rest of the run.
        if (t.file) {
            std::fclose(t.file);
            t.file = nullptr;
        }
        t.path.reset();
        e->next   = free_list;
        free_list = e;
        return TB_NO_VALUE;
    }
    e->head = bucket;
    make_newest(e);
    return e->data[index - start];
}
