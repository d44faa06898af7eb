// Until the game-flow controller exists: the standard start position stands as the game's
// position (so typed moves are judged against it), settings commands are carried out by the
// reader, and the codes of the game commands are noted in the log.
#include "board/board.h"
#include "board/boarddata.h"
#include "interface/commands.h"
#include "interface/config.h"
#include "interface/console.h"
#include "interface/links.h"
#include "interface/startup.h"

namespace {
Tboarddata interim_root;
}

void run_command_loop() {
    interim_root.set_fen(STANDARD_START_FEN);
    interim_root.gen_legal();
    for (int square = 0; square < 64; ++square)
        config.entry_board[square] = board_state.board_type[square];
    game_link.root = &interim_root;
    for (;;) {
        const int code = read_command(1);
        if (code != CMD_NONE)
            console.print(">Command code %d: no game loop to carry it out yet\n", code);
    }
}
