// Setting the game up from a protocol's position command: the FEN, then the moves, each judged
// against the position it is played in; a fault anywhere leaves the previous game in place.
#include <vector>

#include "interface/commands.h"
#include "interface/game.h"

namespace {

struct Tsaved_game {
    std::string       fen;
    std::vector<Move> moves;
    std::vector<int>  origins;
};

Tsaved_game save(const Tgame& g) {
    Tsaved_game saved{g.start_fen, {}, {}};
    for (int i = 1; i <= g.game_ply; ++i) {
        saved.moves.push_back(g.moves[i]);
        saved.origins.push_back(g.origins[i]);
    }
    return saved;
}

void restore(const Tsaved_game& saved) {
    game.set_start_position(saved.fen.c_str());
    for (size_t i = 0; i < saved.moves.size(); ++i)
        game.add_move(saved.moves[i], saved.origins[i]);
}

} // namespace

bool set_up_game(const std::string& fen, const std::vector<std::string>& moves, std::string& error) {
    const Tsaved_game saved = save(game);
    if (!game.set_start_position(fen.c_str())) {
        error = "illegal position: " + fen;
        restore(saved);
        return false;
    }
    for (const std::string& text : moves) {
        Move move = 0;
        if (!read_move(move, text.c_str(), board_state.board_type) || !game.is_legal(move)) {
            error = "illegal move: " + text;
            restore(saved);
            return false;
        }
        if (!game.add_move(move, ORIGIN_ENTERED)) {
            error = "too many moves: " + text;
            restore(saved);
            return false;
        }
    }
    return true;
}
