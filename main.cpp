// Brelok: start-up checks, then the EPD suite of the command line or the game loop.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/config.h"
#include "base/console.h"
#include "interface/play.h"
#include "interface/startup.h"
#include "platform/platform.h"
#include "tools/tools.h"

namespace {

// --help and --version are answered before a single global object is built (the CPU check alone
// comes first): asking them neither reads nor writes brelok.ini, a log or the hash tables,
// whatever the directory they are asked in.
__attribute__((constructor(102))) void answer_help_or_version() {
    int               argc   = 0;
    char**            argv   = platform::program_arguments(argc);
    const std::string answer = command_line_answer(argc, argv);
    if (answer.empty())
        return;
    fputs(answer.c_str(), stdout);
    exit(0);
}

} // namespace

int main(int argc, char** argv) {
    platform::prepare_std_streams();
    console.program_id = make_program_id();
    if (!startup_checks())
        return 0;
    remove_stale_temporary_files();
    console.print("%ld entries found in the Opening Book (b_book.bin)\n", count_book_entries("b_book.bin"));
    config.xboard_mode = 0;

    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "EPD2DIAG.EPD") == 0) {
            run_epd_test("EPD2DIAG.EPD", 0, 0.0, 0);
            console.wait_key();
            return 1;
        }
    }
    static Tplay play;
    play.run();
}
