// Standard input replaced by a pipe for the life of the object. The search polls standard input
// at every tick and ends the process at the end of input: with the writing end kept open, the
// poll works as in a game and finds nothing, unless the test writes a line.
#pragma once

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

class Tstdin_pipe {
  public:
    Tstdin_pipe() {
        int fds[2];
        if (pipe(fds) != 0)
            abort();
        saved = dup(STDIN_FILENO);
        dup2(fds[0], STDIN_FILENO);
        close(fds[0]);
        writer = fds[1];
    }
    ~Tstdin_pipe() {
        close(writer);
        dup2(saved, STDIN_FILENO);
        close(saved);
    }
    Tstdin_pipe(const Tstdin_pipe&)            = delete;
    Tstdin_pipe& operator=(const Tstdin_pipe&) = delete;

    void send(const char* text) const { EXPECT_GT(write(writer, text, strlen(text)), 0); }

  private:
    int saved  = -1;
    int writer = -1;
};
