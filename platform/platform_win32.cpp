// Windows side of the platform layer.
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <io.h>
#include <windows.h>
#include <winsock2.h>

#include "platform/platform.h"

namespace platform {

void prepare_std_streams() {
    setvbuf(stdin, nullptr, _IONBF, 0);
    setvbuf(stdout, nullptr, _IONBF, 0);
}

// --- Standard input ---------------------------------------------------------------------------
//
// No Windows call tells for every kind of handle whether a read would block: PeekNamedPipe
// fails on files, on some pipes (wine hands Unix pipes over that way) and on sockets, and the
// console counts events that give no byte. So one thread of its own blocks on the reads and puts
// the bytes in a queue; the engine only ever looks at the queue. The bytes come as sent (no
// text-mode translation: a Ctrl-Z in piped input is no end of input); cutting them into lines is
// left to the console layer, as on POSIX.

namespace {

constexpr long INPUT_QUEUE_SIZE = 64 * 1024; // the reader waits while this much is not taken
constexpr long INPUT_READ_SIZE  = 4096;

// Plain data with static initialisers and no destructor: the thread may still be blocked in a
// read while the process ends, and nothing it touches must be torn down under it.
struct Tinput_queue {
    SRWLOCK            lock    = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT; // bytes added, taken, or the end
    char               bytes[INPUT_QUEUE_SIZE];
    long               first   = 0; // ring buffer: the oldest byte
    long               count   = 0;
    bool               ended   = false; // no byte will come any more
    bool               failed  = false; // ... because a read failed
    bool               started = false; // touched by the main thread only
} input;

// One read of standard input; false at its end or on a failure that would only repeat.
bool read_some(HANDLE handle, char* buffer, long size, long& got, bool& failed) {
    for (;;) {
        DWORD count = 0;
        SetLastError(ERROR_SUCCESS);
        const BOOL  ok    = ReadFile(handle, buffer, DWORD(size), &count, nullptr);
        const DWORD error = GetLastError();
        // Ctrl-C at a console ends the read with nothing in it; the read is simply made again.
        if (error == ERROR_OPERATION_ABORTED && count == 0)
            continue;
        if (!ok) {
            failed = error != ERROR_BROKEN_PIPE && error != ERROR_HANDLE_EOF;
            return false;
        }
        got = long(count);
        return count > 0;
    }
}

DWORD WINAPI input_main(LPVOID) {
    const HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    static char  chunk[INPUT_READ_SIZE];
    bool         failed = handle == nullptr || handle == INVALID_HANDLE_VALUE;
    long         got    = 0;
    for (;;) {
        AcquireSRWLockExclusive(&input.lock);
        while (input.count == INPUT_QUEUE_SIZE)
            SleepConditionVariableSRW(&input.changed, &input.lock, INFINITE, 0);
        const long room = INPUT_QUEUE_SIZE - input.count;
        ReleaseSRWLockExclusive(&input.lock);

        if (failed || !read_some(handle, chunk, room < INPUT_READ_SIZE ? room : INPUT_READ_SIZE, got, failed))
            break;

        AcquireSRWLockExclusive(&input.lock);
        for (long i = 0; i < got; ++i)
            input.bytes[(input.first + input.count + i) % INPUT_QUEUE_SIZE] = chunk[i];
        input.count += got;
        ReleaseSRWLockExclusive(&input.lock);
        WakeAllConditionVariable(&input.changed);
    }
    AcquireSRWLockExclusive(&input.lock);
    input.ended  = true;
    input.failed = failed;
    ReleaseSRWLockExclusive(&input.lock);
    WakeAllConditionVariable(&input.changed);
    return 0;
}

// The reader starts with the first look at the input, so that a program that never reads
// (a tool, a test) has no thread holding its standard input.
void start_input_thread() {
    if (input.started)
        return;
    input.started       = true;
    const HANDLE thread = CreateThread(nullptr, 0, input_main, nullptr, 0, nullptr);
    if (thread) {
        CloseHandle(thread); // never joined: it may sit in a read until the process ends
        return;
    }
    input.ended  = true; // no reader: the input counts as failed, which ends the program cleanly
    input.failed = true;
}

} // namespace

int stdin_ready() {
    start_input_thread();
    AcquireSRWLockShared(&input.lock);
    const bool ready = input.count > 0 || input.ended;
    ReleaseSRWLockShared(&input.lock);
    return ready ? 1 : 0;
}

long read_stdin(char* buffer, long size) {
    start_input_thread();
    if (size <= 0)
        return 0;
    AcquireSRWLockExclusive(&input.lock);
    while (input.count == 0 && !input.ended)
        SleepConditionVariableSRW(&input.changed, &input.lock, INFINITE, 0);
    long taken = input.count < size ? input.count : size;
    for (long i = 0; i < taken; ++i)
        buffer[i] = input.bytes[(input.first + i) % INPUT_QUEUE_SIZE];
    input.first = (input.first + taken) % INPUT_QUEUE_SIZE;
    input.count -= taken;
    const bool failed = taken == 0 && input.failed;
    ReleaseSRWLockExclusive(&input.lock);
    if (taken > 0)
        WakeAllConditionVariable(&input.changed);
    return failed ? -1 : taken;
}

double wall_clock() {
    FILETIME file_time;
    GetSystemTimeAsFileTime(&file_time);
    ULARGE_INTEGER value;
    value.LowPart  = file_time.dwLowDateTime;
    value.HighPart = file_time.dwHighDateTime;
    // 100-nanosecond steps since 1601 -> seconds since 1970, milliseconds kept.
    const unsigned long long since_1970 = (value.QuadPart - 116444736000000000ULL) / 10000ULL;
    return double(since_1970 / 1000) + double(since_1970 % 1000) * 0.001;
}

Tlocal_time local_time() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

// The C run-time splits the command line before it runs any start-up function.
char** program_arguments(int& argc) {
    argc = __argv ? __argc : 0;
    return __argv;
}

std::string host_name() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 0), &data) != 0)
        return "";
    char       name[256] = {};
    const bool found     = gethostname(name, 255) == 0;
    WSACleanup();
    return found ? std::string(name) : std::string();
}

