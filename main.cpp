// Brelok: start-up checks, then the EPD suite of the command line or the game loop.
#include <cstring>

#include "base/config.h"
#include "base/console.h"
#include "interface/play.h"
#include "interface/startup.h"
#include "platform/platform.h"
#include "tools/tools.h"

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
