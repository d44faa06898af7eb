#include "interface/startup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/config.h"
#include "base/console.h"
#include "book/book.h"
#include "book/book_lookup.h"
#include "book/learning.h"
#include "platform/platform.h"
#include "tablebases/registry.h"

namespace {

const char* const USAGE =
    "Usage: brelok [EPD2DIAG.EPD | --help | --version]\n"
    "\n"
    "Brelok is a chess engine. A graphical interface starts it and talks to it on standard input\n"
    "and output in the xboard/WinBoard protocol (versions 1 and 2) or in UCI, whichever it sends\n"
    "first; typed at a console it answers its own commands (\"help\" lists them).\n"
    "\n"
    "It works in the current directory: it will not start without the settings file brelok.ini\n"
    "there, reads the opening book b_book.bin from it and writes its log files under log/.\n"
    "\n"
    "  EPD2DIAG.EPD  runs the test suite of that file, then waits for a key and ends\n"
    "  --help        shows this text\n"
    "  --version     shows the version\n"
    "\n"
    "Exit code 0 after quit (or a refused start), 1 after a test suite.\n";

} // namespace

std::string command_line_answer(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--help") == 0)
            return USAGE;
        if (strcmp(argv[i], "--version") == 0)
            return "Brelok " + platform::program_version() + "\n";
    }
    return "";
}

std::string make_program_id() {
    char id[600];
    snprintf(id, sizeof id, "Brelok[%s] %s", platform::host_name().c_str(),
             platform::program_version().c_str());
    return id;
}

int startup_checks() {
    if (config.get("DEBUG_TEST", "").empty()) {
        console.print("The Brelok configuration file (");
        console.print("%s", SETTINGS_FILE_NAME);
        console.print(") is invalid.\n");
        console.print("Please download the program again.\n");
        console.wait_key();
        return 0;
    }
    return 1;
}

long count_book_entries(const char* file_name) {
    // A directory (or a pipe) of that name is no book: its "size" means nothing.
    const platform::Tfile_kind kind = platform::file_kind(file_name);
    if (kind != platform::FILE_REGULAR) {
        if (kind == platform::FILE_OTHER)
            console.print(">%s is not a file: no book\n", file_name);
        return 0;
    }
    FILE* file = fopen(file_name, "rb");
    if (!file)
        return 0;
    long size = 0;
    if (fseek(file, 0, SEEK_END) == 0)
        size = ftell(file);
    fclose(file);
    return size > 0 ? size / 24 : 0;
}

void start_tablebases() {
    if (!tablebases.allocate_cache()) {
        console.print("Pas assez de memoire !\n");
        return;
    }
    tablebases.reset_cache();
    if (!config.USE_TB)
        return;
    const int men = tablebases.init_tables(config.tb_path);
    if (men)
        console.print("Found TableBase Files, up to %d men\n", men);
    else
        console.print("No TableBase files found in %s\n", config.tb_path.c_str());
}

void remove_stale_temporary_files() {
    for (const char* file : {SETTINGS_FILE_NAME, LEARN_BIN_NAME, MAIN_BOOK_NAME, STYLE_BOOK_NAME})
        for (const std::string& name : platform::remove_stale_temp_files(file))
            console.print(">%s removed: left by an interrupted rewrite\n", name.c_str());
    for (const char* file : {BOOK_BATCH_FILE, BOOK_BUILT_FILE})
        if (platform::remove_if_stale(file))
            console.print(">%s removed: left by an interrupted book building\n", file);
}