std::string program_version() {
    char path[MAX_PATH + 1] = {};
    if (GetModuleFileNameA(nullptr, path, MAX_PATH) == 0)
        return "";
    DWORD       handle = 0;
    const DWORD size   = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return "";
    std::string block(size, '\0');
    if (!GetFileVersionInfoA(path, 0, size, block.data()))
        return "";
    void* value   = nullptr;
    UINT  length  = 0;
    char  query[] = "\\StringFileInfo\\040904b0\\FileVersion";
    if (!VerQueryValueA(block.data(), query, &value, &length) || length == 0)
        return "";
    return std::string(static_cast<const char*>(value));
}

int make_directory(const char* path) {
    if (CreateDirectoryA(path, nullptr))
        return 1;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int file_is_writable(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? 1 : 0;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) ? 0 : 1;
}

Tfile_kind file_kind(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FILE_MISSING;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) ? FILE_OTHER : FILE_REGULAR;
}

namespace {

// The directory part of a path, without its final separator ("." for the current directory).
std::string directory_of(const char* path) {
    const char* slash     = strrchr(path, '/');
    const char* backslash = strrchr(path, '\\');
    if (backslash && (!slash || backslash > slash))
        slash = backslash;
    return slash ? std::string(path, size_t(slash - path)) : std::string(".");
}

// GetTempFileName's naming with the prefix below: "brk", one to four hexadecimal digits, ".tmp".
constexpr const char* TEMP_PREFIX = "brk";

bool is_temp_name(const char* name) {
    const size_t length = strlen(name);
    if (length < 8 || length > 11 || _strnicmp(name, TEMP_PREFIX, 3) != 0
        || _stricmp(name + length - 4, ".tmp") != 0)
        return false;
    for (size_t i = 3; i < length - 4; ++i)
        if (!isxdigit(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

bool is_stale(const FILETIME& written) {
    FILETIME now_time;
    GetSystemTimeAsFileTime(&now_time);
    ULARGE_INTEGER now, then;
    now.LowPart   = now_time.dwLowDateTime;
    now.HighPart  = now_time.dwHighDateTime;
    then.LowPart  = written.dwLowDateTime;
    then.HighPart = written.dwHighDateTime;
    // 100-nanosecond steps.
    return then.QuadPart + ULONGLONG(STALE_TEMP_SECONDS) * 10000000ULL <= now.QuadPart;
}

} // namespace

// The temporary names are not tied to the file rewritten: every stale one of the directory goes.
std::vector<std::string> remove_stale_temp_files(const char* path) {
    std::vector<std::string> removed;
    const std::string        directory = directory_of(path);
    WIN32_FIND_DATAA         entry;
    const HANDLE             search = FindFirstFileA((directory + "\\brk*.tmp").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return removed;
    do {
        const std::string full = directory + "\\" + entry.cFileName;
        if (!(entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            && is_temp_name(entry.cFileName) && is_stale(entry.ftLastWriteTime) && DeleteFileA(full.c_str()))
            removed.push_back(full);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return removed;
}

int remove_if_stale(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)
        || (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
        || !is_stale(data.ftLastWriteTime))
        return 0;
    return DeleteFileA(path) ? 1 : 0;
}

FILE* create_temp_file_near(const char* near_path, std::string& temp_name) {
    // Same directory, so that the final move stays on one volume.
    remove_stale_temp_files(near_path);
    const std::string directory          = directory_of(near_path);
    char              name[MAX_PATH + 1] = {};
    if (GetTempFileNameA(directory.c_str(), TEMP_PREFIX, 0, name) == 0)
        return nullptr;
    FILE* file = fopen(name, "w");
    if (!file) {
        DeleteFileA(name);
        return nullptr;
    }
    temp_name = name;
    return file;
}

int sync_file(FILE* file) {
    if (fflush(file) != 0)
        return 0;
    return _commit(_fileno(file)) == 0 ? 1 : 0;
}

int replace_file(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 1 : 0;
}

int remove_file(const char* path) { return DeleteFileA(path) ? 1 : 0; }

// --- Ticker -----------------------------------------------------------------------------------

namespace {

HANDLE                ticker_thread = nullptr;
HANDLE                ticker_stop   = nullptr;
HANDLE                ticker_wake   = nullptr;
std::atomic<uint8_t>* ticker_tick   = nullptr;
std::atomic<int>*     ticker_period = nullptr;

DWORD WINAPI ticker_main(LPVOID) {
    for (;;) {
        ticker_tick->store(1, std::memory_order_relaxed);
        // Sleeps the period, but wakes at once when asked to stop, so quitting never waits, or
        // to start a new period.
        const DWORD  milliseconds = DWORD(ticker_period->load(std::memory_order_relaxed));
        const HANDLE events[2]    = {ticker_stop, ticker_wake};
        const DWORD  woken        = WaitForMultipleObjects(2, events, FALSE, milliseconds);
        if (woken != WAIT_TIMEOUT && woken != WAIT_OBJECT_0 + 1)
            return 0;
    }
}

} // namespace

int start_ticker(std::atomic<uint8_t>& tick, std::atomic<int>& period) {
    if (ticker_thread)
        return 1;
    ticker_tick   = &tick;
    ticker_period = &period;
    ticker_stop   = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ticker_wake   = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!ticker_stop || !ticker_wake)
        return 0;
    ticker_thread = CreateThread(nullptr, 0, ticker_main, nullptr, 0, nullptr);
    return ticker_thread ? 1 : 0;
}

void wake_ticker() {
    if (ticker_thread)
        SetEvent(ticker_wake);
}

void stop_ticker() {
    if (!ticker_thread)
        return;
    SetEvent(ticker_stop);
    // The thread holds nothing, so if it does not answer it can be cut off.
    if (WaitForSingleObject(ticker_thread, 2000) != WAIT_OBJECT_0)
        TerminateThread(ticker_thread, 0);
    CloseHandle(ticker_thread);
    CloseHandle(ticker_stop);
    CloseHandle(ticker_wake);
    ticker_thread = nullptr;
    ticker_stop   = nullptr;
    ticker_wake   = nullptr;
}

// --- Signals ----------------------------------------------------------------------------------

namespace {
int signal_number(Tsignal which) { return which == SIGNAL_INTERRUPT ? SIGINT : SIGTERM; }
} // namespace

void set_signal_handler(Tsignal which, Tsignal_handler handler) { signal(signal_number(which), handler); }

void ignore_signal(Tsignal which) { signal(signal_number(which), SIG_IGN); }

} // namespace platform
