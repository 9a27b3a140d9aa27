#pragma once

#include <exception>
#include <string_view>
#include <utility>

#include "diag/ErrorLog.h"

namespace morvik {

// Logs the exception in flight under `procedure`. Call only from a catch block.
void LogCurrentException(ErrorLog& log, std::string_view procedure) noexcept;

// Runs `body`; if it throws, the failure is logged under the procedure's fixed name and
// false is returned. Nothing escapes: every event handler and main routine runs its body
// through here.
// Logs under `procedure` what the system noted on the way without failing (a folder it cannot
// flush, once a run), so that IT learns of it.
void LogSystemNotices(ErrorLog& log, std::string_view procedure) noexcept;

template <class Body>
bool trap(ErrorLog& log, std::string_view procedure, Body&& body) noexcept {
    bool done = true;
    try {
        std::forward<Body>(body)();
    } catch (...) {
        LogCurrentException(log, procedure);
        done = false;
    }
    LogSystemNotices(log, procedure);
    return done;
}

}  // namespace morvik
