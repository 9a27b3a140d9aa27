#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvik {

// Whether a file name marks a request: its last three characters equal the suffix, letter
// case ignored. A suffix of another length matches no name of usual length.
bool IsRequestName(std::string_view fileName, std::string_view suffix);

// Every request file of the folder in name order, letter case aside (not its subfolders), each as
// the folder text, the separator and the file name. `beforeEach` runs before each file is
// examined (the window system gets its turn). An entry with a request name that is no plain file
// (a link, a folder) is never taken; `skipped` hears of each. Throws AppError when the folder
// cannot be listed.
std::vector<std::string> FindRequests(
    std::string_view folder, std::string_view suffix, const std::function<void()>& beforeEach,
    const std::function<void(const std::string& name)>& skipped = {});

// The first of FindRequests; nullopt when there is none.
std::optional<std::string> FindRequest(
    std::string_view folder, std::string_view suffix, const std::function<void()>& beforeEach,
    const std::function<void(const std::string& name)>& skipped = {});

}  // namespace morvik
