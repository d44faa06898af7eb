// Puts variables back as they were when the object dies: settings and run-time fields a test
// changes must not reach the next test run in the same process.
#pragma once

#include <functional>
#include <vector>

class Tkeep {
  public:
    template <typename... T> explicit Tkeep(T&... values) {
        (undo.push_back([&values, saved = values] { values = saved; }), ...);
    }
    ~Tkeep() {
        for (auto it = undo.rbegin(); it != undo.rend(); ++it)
            (*it)();
    }
    Tkeep(const Tkeep&)            = delete;
    Tkeep& operator=(const Tkeep&) = delete;

  private:
    std::vector<std::function<void()>> undo;
};
