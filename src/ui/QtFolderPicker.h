#pragma once

#include "base/FolderPicker.h"

namespace morvik {

// Qt's directory chooser over the active window.
class QtFolderPicker final : public FolderPicker {
  public:
    std::string BrowseForFolder(const std::string& title) override;
};

}  // namespace morvik
