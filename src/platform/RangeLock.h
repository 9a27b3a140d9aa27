#pragma once

// POSIX only: the byte-range locks behind every "this file is mine" of the program.
#include <fcntl.h>

#include <cerrno>

namespace morvik {

enum class RangeLock { Shared, Exclusive };

// A lock on the whole file: open file description locks where the system has them (Linux), so
// that two opens in one process exclude each other as two processes do, otherwise classic
// fcntl locks. Unlike flock, both reach the file server on NFS and SMB. An exclusive lock needs
// the file open for writing, a shared one for reading. False with errno set when it is held
// elsewhere (EAGAIN, EACCES) or cannot be taken at all (ENOLCK on a share without locking).
inline bool LockRange(int fd, RangeLock kind, bool wait) {
    struct flock lock {};
    lock.l_type = kind == RangeLock::Exclusive ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
#ifdef F_OFD_SETLK
    for (;;) {
        if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) == 0) return true;
        if (errno == EINTR) continue;
        if (errno != EINVAL) return false;
        break;  // a kernel without them
    }
#endif
    for (;;) {
        if (::fcntl(fd, wait ? F_SETLKW : F_SETLK, &lock) == 0) return true;
        if (errno != EINTR) return false;
    }
}

}  // namespace morvik
