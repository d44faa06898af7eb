#include "engine_process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

double seconds_now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

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
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
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
    return "DEBUG_LINE=\nDEBUG_EPD=\nTBPATH=./TB\nECART_DEBUG_INFO=1\nDEBUT_DEBUG_INFO=0\n"
           "FIN_DEBUG_INFO=0\nSTART_DEBUG_INTERACTIF=0\nK_BEST_MODE=1\nOPPONENT_TYPE=0\n"
           "noise=1\nDRAW_SCORE=0\nSIZE_HP=2\nSIZE_HT=8\nmin_sd=1\nmax_sd=35\nselectivite=25\n"
           "ENABLE_BOOK=TRUE\nUSE_INTERNAL_ITERATIVE_DEEPENING=TRUE\n"
           "USE_COMBINATION_EXTENSIONS=TRUE\nUSE_TB=TRUE\nENABLE_PONDERING=TRUE\n"
           "ENABLE_RESIGN=TRUE\nEFFACER_HT=TRUE\nENABLE_DRAW_OFFER_WHEN_GAFFE=FALSE\n"
           "ENABLE_LOG=TRUE\nENABLE_LEARN_BIN=TRUE\nUSE_PVS_SEARCH=TRUE\nUSE_FAILSOFT=TRUE\n"
           "USE_NULL_MOVE=TRUE\nUSE_MOINS1=TRUE\nUSE_FUTILITY_SUPERIEUR=FALSE\n"
           "USE_BIG_FUTILITY_SUPERIEUR=FALSE\nDEBUG_TEST="
         + debug_test + "\n";
}

Tengine_process::Tengine_process(const std::string& work_dir,
                                 const std::vector<std::string>& args) {
    int in_fds[2], out_fds[2], err_fds[2];
    // Close-on-exec, so that a second engine of the same test does not hold this one's pipes.
    if (pipe2(in_fds, O_CLOEXEC) != 0 || pipe2(out_fds, O_CLOEXEC) != 0
        || pipe2(err_fds, O_CLOEXEC) != 0)
        abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in_fds[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out_fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err_fds[1], 2);
    posix_spawn_file_actions_addchdir_np(&actions, work_dir.c_str());

    const std::string binary = BRELOK_BINARY;
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int failed = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed)
        abort();

    close(in_fds[0]);
    close(out_fds[1]);
    close(err_fds[1]);
    to_child = in_fds[1];
    out_pipe = out_fds[0];
    err_pipe = err_fds[0];
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
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = write(to_child, bytes.data() + done, bytes.size() - done);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += size_t(count);
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
    for (int i = 0; i < 2; ++i) {
        for (;;) {
            const ssize_t count = read(entries[i].fd, buffer, sizeof buffer);
            if (count <= 0)
                break;
            (i == 0 ? out_text : err_text).append(buffer, size_t(count));
        }
    }
}

bool Tengine_process::wait_for(const std::string& text, double seconds, size_t from) {
    const double until = seconds_now() + seconds;
    for (;;) {
        if (out_text.find(text, std::min(from, out_text.size())) != std::string::npos)
            return true;
        const double left = until - seconds_now();
        if (left <= 0)
            return false;
        collect(std::min(left, 0.05));
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
    if (exit_code != -2)
        return exit_code;
    const double until = seconds_now() + seconds;
    for (;;) {
        int         status = 0;
        const pid_t done   = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            collect(0);
            collect(0);
            exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exit_code;
        }
        if (seconds_now() > until) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            exit_code = -1;
            return exit_code;
        }
        collect(0.02);
    }
}
