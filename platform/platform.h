// The one door to the operating system. Everything the engine needs from it (standard input
// without blocking, the ticker thread, clocks, host name, file version, directories, signals,
// safe file replacement) is declared here; platform_posix.cpp and platform_win32.cpp implement
// it, and no other file includes an OS header.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// --- Standard streams -------------------------------------------------------------------------

// Standard input and output without stdio buffering: each message must reach the interface at
// once, and input must be read only through read_stdin so nothing hides in a stdio buffer. A
// vanished reader of standard output must not kill the process (no SIGPIPE).
void prepare_std_streams();

// 1 when a read of standard input would not block (data, end of input or an error pending).
// Cheap: the search calls it at every tick.
int stdin_ready();

// Up to `size` bytes of standard input, waiting until there is at least one (a read restarted
// when a signal interrupts it). Returns the byte count, 0 at end of input, -1 on error.
long read_stdin(char* buffer, long size);

// --- Time ------------------------------------------------------------------------------------

// Calendar time in seconds with millisecond resolution.
double wall_clock();

struct Tlocal_time {
    int year;   // e.g. 2024
    int month;  // 1..12
    int day;    // 1..31
    int hour;   // 0..23
    int minute; // 0..59
    int second; // 0..60
};
Tlocal_time local_time();

// --- Command line ----------------------------------------------------------------------------

// The program's arguments as main gets them (the program name first), readable before main:
// kept for the answers given before the global objects are built. argc is 0 when there are none.
char** program_arguments(int& argc);

// --- Identity ---------------------------------------------------------------------------------

// The host name, "" when it cannot be had.
std::string host_name();
// The program's file version: the build's project version on POSIX, the FileVersion of the
// executable's version resource on Windows; "" when there is none.
std::string program_version();

// --- Files ------------------------------------------------------------------------------------

// Creates a directory; an existing directory counts as success. 1 on success, 0 otherwise.
int make_directory(const char* path);

// 0 when the file exists and is marked read-only (no write permission bit at all), or cannot be
// opened for writing; 1 otherwise (a missing file in a writable place counts as writable).
// Root ignores permission bits, so a file whose owner made it read-only is honoured explicitly.
int file_is_writable(const char* path);

// What a path names (through links). Only a regular file can be read without blocking or
// surprises: a directory, a device or a pipe is something else.
enum Tfile_kind { FILE_MISSING, FILE_REGULAR, FILE_OTHER };
Tfile_kind file_kind(const char* path);

// The write-beside-and-rename routine. A file reached through a symbolic link is rewritten where
// the link leads, and the link stays (on POSIX systems; Windows replaces the link itself).

// Creates a new, uniquely named file beside `near_path` (beside where it leads), opened for
// writing in text mode; its name goes to `temp_name`. nullptr on failure. Files of the same
// naming left there by a rewrite that was killed, and stale by now, are removed first.
FILE* create_temp_file_near(const char* near_path, std::string& temp_name);

// A temporary file nobody has written to for this long was left by a killed rewrite; a younger
// one may belong to another engine at work in the same directory.
constexpr int STALE_TEMP_SECONDS = 600;
// Removes the stale files that create_temp_file_near(path) would have made, and only those;
// returns their names.
std::vector<std::string> remove_stale_temp_files(const char* path);
// Removes `path` when it is a stale regular file; 1 when removed.
int remove_if_stale(const char* path);

// Flushes the stream and asks the system to put its data on disk. 1 on success.
int sync_file(FILE* file);

// Puts `from` in the place of `to` (of where it leads) in one step; `to` keeps its old
// permissions when it existed. 1 on success, 0 otherwise (then `from` still exists).
int replace_file(const char* from, const char* to);

// Removes a file; 1 on success.
int remove_file(const char* path);

// --- Threads ----------------------------------------------------------------------------------

// Starts the ticker: a thread that sets `tick` to 1, then sleeps `period` milliseconds (read
// again at every turn), forever. 1 when the thread runs.
int start_ticker(std::atomic<uint8_t>& tick, std::atomic<int>& period);
// Starts a new period at once, so that a shorter period just set takes effect now rather than
// after the rest of the old one; the ticker ticks at once, then after the new period.
void wake_ticker();
// Stops the ticker thread, if running, and waits for it.
void stop_ticker();

// --- Signals ----------------------------------------------------------------------------------

enum Tsignal { SIGNAL_INTERRUPT, SIGNAL_TERMINATE };
using Tsignal_handler = void (*)(int);
void set_signal_handler(Tsignal which, Tsignal_handler handler);
void ignore_signal(Tsignal which);

} // namespace platform
