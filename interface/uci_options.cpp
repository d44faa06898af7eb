// The UCI options, mapped onto the settings: Hash (SIZE_HT), Clear Hash, Ponder, OwnBook
// (ENABLE_BOOK) and TablebasePath (TBPATH). They change the run, never brelok.ini.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "base/config.h"
#include "base/console.h"
#include "eval/hash_pawns.h"
#include "interface/uci.h"
#include "search/hash_table.h"
#include "tablebases/registry.h"

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string joined(const Twords& words, size_t from, size_t to) {
    std::string text;
    for (size_t i = from; i < to && i < words.size(); ++i)
        text += (text.empty() ? "" : " ") + words[i];
    return text;
}

// "true" or "false" in any case; -1 otherwise.
int check_value(const std::string& value) {
    const std::string v = lower(value);
    return v == "true" ? 1 : v == "false" ? 0 : -1;
}

void set_hash(const std::string& value) {
    int lowest = 0, highest = 0;
    config.number_range("SIZE_HT", lowest, highest);
    char*      end  = nullptr;
    const long size = strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || size < lowest || size > highest) {
        uci_tell("Hash must be a number of megabytes from " + std::to_string(lowest) + " to "
                 + std::to_string(highest));
        return;
    }
    // The old table goes first: both at once might not fit.
    hash_tables = Thashtables(0);
    hash_tables = Thashtables(int(size));
    if (size > 0 && !hash_tables.has_slots()) {
        hash_tables = Thashtables(config.SIZE_HT);
        uci_tell("no memory for a hash table of " + value + " MB: " + std::to_string(config.SIZE_HT)
                 + " MB kept");
        return;
    }
    config.SIZE_HT = int(size);
}

void set_tablebase_path(const std::string& given) {
    const std::string value = given == "<empty>" ? "" : given;
    config.tb_path          = value;
    if (!config.USE_TB)
        return;
    const int men = tablebases.init_tables(value);
    uci_tell(men ? "tablebases found, up to " + std::to_string(men) + " men"
                 : "no tablebase files found in " + value);
}

} // namespace

void print_uci_options() {
    int lowest = 0, highest = 0;
    config.number_range("SIZE_HT", lowest, highest);
    console.send("option name Hash type spin default %d min %d max %d\n", config.SIZE_HT, lowest, highest);
    console.send("option name Clear Hash type button\n");
    console.send("option name Ponder type check default %s\n",
                 config.ENABLE_PONDERING && config.ponder_on ? "true" : "false");
    console.send("option name OwnBook type check default %s\n", config.ENABLE_BOOK ? "true" : "false");
    console.send("option name TablebasePath type string default %s\n",
                 config.tb_path.empty() ? "<empty>" : config.tb_path.c_str());
}

// "setoption name NAME [value VALUE]": names are compared without regard to case.
void uci_setoption(const Twords& words) {
    const auto   value_at    = std::find(words.begin(), words.end(), "value");
    const size_t value_index = size_t(value_at - words.begin());
    if (words.size() < 3 || words[1] != "name") {
        uci_tell("setoption needs a name");
        return;
    }
    const std::string name      = lower(joined(words, 2, value_index));
    const std::string value     = joined(words, value_index + 1, words.size());
    const bool        has_value = value_index < words.size();
    if (name == "clear hash") {
        hash_tables.clear();
        hash_pawns.clear();
        return;
    }
    if (name != "hash" && name != "ponder" && name != "ownbook" && name != "tablebasepath") {
        uci_tell("unknown option: " + joined(words, 2, value_index));
        return;
    }
    if (!has_value) {
        uci_tell("option " + joined(words, 2, value_index) + " needs a value");
        return;
    }
    if (name == "hash") {
        set_hash(value);
    } else if (name == "tablebasepath") {
        set_tablebase_path(value);
    } else {
        const int on = check_value(value);
        if (on < 0) {
            uci_tell("option " + joined(words, 2, value_index) + " takes true or false, not " + value);
            return;
        }
        (name == "ponder" ? config.ponder_on : config.ENABLE_BOOK) = on;
    }
}
