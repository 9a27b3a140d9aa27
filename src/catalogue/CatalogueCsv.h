#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CatalogueTable.h"

namespace morvik {

// The catalogue as a UTF-8 CSV file that a practice can keep in a spreadsheet: a header row
// naming the columns ID, f_Name, f_Show, f_Konica and f_Factory (any order, further columns
// ignored), then one row per body part. Fields follow RFC 4180 quoting. Comma and semicolon
// separators are both read (German spreadsheets write semicolons); a UTF-8 byte order mark is
// skipped. A file without the mark that is not valid UTF-8 is read as Windows-1252, the form
// German Excel saves as "CSV (Trennzeichen-getrennt)".

// A file that cannot be imported. The message is German and names the line of the file.
class CatalogueCsvError : public std::runtime_error {
  public:
    CatalogueCsvError(int line, const std::string& message);
    int Line() const { return line_; }

  private:
    int line_;
};

// Reads and checks the whole file, given as the bytes read: every column present, IDs whole
// numbers and unique, names not empty, f_Show a yes/no value (1/0, -1, Ja/Nein, Yes/No, True/False,
// Wahr/Falsch), no line breaks inside a value. Throws CatalogueCsvError at the first fault.
std::vector<CatalogueRow> ParseCatalogueCsv(std::string_view text);

// The rows as CSV with header, comma separated, CR LF line ends, f_Show written as 1 or 0.
std::string FormatCatalogueCsv(const std::vector<CatalogueRow>& rows);

}  // namespace morvik
