#pragma once

#include <string>

namespace morvik {

// The platform's folder chooser: only real folders can be confirmed, nothing is preselected.
// Returns the full path without a trailing separator, or "" when the operator cancelled.
class FolderPicker {
  public:
    virtual ~FolderPicker() = default;
    virtual std::string BrowseForFolder(const std::string& title) = 0;
};

}  // namespace morvik
