#include "tablebases/registry.h"

#include <cstdlib>
#include <cstring>
#include <new>

constinit Ttablebases tablebases;

namespace {

// Directory separator of the table paths.
#ifdef _WIN32
constexpr const char* PATH_SEPARATOR = "\\";
#else
constexpr const char* PATH_SEPARATOR = "/";
#endif

// Registration errors end the program; their messages go straight to standard output.
[[noreturn]] void fatal(const char* before, const std::string& name, const char* after) {
    std::printf("%s%s%s", before, name.c_str(), after);
    std::exit(1);
}
[[noreturn]] void out_of_memory(size_t bytes) {
    std::printf("*** Cannot allocate %d bytes of memory\n", int(bytes));
    std::exit(1);
}

int piece_slot(char c) {
    switch (c) {
    case 'p': return 0;
    case 'n': return 1;
    case 'b': return 2;
    case 'r': return 3;
    case 'q': return 4;
    default: return -1;
    }
}

// Base-3 key of a count vector; -1 when a count does not fit.
int map_key(const Tcounts& counts) {
    int key = 0;
    for (int c : counts) {
        if (c < 0 || c > 2)
            return -1;
        key = key * 3 + c;
    }
    return key;
}

Tcounts swapped(const Tcounts& counts) {
    Tcounts s;
    for (int i = 0; i < 5; ++i) {
        s[i]     = counts[i + 5];
        s[i + 5] = counts[i];
    }
    return s;
}

FILE* open_first(std::string& name) {
    if (FILE* f = std::fopen(name.c_str(), "rb"))
        return f;
    name += ".emd";
    if (FILE* f = std::fopen(name.c_str(), "rb"))
        return f;
    // Some distributions drop the dot before the side: kqkrnbw.emd.
    name.erase(name.size() - 8, 1);
    return std::fopen(name.c_str(), "rb");
}

} // namespace

Tcounts counts_of_name(const char* name) {
    Tcounts counts{};
    int     side = -1;
    for (const char* p = name; *p; ++p) {
        if (*p == 'k')
            ++side;
        else if (side >= 0 && side < 2 && piece_slot(*p) >= 0)
            ++counts[size_t(side * 5 + piece_slot(*p))];
    }
    return counts;
}

int class_of(const Tcounts& counts) {
    const Tcounts other = swapped(counts);
    for (int id = 1; id < NB_TB_CLASSES; ++id) {
        const Tcounts own = counts_of_name(tb_classes[id].name);
        if (own == counts)
            return id;
        if (own == other)
            return -id;
    }
    return 0;
}

int Ttablebases::lookup(const Tcounts& counts) const {
    const int key = map_key(counts);
    return key < 0 ? 0 : lookup_map[key];
}

bool Ttablebases::enter_lookup(const Tcounts& counts, int value) {
    const int key = map_key(counts);
    if (key < 0)
        return false;
    lookup_map[key] = int8_t(value);
    return true;
}

void Ttablebases::close_files() {
    for (auto& row : sides)
        for (Ttable_side& t : row)
            if (t.file) {
                std::fclose(t.file);
                t.file = nullptr;
            }
}

int Ttablebases::init_tables(const std::string& path_list) {
    close_files();
    memory_total = 0;
    tb::build_index_tables();
    for (auto& row : sides)
        for (Ttable_side& t : row) {
            t.path.reset();
            t.compressed.reset();
            t.buckets.reset();
            t.length = 0;
        }
    std::memset(lookup_map, 0, sizeof lookup_map);
    // Cached chunks belong to the tables just released.
    reset_cache();

    int    highest = 0;
    bool   packed  = false;
    size_t start   = 0;
    while (start <= path_list.size()) {
        size_t end = path_list.find_first_of(",;", start);
        if (end == std::string::npos)
            end = path_list.size();
        const std::string directory = path_list.substr(start, end - start);
        if (!directory.empty())
            for (int id = 1; id < NB_TB_CLASSES; ++id)
                for (int side = 0; side < 2; ++side)
                    if (register_table(directory, id, side)) {
                        highest = highest > id ? highest : id;
                        packed |= bool(sides[id][side].compressed);
                    }
        start = end + 1;
    }
    if (packed && !decode_work) {
        decode_work.reset(new (std::nothrow) uint8_t[tb::EMD_WORK_SIZE]);
        if (!decode_work) {
            std::printf("*** Cannot allocate decode block: error code %d\n", 1);
            std::exit(1);
        }
        memory_total += tb::EMD_WORK_SIZE;
    }
    return highest > 35 ? 5 : highest >= 6 ? 4 : highest >= 1 ? 3 : 0;
}

bool Ttablebases::register_table(const std::string& directory, int id, int side) {
    Ttable_side& t = sides[id][side];
    if (t.path || t.in_memory)
        return true;
    std::string name = directory;
    if (!name.empty())
        name += PATH_SEPARATOR;
    name += tb_classes[id].name;
    name += side == 0 ? ".nbw" : ".nbb";
    FILE* file = open_first(name);
    if (!file)
        return false;

    uint32_t length = 0;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".emd") == 0) {
        t.compressed = tb::read_compressed_header(file, name.c_str(), length);
        memory_total += sizeof(tb::Temd_file) + sizeof(tb::Tcode) + 4 * (t.compressed->nb_blocks + 1);
    } else {
        t.compressed.reset();
        if (std::fseek(file, 0, SEEK_END) != 0)
            fatal("*** Seek in ", name, " failed\n");
        const long end = std::ftell(file);
        if (end < 0)
            fatal("*** Seek in ", name, " failed\n");
        length = uint32_t(end);
        if (uint64_t(end) != length) // beyond any table size
            fatal("*** ", name, " corrupted\n");
    }
    std::fclose(file);
    const uint32_t expected = tb_classes[id].expected[side];
    if (expected != 0 && expected != length)
        fatal("*** ", name, " corrupted\n");
    t.length = length;

    const Tcounts counts = counts_of_name(tb_classes[id].name);
    const Tcounts other  = swapped(counts);
    // Material that is the same on both sides is always looked up as it stands.
    if ((other != counts && !enter_lookup(other, -id)) || !enter_lookup(counts, id))
        fatal("*** Unable to register ", name, "\n");

    t.path.reset(new (std::nothrow) char[name.size() + 1]);
    if (!t.path)
        out_of_memory(name.size() + 1);
    std::memcpy(t.path.get(), name.c_str(), name.size() + 1);
    memory_total += name.size() + 1;
    // A table dropped after a failed read keeps its buckets: cached chunks still hang in them.
    if (!t.buckets) {
        t.buckets.reset(new (std::nothrow) Tcache_entry* [TB_BUCKETS] {});
        if (!t.buckets)
            out_of_memory(TB_BUCKETS * sizeof(Tcache_entry*));
        memory_total += TB_BUCKETS * sizeof(Tcache_entry*);
    }
    return true;
}
