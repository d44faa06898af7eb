// Scripted sessions end to end, one engine per file of sessions/: the settings file it finds, the
// files beside it, the arguments and the input it is given, and then exactly what it prints, the
// files it leaves, blocks its log must (or must not) hold, and its exit code. Sections of a
// session file ("== name" lines): settings (a full file, or "default" followed by lines replacing
// keys of the default one), file NAME, args, input, output (exact) or protocol (without the
// search's report lines), "output, figures hidden" (exact, with the nodes, speed and time of UCI
// info lines and of stat01 lines shown as *), after NAME (a file's content at the end), log (a
// block; several allowed), not in log, exit, files (with what a directory other than log holds),
// untouched NAME (the file neither rewritten nor replaced), memory limit (megabytes the engine
// cannot pass).
// "(no final line end)" after a section name drops the last line end, "(read-only)" after
// settings makes the file read-only, "(old)" after file NAME dates the file an hour back;
// "directory NAME" makes a directory. An input line "<<< text" waits for the text in the output
// before going on.
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>

#include "base/data_rows.h"
#include "game_session.h"

namespace {

using Tsections = std::vector<std::pair<std::string, std::string>>;

Tsections read_sections(const std::string& text) {
    Tsections sections;
    size_t    start = 0;
    while (start < text.size()) {
        const size_t      end  = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        if (line.rfind("== ", 0) == 0)
            sections.push_back({line.substr(3), ""});
        else if (!sections.empty())
            sections.back().second += line + "\n";
        start = end + 1;
    }
    return sections;
}

std::string body_of(const std::pair<std::string, std::string>& section) {
    const bool cut = section.first.find("(no final line end)") != std::string::npos;
    return cut ? section.second.substr(0, section.second.size() - 1) : section.second;
}

// The figures of UCI info lines and of stat01 answers that change from run to run.
std::string hide_figures(const std::string& out) {
    std::string hidden = out;
    for (size_t at = hidden.find("stat01: "); at != std::string::npos; at = hidden.find("stat01: ", at + 1))
        hidden.replace(at + 8, hidden.find('\n', at) - at - 8, "*");
    for (const char* label : {" nodes ", " nps ", " time "})
        for (size_t at = hidden.find(label); at != std::string::npos; at = hidden.find(label, at + 1)) {
            const size_t from = at + strlen(label);
            const size_t to   = hidden.find_first_not_of("0123456789", from);
            if (to > from)
                hidden.replace(from, to - from, "*");
        }
    return hidden;
}

void run_session(const std::string& name) {
    SCOPED_TRACE(name);
    Ttemp_dir                dir;
    std::string              input;
    std::vector<std::string> args;
    int                      exit_code = 0, memory_limit = 0;
    const Tsections          sections = read_sections(test_data("interface/sessions/" + name));
    for (const auto& section : sections) {
        const std::string& head = section.first;
        if (head.rfind("settings", 0) == 0) {
            const std::string body = body_of(section);
            write_file(dir.file("brelok.ini"),
                       body.rfind("default\n", 0) == 0 ? settings_with(body.substr(8)) : body);
            if (head.find("(read-only)") != std::string::npos)
                chmod(dir.file("brelok.ini").c_str(), 0444);
        } else if (head.rfind("directory ", 0) == 0)
            std::filesystem::create_directory(dir.file(head.substr(10)));
        else if (head.rfind("file ", 0) == 0) {
            const std::string path = dir.file(words(head.substr(5))[0]);
            write_file(path, body_of(section));
            if (head.find("(old)") != std::string::npos)
                std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now()
                                                           - std::chrono::hours(1));
        } else if (head == "memory limit")
            memory_limit = std::stoi(section.second);
        else if (head == "args")
            args = words(section.second);
        else if (head.rfind("input", 0) == 0)
            input = body_of(section);
        else if (head == "exit")
            exit_code = std::stoi(section.second);
    }
    struct stat before {};
    for (const auto& section : sections)
        if (section.first.rfind("untouched ", 0) == 0)
            stat(dir.file(section.first.substr(10)).c_str(), &before);
    Tengine_process engine(dir.path(), args, memory_limit);
    size_t          mark = 0;
    for (size_t start = 0, wait; start < input.size(); start = input.find('\n', wait) + 1) {
        wait = input.find("<<< ", start);
        engine.send(input.substr(start, wait - start));
        if (wait == std::string::npos)
            break;
        const std::string text = input.substr(wait + 4, input.find('\n', wait) - wait - 4);
        ASSERT_TRUE(engine.wait_for(text, 30, mark)) << text << "\n" << engine.output();
        mark = engine.output().find(text, mark) + text.size();
    }
    engine.close_input();
    EXPECT_EQ(engine.wait_exit(30), exit_code);
    // Nothing reaches standard error but the sanitizer's word on an allocation it refused.
    std::istringstream error_lines(engine.errors());
    std::string        errors;
    for (std::string line; std::getline(error_lines, line);)
        if (line.find("AddressSanitizer failed to allocate") == std::string::npos)
            errors += line + "\n";
    EXPECT_EQ(errors, "");
    const std::vector<std::string> logs = list_dir(dir.file("log"));
    const std::string              log  = logs.size() == 1 ? read_file(dir.file("log/" + logs[0])) : "";
    std::string                    entries;
    for (const std::string& entry : list_dir(dir.path())) {
        entries += entry + "\n";
        for (const std::string& inner :
             entry == "log" ? std::vector<std::string>{} : list_dir(dir.file(entry)))
            entries += entry + "/" + inner + "\n";
    }
    for (const auto& section : sections) {
        const std::string &head = section.first, body = body_of(section);
        if (head.rfind("untouched ", 0) == 0) {
            struct stat after {};
            stat(dir.file(head.substr(10)).c_str(), &after);
            EXPECT_TRUE(after.st_ino == before.st_ino && after.st_mtim.tv_sec == before.st_mtim.tv_sec
                        && after.st_mtim.tv_nsec == before.st_mtim.tv_nsec)
                << head;
            continue;
        }
        if (head == "log" || head == "not in log") {
            const bool found =
                log.find(head == "log" ? body : body.substr(0, body.size() - 1)) != std::string::npos;
            EXPECT_EQ(found, head == "log") << head << ":\n" << body << "---- the log:\n" << log;
            continue;
        }
        const std::string actual = head == "output"                   ? engine.output()
                                   : head == "output, figures hidden" ? hide_figures(engine.output())
                                   : head == "protocol" ? hide_figures(protocol_lines(engine.output()))
                                   : head == "files"    ? entries
                                   : head.rfind("after ", 0) == 0
                                       ? read_file(dir.file(words(head.substr(6))[0]))
                                       : body;
        EXPECT_EQ(actual, body) << head;
    }
}

