#include "support/FixedClock.h"

namespace morvik::test {

std::string FixedClock::date() {
    return date_;
}
std::string FixedClock::time() {
    return time_;
}

}  // namespace morvik::test
