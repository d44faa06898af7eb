// POSIX side of the platform layer (Linux and the other Unix systems).
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"

namespace platform {

namespace {

int    kept_argc = 0;
char** kept_argv = nullptr;

#ifdef __GLIBC__
// The GNU C library hands the start-up functions the arguments it will give to main; these are
// kept first of all (the earliest priority), before anything could want them. Other C libraries
// pass nothing: there the arguments are not known before main.
__attribute__((constructor(101))) void keep_arguments(int argc, char** argv, char**) {
    kept_argc = argc;
    kept_argv = argv;
}
#endif

} // namespace

char** program_arguments(int& argc) {
    argc = kept_argv ? kept_argc : 0;
    return kept_argv;
}

void prepare_std_streams() {
    setvbuf(stdin, nullptr, _IONBF, 0);
    setvbuf(stdout, nullptr, _IONBF, 0);
    // A GUI that closes its end must not kill the engine in the middle of writing a file.
    signal(SIGPIPE, SIG_IGN);
}

int stdin_ready() {
    pollfd entry{};
    entry.fd         = 0;
    entry.events     = POLLIN;
    const int result = poll(&entry, 1, 0);
    if (result < 0)
        return errno == EINTR ? 0 : 1; // a failing query counts as pending: the read will tell
    // POLLHUP and POLLERR count too: the read then meets the end of input or the error.
    return result > 0 ? 1 : 0;
}

long read_stdin(char* buffer, long size) {
    for (;;) {
        const ssize_t count = read(0, buffer, size_t(size));
        if (count >= 0)
            return long(count);
        if (errno != EINTR)
            return -1;
    }
}

double wall_clock() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return double(now.tv_sec) + double(now.tv_nsec / 1000000) * 0.001;
}

Tlocal_time local_time() {
    const time_t now = time(nullptr);
    tm           parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

std::string host_name() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return "";
    name[sizeof name - 1] = '\0';
    return name;
}

std::string program_version() { return BRELOK_VERSION; }

int make_directory(const char* path) {
    if (mkdir(path, 0777) == 0)
        return 1;
    struct stat info {};
    return errno == EEXIST && stat(path, &info) == 0 && S_ISDIR(info.st_mode) ? 1 : 0;
}

int file_is_writable(const char* path) {
    struct stat info {};
    if (stat(path, &info) != 0)
        return errno == ENOENT ? 1 : 0;
    if (S_ISDIR(info.st_mode) || (info.st_mode & 0222) == 0)
        return 0;
    return access(path, W_OK) == 0 ? 1 : 0;
}

Tfile_kind file_kind(const char* path) {
    struct stat info {};
    if (stat(path, &info) != 0)
        return FILE_MISSING;
    return S_ISREG(info.st_mode) ? FILE_REGULAR : FILE_OTHER;
}

namespace {

// Where `path` leads through its symbolic links (a link to a missing file leads to where that
// file would be); `path` itself when it is no link, or when the links go round in a loop.
std::string final_path(const char* path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        char          target[4096];
        const ssize_t length = readlink(current.c_str(), target, sizeof target);
        if (length <= 0 || size_t(length) == sizeof target)
            return path;
        const size_t slash = current.rfind('/');
        // A relative target is relative to the link's own directory.
        current = target[0] == '/' || slash == std::string::npos
                      ? std::string(target, size_t(length))
                      : current.substr(0, slash + 1) + std::string(target, size_t(length));
    }
    return path;
}

// The directory part of a path, with its final slash ("" for the current directory).
std::string directory_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// mkstemp's naming: "." + the file's name + "." + six letters or digits.
bool is_temp_name_of(const std::string& name, const std::string& file_name) {
    const std::string prefix = "." + file_name + ".";
    return name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0
           && std::all_of(name.begin() + long(prefix.size()), name.end(),
                          [](char c) { return isalnum(static_cast<unsigned char>(c)) != 0; });
}

bool is_stale_file(const char* path) {
    struct stat info {};
    return lstat(path, &info) == 0 && S_ISREG(info.st_mode)
           && info.st_mtime <= time(nullptr) - STALE_TEMP_SECONDS;
}

} // namespace

std::vector<std::string> remove_stale_temp_files(const char* path) {
    std::vector<std::string> removed;
    const std::string        target    = final_path(path);
    const std::string        directory = directory_of(target);
    const std::string        name      = target.substr(directory.size());
    DIR*                     entries   = opendir(directory.empty() ? "." : directory.c_str());
    if (!entries)
        return removed;
    while (const dirent* entry = readdir(entries)) {
        const std::string full = directory + entry->d_name;
        if (is_temp_name_of(entry->d_name, name) && is_stale_file(full.c_str()) && unlink(full.c_str()) == 0)
            removed.push_back(full);
    }
    closedir(entries);
    return removed;
}

