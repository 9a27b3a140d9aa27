#pragma once

// POSIX only: a confirmation run in a child process that is killed (SIGKILL) the at-th time it
// reaches a step, as a crash at that instant would leave it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <ostream>

#include "app/Confirmation.h"

namespace morvik::test {

struct StepKill {
    ConfirmStep step;
    int at;          // the at-th time the step is reached
    bool completed;  // what the next start is to make of it: completed, or taken back
};

inline void PrintTo(const StepKill& k, std::ostream* os) {
    *os << "step " << static_cast<int>(k.step) << " #" << k.at;
}

// Runs `work` in a child killed at `kill`; true when the child died by the kill.
inline bool RunKilledAt(const StepKill& kill, const std::function<void()>& work) {
    static StepKill killAt;
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        killAt = kill;
        SetStepHook([](ConfirmStep step) {
            if (step == killAt.step && --killAt.at == 0) ::kill(::getpid(), SIGKILL);
        });
        work();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status);
}

}  // namespace morvik::test
