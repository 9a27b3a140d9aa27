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
template <class Body>
bool trap(ErrorLog& log, std::string_view procedure, Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        LogCurrentException(log, procedure);
        return false;
    }
}

}  // namespace morvik
