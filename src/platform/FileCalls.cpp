#include "platform/FileCalls.h"

#include <mutex>
#include <string>

#include "platform/OwnedFile.h"

namespace morvik {

namespace detail {
std::atomic<FileCallHook*> fileCallHook{nullptr};
}

void SetFileCallHook(FileCallHook* hook) noexcept {
    detail::fileCallHook.store(hook);
}

std::string SystemWorkstationName();

namespace {
std::mutex workstationMutex;
std::string workstationForTest;
}  // namespace

void SetWorkstationNameForTest(std::string name) {
    std::lock_guard<std::mutex> lock(workstationMutex);
    workstationForTest = std::move(name);
}

std::string WorkstationName() {
    {
        std::lock_guard<std::mutex> lock(workstationMutex);
        if (!workstationForTest.empty()) return workstationForTest;
    }
    return SystemWorkstationName();
}

}  // namespace morvik
