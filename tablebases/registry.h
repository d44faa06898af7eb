// The tablebase registry: the 110 material classes with their index functions and expected sizes,
// the files found for them, the class lookup by piece counts, and the cache that reads table
// entries in 8 KB chunks.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "tablebases/emd.h"
#include "tablebases/index_functions.h"

constexpr int NB_TB_CLASSES = 111; // row 0 holds no class
constexpr int TB_NO_VALUE   = 127; // what read_entry returns when it has no value

struct Tclass_info {
    const char*         name;
    uint32_t            expected[2]; // table sizes, White then Black to move
    tb::Tindex_function index[2];
};
extern const Tclass_info tb_classes[NB_TB_CLASSES];

// Pawns, knights, bishops, rooks, queens of the first side, then the same of the second.
using Tcounts = std::array<int, 10>;
Tcounts counts_of_name(const char* name);
// The class of a piece-count vector from the class names alone: the id, its negation when the
// class is stored with the sides exchanged, 0 when there is none.
int class_of(const Tcounts& counts);

constexpr int      TB_CACHE_ENTRIES = 121;
constexpr int      TB_BUCKETS       = 32;
constexpr uint32_t TB_CHUNK         = 8192;

struct Tcache_entry {
    int            id    = 0;
    int            side  = 0;
    uint32_t       start = 0;       // first table index held, a multiple of TB_CHUNK
    Tcache_entry*  older = nullptr; // least-recently-used list
    Tcache_entry*  newer = nullptr;
    Tcache_entry** head  = nullptr; // the bucket the entry is chained in
    Tcache_entry*  prev  = nullptr; // bucket chain; `next` also links the free list
    Tcache_entry*  next  = nullptr;
    int8_t*        data  = nullptr;
};

// One side to move of one class.
struct Ttable_side {
    std::unique_ptr<char[]>          path; // null when not registered
    FILE*                            file = nullptr;
    std::unique_ptr<tb::Temd_file>   compressed;
    std::unique_ptr<Tcache_entry*[]> buckets;
    const int8_t*                    in_memory = nullptr; // a whole table in memory, when given one
    uint32_t                         length    = 0;
};

class Ttablebases {
  public:
    ~Ttablebases() { close_files(); }

    // Start-up: the cache memory; false when it cannot be had (the engine then runs without tables).
    bool allocate_cache();
    // Registers the tables of a "," or ";" separated list of directories; the most men available.
    int  init_tables(const std::string& path_list);
    bool register_table(const std::string& directory, int id, int side);
    // The signed table byte at the index, TB_NO_VALUE when none can be read.
    int  read_entry(int id, int side, uint32_t index);
    void reset_cache();

    // The registered class of a piece-count vector (negative: sides exchanged), 0 when none.
    int  lookup(const Tcounts& counts) const;
    bool registered(int id, int side) const { return sides[id][side].path || sides[id][side].in_memory; }

    uint64_t chunk_reads  = 0; // chunks read from files or expanded (the tests watch it)
    uint64_t memory_total = 0; // bytes allocated for registered tables

  private:
    bool          enter_lookup(const Tcounts& counts, int value);
    void          close_files();
    bool          load_chunk(Ttable_side& table, Tcache_entry& entry);
    Tcache_entry* take_entry();
    void          make_newest(Tcache_entry* e);
    void          unlink(Tcache_entry* e);

    Ttable_side                     sides[NB_TB_CLASSES][2];
    std::unique_ptr<Tcache_entry[]> entries;
    std::unique_ptr<int8_t[]>       chunk_memory;
    std::unique_ptr<uint8_t[]>      decode_work;
    Tcache_entry*                   free_list = nullptr;
    Tcache_entry*                   oldest    = nullptr;
    Tcache_entry*                   newest    = nullptr;
    // Class ids by piece-count vector, each count 0..2 in base 3.
    int8_t lookup_map[59049] = {};
};

extern Ttablebases tablebases;
