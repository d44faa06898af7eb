#include "data_rows.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {
std::string trim(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t\r");
    return begin == std::string::npos ? "" : text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}
std::string path_of(const std::string& name) { return std::string(BRELOK_SOURCE_DIR) + "/tests/" + name; }
} // namespace

const std::string& Trow::operator[](size_t i) const {
    static const std::string none;
    return i < field.size() ? field[i] : none;
}

std::vector<Trow> read_rows(const std::string& path_in_tests) {
    std::vector<Trow> rows;
    std::ifstream     in(path_of(path_in_tests));
    int               number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (trim(line).empty() || trim(line)[0] == '#')
            continue;
        Trow row;
        row.where = path_in_tests + ":" + std::to_string(number);
        for (size_t start = 0, bar;; start = bar + 1) {
            bar               = line.find('|', start);
            std::string field = trim(line.substr(start, bar == std::string::npos ? bar : bar - start));
            if (field.size() >= 2 && field.front() == '"' && field.back() == '"') // blanks kept
                field = field.substr(1, field.size() - 2);
            row.field.push_back(field);
            if (bar == std::string::npos)
                break;
        }
        rows.push_back(row);
    }
    return rows;
}

std::string test_data(const std::string& path_in_tests) {
    std::ifstream     in(path_of(path_in_tests), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string data      = text.str();
    char        host[256] = {};
    gethostname(host, sizeof host - 1);
    const std::string id = std::string("Brelok[") + host + "] " BRELOK_VERSION;
    for (size_t at; (at = data.find("@ID@")) != std::string::npos;)
        data.replace(at, 4, id);
    for (size_t at; (at = data.find("@VERSION@")) != std::string::npos;)
        data.replace(at, 9, BRELOK_VERSION);
    // What the engine prints at start-up before the command loop, for the scripted sessions.
    for (size_t at; (at = data.find("@OPENING@\n")) != std::string::npos;)
        data.replace(at, 10,
                     test_data("interface/data/banner.txt") + test_data("interface/data/start_display.txt"));
    return data;
}

std::string shared_file(const std::string& name) { return std::string(BRELOK_SHARED_DATA) + "/" + name; }

std::string printed_by(const std::function<void()>& action) {
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream       in(text);
    std::vector<std::string> result;
    for (std::string w; in >> w;)
        result.push_back(w);
    return result;
}

bool deep_run() { return std::getenv("BRELOK_DEEP") != nullptr; }
