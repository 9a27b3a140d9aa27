#pragma once

#include <filesystem>
#include <vector>

#include "catalogue/CatalogueTable.h"

namespace morvik::test {

// Writes Bodypart.mdb with these rows into a program folder.
void MakeCatalogue(const std::filesystem::path& programFolder, const std::vector<CatalogueRow>& rows);

}  // namespace morvik::test
