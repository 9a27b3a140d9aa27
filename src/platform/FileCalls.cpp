#include "platform/FileCalls.h"

namespace morvik {

namespace detail {
std::atomic<FileCallHook*> fileCallHook{nullptr};
}

void SetFileCallHook(FileCallHook* hook) noexcept {
    detail::fileCallHook.store(hook);
}

}  // namespace morvik
