// Setting the game up from a protocol's position command: the FEN, then the moves, each judged
// against the position it is played in; a fault anywhere leaves the previous game in place.
#include <memory>
#include <vector>

#include "interface/commands.h"
#include "interface/game.h"

bool set_up_game(const std::string& fen, const std::vector<std::string>& moves, std::string& error) {
    // The whole record, restarts included: a refused command changes nothing.
    const auto saved   = std::make_unique<Tgame>(game);
    const auto restore = [&] {
        game = *saved;
        game.replay_to(game.game_ply);
    };
    if (!game.set_start_position(fen.c_str())) {
        error = "illegal position: " + fen;
        restore();
        return false;
    }
    for (const std::string& text : moves) {
        Move move = 0;
        if (!read_move(move, text.c_str(), board_state.board_type, game.root.side_to_move())
            || !game.is_legal(move)) {
            error = "illegal move: " + text;
            restore();
            return false;
        }
        game.add_move(move, ORIGIN_ENTERED);
    }
    return true;
}
