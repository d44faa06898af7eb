// The fields of the game record that the command reader and the search read and write. They
// live here until Tgame is written; it then takes them over (the names stay) and this header
// goes.
#pragma once

struct Tboarddata;

struct Tgame_link {
    Tboarddata* root = nullptr; // the game's current position, with its legal list generated
    int         ratings[2]{};   // from "rating", in the order given
};

extern Tgame_link game_link;