TEST(Sessions, EverySessionFile) {
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(BRELOK_SOURCE_DIR) + "/tests/interface/sessions"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_GE(names.size(), 10u);
    for (const std::string& name : names)
        run_session(name);
}

// Overlong lines and binary garbage are dropped safely; the log is named after the time of its
// first message: log<seconds since midnight, 5 digits>.<month 1-9, a-c><day, 2 digits>
TEST(Sessions, OverlongLinesAndBinaryGarbageAreDroppedSafelyLogNamedByTheTime) {
    Tgame_session s;
    const time_t  before = time(nullptr);
    std::string   garbage;
    for (int i = 0; i < 4000; ++i)
        garbage += char((i * 7919) % 256);
    const std::string input = std::string(150, 'b') + " max_sd 3\n" + std::string(1500, 'c') + "\n" + garbage
                              + "\n" + std::string(10 * 1024 * 1024, 'a') + "\nmax_sd 9\n"
                              + std::string("max\0_sd 4\n", 11) + "help\nquit\n";
    std::thread writer([&] { s.send(input); });
    EXPECT_EQ(s.engine.wait_exit(60), 0);
    writer.join();
    EXPECT_EQ(s.engine.errors(), "");
    EXPECT_NE(s.engine.output().find("(x==9)"), std::string::npos);
    EXPECT_NE(read_file(s.dir.file("brelok.ini")).find("\nmax_sd=9\n"), std::string::npos);
    for (const char* line :
         {"Line of 10485760 bytes ignored: too long\n", "Line of 159 bytes ignored: too long\n",
          "Line of 1500 bytes ignored: too long\n", "Illegal move (max _sd 4)\n"})
        EXPECT_NE(s.log().find(line), std::string::npos) << line;
    const std::vector<std::string> names = list_dir(s.dir.file("log"));
    ASSERT_EQ(names.size(), 1u);
    ASSERT_EQ(names[0].size(), 12u) << names[0];
    tm local{};
    localtime_r(&before, &local);
    EXPECT_EQ(names[0].substr(0, 3) + names[0][8] + names[0][9],
              std::string("log.") + "123456789abc"[local.tm_mon]);
    EXPECT_NEAR(std::stoi(names[0].substr(3, 5)), local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec, 5);
    EXPECT_EQ(std::stoi(names[0].substr(10, 2)), local.tm_mday);
}

} // namespace
