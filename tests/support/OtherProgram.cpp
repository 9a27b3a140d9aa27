#include "support/OtherProgram.h"

#include <windows.h>

#include <stdexcept>

namespace morvik::test {

OtherProgram::OtherProgram(const std::wstring& arguments) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::filesystem::path program =
        std::filesystem::path(self).parent_path() / L"morvik_other_program.exe";
    std::wstring command = L"\"" + program.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        throw std::runtime_error("CreateProcessW: " + std::to_string(GetLastError()));
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
}

OtherProgram::~OtherProgram() {
    TerminateProcess(process_, 1);
    CloseHandle(process_);
}

unsigned long OtherProgram::ExitCode() {
    WaitForSingleObject(process_, 60000);
    DWORD code = 1;
    GetExitCodeProcess(process_, &code);
    return code;
}

std::wstring UniqueEventName(const wchar_t* what) {
    static int count = 0;
    return L"Local\\morvik-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++count) + L"-" + what;
}

std::unique_ptr<OtherProgram> HoldElsewhere(const std::filesystem::path& file, int millis) {
    const std::wstring name = UniqueEventName(L"held");
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    auto other = std::make_unique<OtherProgram>(L"hold \"" + file.wstring() + L"\" " +
                                                std::to_wstring(millis) + L" " + name);
    const DWORD waited = WaitForSingleObject(ready, 60000);
    CloseHandle(ready);
    if (waited != WAIT_OBJECT_0) throw std::runtime_error("the other program never held the file");
    return other;
}

}  // namespace morvik::test
