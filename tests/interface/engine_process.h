// The real engine as a child process in a directory of its own, talked to through pipes, as a
// graphical interface would.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A fresh directory under the system's temporary directory, removed with its content.
class Ttemp_dir {
  public:
    Ttemp_dir();
    ~Ttemp_dir();
    const std::string& path() const { return dir; }
    std::string        file(const std::string& name) const { return dir + "/" + name; }

  private:
    std::string dir;
};

// Seconds on a steady clock, for time limits.
double      seconds_now();
std::string read_file(const std::string& path);
void        write_file(const std::string& path, const std::string& content);
bool        file_exists(const std::string& path);
// Names of the entries of a directory, sorted.
std::vector<std::string> list_dir(const std::string& path);

// A settings file that lets the engine start: every key at its default and DEBUG_TEST set.
std::string default_settings(const std::string& debug_test = "yes");

class Tengine_process {
  public:
    // With a memory limit, the engine cannot have more than that many megabytes at once.
    explicit Tengine_process(const std::string& work_dir, const std::vector<std::string>& args = {},
                             int memory_limit_mb = 0);
    ~Tengine_process();
    Tengine_process(const Tengine_process&)            = delete;
    Tengine_process& operator=(const Tengine_process&) = delete;

    // Writes raw bytes to the engine's standard input; false when the engine no longer reads.
    bool send(const std::string& bytes);
    void close_input();

    // Collects standard output until it holds `text` (looking past `from`) or the time is up.
    bool wait_for(const std::string& text, double seconds = 10, size_t from = 0);
    // Standard output (and error) seen so far.
    const std::string& output();
    const std::string& errors();
    // Waits for the end of the process; its exit code, or -1 after the time (it is then killed).
    int wait_exit(double seconds = 10);
    // For sending signals.
    pid_t process_id() const { return pid; }

  private:
    void collect(double seconds);

    pid_t       pid       = -1;
    int         to_child  = -1;
    int         out_pipe  = -1;
    int         err_pipe  = -1;
    int         exit_code = -2;
    std::string out_text;
    std::string err_text;
};
