// Children by fork, ended by SIGKILL, paused by SIGSTOP.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "Process.h"

namespace morvik::crashtest {

ChildProcess::ChildProcess(const ChildPlan& plan, const std::filesystem::path&) {
    const pid_t pid = ::fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(2);
    }
    if (pid == 0) RunChild(plan);
    id_ = pid;
}

ChildProcess::~ChildProcess() = default;

void ChildProcess::KillAfter(int micros) {
    ::usleep(static_cast<useconds_t>(micros));
    ::kill(static_cast<pid_t>(id_), SIGKILL);
}

ChildProcess::Result ChildProcess::Wait() {
    int status = 0;
    ::waitpid(static_cast<pid_t>(id_), &status, WUNTRACED);
    if (WIFSTOPPED(status)) return {End::Stopped, 0};
    if (WIFSIGNALED(status)) return {End::Killed, WTERMSIG(status)};
    return {End::Exited, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

void ChildProcess::Continue() {
    ::kill(static_cast<pid_t>(id_), SIGCONT);
}

void ChildProcess::KillHere() {
    ::kill(::getpid(), SIGKILL);
    ::_exit(9);
}

void ChildProcess::StopHere() {
    ::raise(SIGSTOP);
}

void AppendAtOnce(const std::filesystem::path& file, const std::string& bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    (void)n;
    ::close(fd);
}

}  // namespace morvik::crashtest
