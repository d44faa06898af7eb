#include "engine_process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

double seconds_now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

Ttemp_dir::Ttemp_dir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brelok_test_XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        abort();
    dir = pattern;
}

Ttemp_dir::~Ttemp_dir() {
    std::error_code ignored;
    // A test may have made files read-only; give the owner its rights back before removal.
    for (auto& entry : std::filesystem::recursive_directory_iterator(dir, ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(dir, ignored);
}

std::string read_file(const std::string& path) {
    std::ifstream     in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

bool file_exists(const std::string& path) { return std::filesystem::exists(path); }

std::vector<std::string> list_dir(const std::string& path) {
    std::vector<std::string> names;
    std::error_code          ignored;
    for (auto& entry : std::filesystem::directory_iterator(path, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string default_settings(const std::string& debug_test) {
    // The shipped file holds the defaults: sessions/uci.txt spells them out, so a shipped file
    // that strays from them is seen there.
    const std::string shipped = read_file(std::string(BRELOK_SOURCE_DIR) + "/brelok.ini");
    return shipped.substr(0, shipped.rfind("DEBUG_TEST=") + 11) + debug_test + "\n";
}

Tengine_process::Tengine_process(const std::string& work_dir, const std::vector<std::string>& args,
                                 int memory_limit_mb) {
    int fds[3][2];
    // Close-on-exec, so that a second engine of the same test does not hold this one's pipes.
    for (auto& fd : fds)
        if (pipe2(fd, O_CLOEXEC) != 0)
            abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0][0], 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1][1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[2][1], 2);
    posix_spawn_file_actions_addchdir_np(&actions, work_dir.c_str());
    std::vector<std::string> words{BRELOK_BINARY};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<std::string> settings;
    if (memory_limit_mb > 0) {
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer needs a vast address space: it is one allocation that may not pass the
        // limit, and it fails as it would without the sanitizer rather than ending the program.
        settings.push_back("ASAN_OPTIONS=allocator_may_return_null=1:max_allocation_size_mb="
                           + std::to_string(memory_limit_mb));
#else
        words.insert(words.begin(),
                     {"/bin/sh", "-c",
                      "ulimit -v " + std::to_string(memory_limit_mb * 1024) + " && exec \"$0\" \"$@\""});
#endif
    }
    std::vector<char*> argv, env;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    for (std::string& setting : settings)
        env.push_back(setting.data());
    for (char** setting = environ; *setting; ++setting)
        env.push_back(*setting);
    env.push_back(nullptr);
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0)
        abort();
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0][0]);
    close(fds[1][1]);
    close(fds[2][1]);
    to_child = fds[0][1];
    out_pipe = fds[1][0];
    err_pipe = fds[2][0];
    fcntl(out_pipe, F_SETFL, O_NONBLOCK);
    fcntl(err_pipe, F_SETFL, O_NONBLOCK);
    signal(SIGPIPE, SIG_IGN); // a child that has gone must fail the write, not kill the test
}

Tengine_process::~Tengine_process() {
    if (exit_code == -2 && pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    for (int fd : {to_child, out_pipe, err_pipe})
        if (fd >= 0)
            close(fd);
}

bool Tengine_process::send(const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t count = write(to_child, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno != EINTR)
            return false;
        done += count < 0 ? 0 : size_t(count);
    }
    return true;
}

void Tengine_process::close_input() {
    if (to_child >= 0)
        close(to_child);
    to_child = -1;
}

// Reads whatever the pipes hold, waiting at most `seconds` for the first bytes.
void Tengine_process::collect(double seconds) {
    pollfd entries[2] = {{out_pipe, POLLIN, 0}, {err_pipe, POLLIN, 0}};
    if (poll(entries, 2, int(seconds * 1000)) <= 0)
        return;
    char buffer[65536];
    for (int i = 0; i < 2; ++i)
        for (ssize_t count; (count = read(entries[i].fd, buffer, sizeof buffer)) > 0;)
            (i == 0 ? out_text : err_text).append(buffer, size_t(count));
}

bool Tengine_process::wait_for(const std::string& text, double seconds, size_t from) {
    for (const double until = seconds_now() + seconds;;
         collect(std::clamp(until - seconds_now(), 0.0, 0.05))) {
        if (out_text.find(text, std::min(from, out_text.size())) != std::string::npos)
            return true;
        if (seconds_now() >= until)
            return false;
    }
}

const std::string& Tengine_process::output() {
    collect(0);
    return out_text;
}

const std::string& Tengine_process::errors() {
    collect(0);
    return err_text;
}

int Tengine_process::wait_exit(double seconds) {
    for (const double until = seconds_now() + seconds; exit_code == -2; collect(0.02)) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            collect(0);
            collect(0);
            exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        } else if (seconds_now() > until) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            exit_code = -1;
        }
    }
    return exit_code;
}
