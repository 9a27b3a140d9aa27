#pragma once

#include <filesystem>
#include <vector>

#include "catalogue/CatalogueTable.h"
#include "catalogue/JetTable.h"

namespace morvik {

// tblBodypart of a Jet Bodypart.mdb as the catalogue's rows: ID, f_Name, f_Show, f_Konica and
// f_Factory of every row, in the file's order; further columns are ignored and a Null text
// reads as empty. Refused with AppError and its reason: a file that cannot be read
// (err::JetUnreadable, or a file error), the table or one of the five columns missing or of
// another type (err::JetTableMissing, err::JetColumnMissing), a row without an ID or with an ID
// an earlier row had (err::JetRowRefused), no Jet support in this build (err::JetUnsupported).
std::vector<CatalogueRow> ReadJetCatalogue(const std::filesystem::path& file);

}  // namespace morvik