int remove_if_stale(const char* path) { return is_stale_file(path) && unlink(path) == 0 ? 1 : 0; }

FILE* create_temp_file_near(const char* near_path, std::string& temp_name) {
    // Beside the file the rewrite replaces, so that the final rename stays on one file system.
    remove_stale_temp_files(near_path);
    const std::string target     = final_path(near_path);
    const std::string directory  = directory_of(target);
    std::string       name       = directory + "." + target.substr(directory.size()) + ".XXXXXX";
    const int         descriptor = mkstemp(name.data());
    if (descriptor < 0)
        return nullptr;
    FILE* file = fdopen(descriptor, "w");
    if (!file) {
        close(descriptor);
        unlink(name.c_str());
        return nullptr;
    }
    temp_name = name;
    return file;
}

int sync_file(FILE* file) {
    if (fflush(file) != 0)
        return 0;
    return fsync(fileno(file)) == 0 ? 1 : 0;
}

int replace_file(const char* from, const char* to) {
    // mkstemp makes the file private; the settings file keeps the permissions it had.
    const std::string target = final_path(to);
    struct stat       info {};
    if (stat(target.c_str(), &info) == 0)
        chmod(from, info.st_mode & 07777);
    else {
        const mode_t mask = umask(022); // reading the mask means setting it: put it back at once
        umask(mask);
        chmod(from, 0666 & ~mask);
    }
    return rename(from, target.c_str()) == 0 ? 1 : 0;
}

int remove_file(const char* path) { return unlink(path) == 0 ? 1 : 0; }

// --- Ticker -----------------------------------------------------------------------------------

namespace {

struct Tticker {
    pthread_t             thread{};
    pthread_mutex_t       lock = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t        wake{};
    bool                  running = false;
    bool                  stop    = false;
    bool                  woken   = false;
    std::atomic<uint8_t>* tick    = nullptr;
    std::atomic<int>*     period  = nullptr;
} ticker;

void* ticker_main(void*) {
    pthread_mutex_lock(&ticker.lock);
    while (!ticker.stop) {
        ticker.woken = false;
        ticker.tick->store(1, std::memory_order_relaxed);
        const int milliseconds = ticker.period->load(std::memory_order_relaxed);
        timespec  until{};
        clock_gettime(CLOCK_MONOTONIC, &until);
        until.tv_sec += milliseconds / 1000;
        until.tv_nsec += long(milliseconds % 1000) * 1000000L;
        if (until.tv_nsec >= 1000000000L) {
            until.tv_sec += 1;
            until.tv_nsec -= 1000000000L;
        }
        // Sleeps the period, but wakes at once when asked to stop, so quitting never waits, or
        // to start a new period.
        while (!ticker.stop && !ticker.woken
               && pthread_cond_timedwait(&ticker.wake, &ticker.lock, &until) == 0) {}
    }
    pthread_mutex_unlock(&ticker.lock);
    return nullptr;
}

} // namespace

int start_ticker(std::atomic<uint8_t>& tick, std::atomic<int>& period) {
    if (ticker.running)
        return 1;
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&ticker.wake, &attributes);
    pthread_condattr_destroy(&attributes);
    ticker.tick    = &tick;
    ticker.period  = &period;
    ticker.stop    = false;
    ticker.running = pthread_create(&ticker.thread, nullptr, ticker_main, nullptr) == 0;
    return ticker.running ? 1 : 0;
}

void wake_ticker() {
    if (!ticker.running)
        return;
    pthread_mutex_lock(&ticker.lock);
    ticker.woken = true;
    pthread_cond_signal(&ticker.wake);
    pthread_mutex_unlock(&ticker.lock);
}

void stop_ticker() {
    if (!ticker.running)
        return;
    pthread_mutex_lock(&ticker.lock);
    ticker.stop = true;
    pthread_cond_signal(&ticker.wake);
    pthread_mutex_unlock(&ticker.lock);
    pthread_join(ticker.thread, nullptr);
    ticker.running = false;
}

// --- Signals ----------------------------------------------------------------------------------

namespace {
int signal_number(Tsignal which) { return which == SIGNAL_INTERRUPT ? SIGINT : SIGTERM; }
} // namespace

void set_signal_handler(Tsignal which, Tsignal_handler handler) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number(which), &action, nullptr);
}

void ignore_signal(Tsignal which) {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number(which), &action, nullptr);
}

} // namespace platform
