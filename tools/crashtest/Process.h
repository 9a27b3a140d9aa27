#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace morvik::crashtest {

// A child process running one start-up of the program, as a workstation would. The POSIX form
// forks; a Windows form would start the test program again with the child's plan.
class ChildProcess {
  public:
    enum class End { Exited, Killed, Stopped };
    struct Result {
        End end = End::Exited;
        int status = 0;  // the exit status when it exited
    };

    // Runs `body` in a new process; the body ends the process itself.
    explicit ChildProcess(const std::function<void()>& body);
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
};

// Appends `bytes` to `file` in one write: a process killed around it leaves all or nothing.
void AppendAtOnce(const std::filesystem::path& file, const std::string& bytes);

}  // namespace morvik::crashtest
