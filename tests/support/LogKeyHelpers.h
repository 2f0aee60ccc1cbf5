// A machine without a log key, for one test and again after it: on POSIX a registry store of the
// test's own in a temp folder (TARNWICK_REGISTRY, given back afterwards), on Windows the key
// deleted from the machine (the run's Wine prefix).
#pragma once

#include <memory>

class FreshLogKeyScope {
public:
    FreshLogKeyScope();
    ~FreshLogKeyScope();
    FreshLogKeyScope(const FreshLogKeyScope&) = delete;
    FreshLogKeyScope& operator=(const FreshLogKeyScope&) = delete;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
