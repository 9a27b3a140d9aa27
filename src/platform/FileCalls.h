#pragma once

#include <atomic>
#include <filesystem>

namespace morvik {

// Every call that changes a file or a folder on the way of a confirmation and of the start-up
// that settles one passes through here. Nothing is set in the program; the crash test sets a
// hook to make one call fail (as a full disk or a dropped share would) and to record what was
// done since the last flush, from which it builds what a power cut would leave.
enum class FileCall {
    Create,           // a new file: `path`
    Write,            // bytes into `path`
    Truncate,         // `path` cut to a size
    Flush,            // `path`'s bytes made durable
    FlushFolder,      // the creations, renames and deletions in folder `path` made durable
    Rename,           // `path` to `other`, replacing
    RenameNoReplace,  // `path` to `other`; failing it with EINVAL forces the link+unlink way
    Link,             // `other` as a second name of `path`
    Remove,           // the name `path`
    Look,             // whether anything is at `path`
    Read,             // bytes read from `path`
    LockTest,         // a look whether another holder has `path`'s lock (see kLockNotSeen)
};

// What a hook may answer for FileCall::LockTest besides 0 and an errno value: the lock is taken
// without asking anybody, as on a share mounted without locking (nolock, nobrl), where another
// workstation's lock is never seen.
inline constexpr int kLockNotSeen = -1;

class FileCallHook {
  public:
    virtual ~FileCallHook() = default;
    // Before the call: 0 lets it run; an errno value makes it fail with that error instead.
    virtual int Before(FileCall call, const std::filesystem::path& path,
                       const std::filesystem::path& other) = 0;
    // After the call succeeded. A hook may throw here to report a call that was done as failed
    // (the reply of a file server lost on the way).
    virtual void After(FileCall call, const std::filesystem::path& path,
                       const std::filesystem::path& other) = 0;
};

namespace detail {
extern std::atomic<FileCallHook*> fileCallHook;
}

void SetFileCallHook(FileCallHook* hook) noexcept;

// 0, or the errno value the call is to fail with. One relaxed load when no hook is set.
inline int BeforeFileCall(FileCall call, const std::filesystem::path& path,
                          const std::filesystem::path& other = {}) {
    FileCallHook* hook = detail::fileCallHook.load(std::memory_order_relaxed);
    return hook ? hook->Before(call, path, other) : 0;
}

inline void AfterFileCall(FileCall call, const std::filesystem::path& path,
                          const std::filesystem::path& other = {}) {
    if (FileCallHook* hook = detail::fileCallHook.load(std::memory_order_relaxed)) {
        hook->After(call, path, other);
    }
}

}  // namespace morvik
