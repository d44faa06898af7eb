// Table-driven tests: the cases live in data files under tests/, one a line, fields split at '|'
// and trimmed (a field in double quotes keeps its blanks); blank lines and lines starting with
// '#' are left out.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct Trow {
    std::vector<std::string> field;
    std::string              where; // "file:line", for failure messages

    // The field, or "" past the last one.
    const std::string& operator[](size_t i) const;
    int                number(size_t i) const { return std::stoi((*this)[i]); }
};

std::vector<Trow> read_rows(const std::string& path_in_tests);
// A whole data file under tests/, with "@ID@" replaced by the engine's name line, "@VERSION@"
// by the version alone and an "@OPENING@" line by what the engine prints at start-up
// (interface/data/banner.txt, then interface/data/start_display.txt).
std::string test_data(const std::string& path_in_tests);
// The path of a file of the shared data.
std::string shared_file(const std::string& name);
// What the action printed on standard output.
std::string printed_by(const std::function<void()>& action);
// The text split at blanks.
std::vector<std::string> words(const std::string& text);
// True in the opt-in deep runs (label slow), which set BRELOK_DEEP: the same tests, further.
bool deep_run();
