// In-process runs of the tools: a directory of their own, and a standard input that stays open
// and silent, since the search polls it and the end of input would end the process.
#pragma once

#include <cstdlib>
#include <unistd.h>

#include "interface/in_temp_dir.h"

class Ttool_test : public Tin_temp_dir {
  protected:
    void SetUp() override {
        Tin_temp_dir::SetUp();
        int fds[2];
        if (pipe(fds) != 0)
            abort();
        saved_stdin = dup(0);
        dup2(fds[0], 0);
        close(fds[0]);
        stdin_writer = fds[1];
    }
    void TearDown() override {
        close(stdin_writer);
        dup2(saved_stdin, 0);
        close(saved_stdin);
        Tin_temp_dir::TearDown();
    }

  private:
    int saved_stdin  = -1;
    int stdin_writer = -1;
};
