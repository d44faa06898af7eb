// The codes of the commands that matter beyond the command reader: the game loop acts on them,
// and the search's poll decides from them whether a line ends the search.
#pragma once

// Command codes handed to the game loop and to the search's poll.
enum Tcommand : int {
    CMD_MOVE      = 0,
    CMD_GO        = 1,
    CMD_UNDO      = 3,
    CMD_EDIT      = 4,
    CMD_REMOVE    = 5,
    CMD_NEW       = 6,
    CMD_FORCE     = 7,
    CMD_NONE      = 9, // no whole line, an empty or illegal line, or one handled in the reader
    CMD_MOVE_NOW  = 10,
    CMD_INTERRUPT = 11, // set by the interrupt handler, never by the reader
    CMD_TEST      = 12,
    CMD_SPEED     = 13,
    CMD_FUSION    = 14,
    CMD_MAKEBOOK  = 15,
    CMD_FILTRE    = 19,
    CMD_FILTREBIN = 20,
    CMD_RESULT    = 21,
    CMD_BADEVAL   = 22,
    CMD_STAT      = 23,
    CMD_ANALYZE   = 24,
    CMD_EXIT      = 25,
};
