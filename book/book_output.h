// A book file being written: the records go to a fresh file beside the target, which takes the
// target's place only once complete. A failed build leaves the old book as it was, and a book
// may be rewritten from itself (fusion x x x).
#pragma once

#include <cstdio>
#include <string>

#include "book/book_record.h"

class Tbook_output {
  public:
    Tbook_output() = default;
    ~Tbook_output() { abandon(); }
    Tbook_output(const Tbook_output&)            = delete;
    Tbook_output& operator=(const Tbook_output&) = delete;

    // Creates the file beside `target`; 0 (with the open-failure message) when that cannot be.
    int open(const char* target);
    int write(const Tbook_record& record);
    // Puts the written file in the place of the target; 0 on failure (the target is untouched).
    // A scratch file (a step of a longer build) is not forced to the disk first.
    int commit(bool scratch = false);
    // Forgets the written file; the target is untouched.
    void abandon();

    long long records_written() const { return count; }

  private:
    FILE*       file = nullptr;
    std::string target_name;
    std::string temp_name;
    long long   count  = 0;
    bool        failed = false;
};

// "Impossible d'ouvrir le fichier %s !": the message of every file that cannot be opened.
void report_open_failure(const char* file_name);
