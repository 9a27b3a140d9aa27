#pragma once

#include <filesystem>
#include <string>

#include "Child.h"

namespace morvik::crashtest {

// A child process running one start-up of the program, as a workstation would. The POSIX form
// forks; the Windows form starts the test program again with the child's plan (--child FILE).
class ChildProcess {
  public:
    enum class End { Exited, Killed, Stopped };
    struct Result {
        End end = End::Exited;
        int status = 0;  // the exit status when it exited
    };

    // Runs RunChild(plan) in a new process. `planFile` is where the Windows form leaves the plan
    // for the new process to read.
    ChildProcess(const ChildPlan& plan, const std::filesystem::path& planFile);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Kills it after `micros` microseconds (if it still runs).
    void KillAfter(int micros);
    // Waits until it exits, is killed, or stops itself (StopHere).
    Result Wait();
    void Continue();

    // In the child: kill or stop the own process at once.
    [[noreturn]] static void KillHere();
    static void StopHere();

  private:
    long id_ = 0;
    void* process_ = nullptr;  // Windows: the process and the events of StopHere and Continue
    void* stopped_ = nullptr;
    void* resume_ = nullptr;
};

// Whether this system renames without replacing only in a way a test can refuse (POSIX, whose
// link+unlink fallback the test forces); Windows always has MoveFileExW without replacing.
#ifdef _WIN32
inline constexpr bool kRenameFallbackExists = false;
#else
inline constexpr bool kRenameFallbackExists = true;
#endif

// Appends `bytes` to `file` in one write: a process killed around it leaves all or nothing.
void AppendAtOnce(const std::filesystem::path& file, const std::string& bytes);

}  // namespace morvik::crashtest
