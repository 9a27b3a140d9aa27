#include "support/ProgramFolder.h"

namespace morvik::test {

std::vector<LoggedError> LoggedErrors(const ErrorLog& log) {
    std::vector<LoggedError> errors;
    if (!std::filesystem::exists(log.File())) return errors;
    for (const std::string& line : CrLfLines(log.File())) {
        // "date - time # number - description - procedure"
        const std::size_t hash = line.find(" # ");
        const std::size_t afterNumber = line.find(" - ", hash);
        errors.push_back({std::stoi(line.substr(hash + 3, afterNumber - hash - 3)),
                          line.substr(afterNumber + 3)});
    }
    return errors;
}

::testing::AssertionResult Logged(const ErrorLog& log, const std::vector<std::string>& procedures) {
    const auto errors = LoggedErrors(log);
    bool same = errors.size() == procedures.size();
    for (std::size_t i = 0; same && i < errors.size(); ++i) {
        same = errors[i].loggedUnder(procedures[i]);
    }
    if (same) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << "the log holds:";
    for (const auto& e : errors) failure << "\n  " << e.number << " - " << e.text;
    return failure;
}

}  // namespace morvik::test
