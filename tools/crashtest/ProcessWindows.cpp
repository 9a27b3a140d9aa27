// Children as programs of their own (CreateProcessW with --child and the plan's file), ended by
// TerminateProcess, paused on an event of their own until the parent lets them go on.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "Process.h"
#include "platform/FileSystem.h"

namespace morvik::crashtest {

namespace {

// The exit code of a killed child, as SIGKILL is on POSIX: no program of ours ends with it.
constexpr UINT kKilled = 0xDEAD;

std::wstring eventName(DWORD process, const wchar_t* what) {
    return L"Local\\morvik-crashtest-" + std::to_wstring(process) + L"-" + what;
}

[[noreturn]] void failed(const char* what) {
    std::fprintf(stderr, "%s: Windows-Fehler %lu\n", what, GetLastError());
    std::exit(2);
}

}  // namespace

ChildProcess::ChildProcess(const ChildPlan& plan, const std::filesystem::path& planFile) {
    WriteFileAtomically(planFile, PlanText(plan));
    wchar_t self[MAX_PATH];
    if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) failed("GetModuleFileNameW");
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" --child \"" + planFile.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Suspended until its events exist, so that it cannot stop before the parent can see it.
    // Under Wine a child now and then dies while Wine itself starts it (ERROR_INTERNAL_ERROR,
    // before any code of ours ran); such a start is tried again, and said, rather than ending the
    // run.
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                           nullptr, &startup, &info)) {
            break;
        }
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 5) failed("CreateProcessW");
        std::fprintf(stderr, "CreateProcessW: Windows-Fehler %lu, Versuch %d von 5\n",
                     GetLastError(), attempt);
        std::this_thread::sleep_for(std::chrono::milliseconds(100 * attempt));
    }
    process_ = info.hProcess;
    id_ = static_cast<long>(info.dwProcessId);
    stopped_ = CreateEventW(nullptr, FALSE, FALSE, eventName(info.dwProcessId, L"stopped").c_str());
    resume_ = CreateEventW(nullptr, FALSE, FALSE, eventName(info.dwProcessId, L"resume").c_str());
    if (!stopped_ || !resume_) failed("CreateEventW");
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
}

ChildProcess::~ChildProcess() {
    for (void* h : {process_, stopped_, resume_}) {
        if (h) CloseHandle(h);
    }
}

void ChildProcess::KillAfter(int micros) {
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
    TerminateProcess(process_, kKilled);
}

ChildProcess::Result ChildProcess::Wait() {
    HANDLE both[] = {process_, stopped_};
    const DWORD which = WaitForMultipleObjects(2, both, FALSE, INFINITE);
    if (which == WAIT_OBJECT_0 + 1) return {End::Stopped, 0};
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    if (code == kKilled) return {End::Killed, 9};
    return {End::Exited, static_cast<int>(code)};
}

void ChildProcess::Continue() {
    SetEvent(resume_);
}

void ChildProcess::KillHere() {
    TerminateProcess(GetCurrentProcess(), kKilled);
    std::_Exit(9);
}

void ChildProcess::StopHere() {
    const DWORD self = GetCurrentProcessId();
    HANDLE stopped = OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName(self, L"stopped").c_str());
    HANDLE resume = OpenEventW(SYNCHRONIZE, FALSE, eventName(self, L"resume").c_str());
    if (!stopped || !resume) failed("OpenEventW");
    SetEvent(stopped);
    WaitForSingleObject(resume, INFINITE);
    CloseHandle(stopped);
    CloseHandle(resume);
}

void AppendAtOnce(const std::filesystem::path& file, const std::string& bytes) {
    HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

}  // namespace morvik::crashtest
