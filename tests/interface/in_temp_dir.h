// In-process tests run in a directory of their own, with a fresh log, so that the engine's
// files (brelok.ini, log/) land there and not in the build tree.
#pragma once

#include <filesystem>
#include <gtest/gtest.h>

#include "base/config.h"
#include "base/console.h"
#include "engine_process.h"
#include "stdin_pipe.h"

class Tin_temp_dir : public ::testing::Test {
  protected:
    void SetUp() override {
        old_dir = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        fresh_log();
        config.log_on     = 1;
        config.ENABLE_LOG = 1;
    }
    void TearDown() override {
        fresh_log();
        std::filesystem::current_path(old_dir);
    }
    static void fresh_log() {
        console.log_name.clear();
        console.log_pending[0] = '\0';
    }
    std::string only_log() const {
        const std::vector<std::string> names = list_dir(dir.file("log"));
        return names.size() == 1 ? read_file(dir.file("log/" + names[0])) : "<no single log>";
    }

    Ttemp_dir             dir;
    std::filesystem::path old_dir;
};

// In-process runs of the tools, whose searches poll a standard input that must stay open and silent.
class Ttool_test : public Tin_temp_dir {
    Tstdin_pipe input;
};
