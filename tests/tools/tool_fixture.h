// In-process runs of the tools: a directory of their own, and a standard input that stays open
// and silent, since the search polls it and the end of input would end the process.
#pragma once

#include <memory>

#include "interface/in_temp_dir.h"
#include "interface/stdin_pipe.h"

class Ttool_test : public Tin_temp_dir {
  protected:
    void SetUp() override {
        Tin_temp_dir::SetUp();
        input = std::make_unique<Tstdin_pipe>();
    }
    void TearDown() override {
        input.reset();
        Tin_temp_dir::TearDown();
    }

  private:
    std::unique_ptr<Tstdin_pipe> input;
};
