#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace morvik::test {

// Another program on Windows (tests/platform/OtherProgram.cpp, beside the test program), started
// with `arguments` and ended when the object goes.
class OtherProgram {
  public:
    explicit OtherProgram(const std::wstring& arguments);
    ~OtherProgram();
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;
    // Waits up to a minute for the program to end.
    unsigned long ExitCode();

  private:
    void* process_ = nullptr;
};

// A name for a Windows event of this test run.
std::wstring UniqueEventName(const wchar_t* what);

// `file` held by another program without delete sharing, as a virus scanner holds it, for
// `millis` ms from when this returns.
std::unique_ptr<OtherProgram> HoldElsewhere(const std::filesystem::path& file, int millis);

}  // namespace morvik::test
