// Windows side of the platform layer.
#include "platform/platform.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <winsock2.h>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

namespace platform {

void prepare_std_streams() {
    setvbuf(stdin, nullptr, _IONBF, 0);
    setvbuf(stdout, nullptr, _IONBF, 0);
    // Input bytes as sent, as on POSIX: a carriage return stays in the line (the word splitter
    // treats it as white space), and a stray Ctrl-Z in piped input is not an end of input.
    _setmode(0, _O_BINARY);
}

namespace {

enum class Tinput_kind { UNKNOWN, PIPE, CONSOLE };
Tinput_kind input_kind   = Tinput_kind::UNKNOWN;
HANDLE      input_handle = nullptr;

void detect_input_kind() {
    input_handle = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode   = 0;
    if (!GetConsoleMode(input_handle, &mode)) {
        input_kind = Tinput_kind::PIPE;
        return;
    }
    input_kind = Tinput_kind::CONSOLE;
    // Mouse and window events would count as pending input without giving a byte to read.
    SetConsoleMode(input_handle, mode & ~(ENABLE_MOUSE_INPUT | ENABLE_WINDOW_INPUT));
    FlushConsoleInputBuffer(input_handle);
}

} // namespace

int stdin_ready() {
    if (input_kind == Tinput_kind::UNKNOWN)
        detect_input_kind();
    if (input_kind == Tinput_kind::PIPE) {
        DWORD available = 0;
        if (!PeekNamedPipe(input_handle, nullptr, 0, nullptr, &available, nullptr))
            return 1; // a closed pipe or a plain file: the read will tell
        return available > 0 ? 1 : 0;
    }
    DWORD events = 0;
    GetNumberOfConsoleInputEvents(input_handle, &events);
    return events > 1 ? 1 : 0;
}

long read_stdin(char* buffer, long size) {
    for (;;) {
        const int count = _read(0, buffer, unsigned(size));
        if (count >= 0)
            return count;
        if (errno != EINTR)
            return -1;
    }
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

std::string host_name() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 0), &data) != 0)
        return "";
    char name[256] = {};
    const bool found = gethostname(name, 255) == 0;
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
    void* value  = nullptr;
    UINT  length = 0;
    char  query[] = "\\StringFileInfo\\040904b0\\FileVersion";
    if (!VerQueryValueA(block.data(), query, &value, &length) || length == 0)
        return "";
    return std::string(static_cast<const char*>(value));
}

int make_directory(const char* path) {
    if (CreateDirectoryA(path, nullptr))
        return 1;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1
                                                                                              : 0;
}

int file_is_writable(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? 1 : 0;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) ? 0 : 1;
}

FILE* create_temp_file_near(const char* near_path, std::string& temp_name) {
    // Same directory, so that the final move stays on one volume.
    const char* slash     = strrchr(near_path, '/');
    const char* backslash = strrchr(near_path, '\\');
    if (backslash && (!slash || backslash > slash))
        slash = backslash;
    const std::string directory =
        slash ? std::string(near_path, size_t(slash - near_path)) : std::string(".");
    char name[MAX_PATH + 1] = {};
    if (GetTempFileNameA(directory.c_str(), "brk", 0, name) == 0)
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
std::atomic<uint8_t>* ticker_tick   = nullptr;
std::atomic<int>*     ticker_period = nullptr;

DWORD WINAPI ticker_main(LPVOID) {
    for (;;) {
        ticker_tick->store(1, std::memory_order_relaxed);
        // Sleeps the period, but wakes at once when asked to stop, so quitting never waits.
        const DWORD milliseconds = DWORD(ticker_period->load(std::memory_order_relaxed));
        if (WaitForSingleObject(ticker_stop, milliseconds) != WAIT_TIMEOUT)
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
    if (!ticker_stop)
        return 0;
    ticker_thread = CreateThread(nullptr, 0, ticker_main, nullptr, 0, nullptr);
    return ticker_thread ? 1 : 0;
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
    ticker_thread = nullptr;
    ticker_stop   = nullptr;
}

// --- Signals ----------------------------------------------------------------------------------

namespace {
int signal_number(Tsignal which) { return which == SIGNAL_INTERRUPT ? SIGINT : SIGTERM; }
} // namespace

void set_signal_handler(Tsignal which, Tsignal_handler handler) {
    signal(signal_number(which), handler);
}

void ignore_signal(Tsignal which) { signal(signal_number(which), SIG_IGN); }

} // namespace platform
