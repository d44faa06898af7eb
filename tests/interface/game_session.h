// What the game loop prints that scripted sessions meet again and again, and an engine driven
// line by line in a directory of its own.
#pragma once

#include <string>
#include <vector>

#include "engine_process.h"

// The output without the search's reports (lines starting with a blank, the board's file letters
// excepted, or with a depth of two digits) and the "used less time" notes.
std::string protocol_lines(const std::string& output);

// The default settings file with each line of `changes` ("KEY=value") in place of the key's
// default line.
std::string settings_with(const std::string& changes);

// An engine in a directory of its own with a complete settings file, driven line by line.
class Tgame_session {
  public:
    // Each line of `extra_settings` ("KEY=value") replaces the key's default line.
    explicit Tgame_session(const std::string& extra_settings = "");
    Ttemp_dir       dir;
    Tengine_process engine;

    void send(const std::string& lines) { engine.send(lines); }
    // Waits for the text after the last point reached; moves that point past it. False on time.
    bool expect(const std::string& text, double seconds = 20);
    // The engine's next move line "N. ... move" after the last point: the move, "" on time.
    std::string next_move(double seconds = 20);
    // Output from the last point on.
    std::string rest() { return engine.output().substr(mark); }
    std::string protocol_lines() { return ::protocol_lines(engine.output()); }
    std::string log() const;
    size_t      mark = 0;
};

// Plays coordinate moves from a FEN with the engine's own board code; the FEN reached (as the
// engine prints it), or "" when a move is illegal.
std::string fen_after(const std::string& fen, const std::vector<std::string>& moves);
// The legal moves of a position in coordinate form.
std::vector<std::string> legal_moves(const std::string& fen);
