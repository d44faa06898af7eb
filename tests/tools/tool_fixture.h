// In-process runs of the tools: a directory of their own, and a standard input that stays open
// and silent, since the search polls it and the end of input would end the process.
#pragma once

#include "interface/in_temp_dir.h"
#include "interface/stdin_pipe.h"

class Ttool_test : public Tin_temp_dir {
    Tstdin_pipe input;
};
