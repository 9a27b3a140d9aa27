#pragma once

#include <string>
#include <string_view>

#include "catalogue/BodyPartEntry.h"
#include "platform/FileSystem.h"

namespace morvik {

struct AppSettings;
class AccessionCounter;
class ErrorLog;

// What the operator chose for an order, besides the body parts.
struct OrderChoice {
    std::string modality;  // caption of the checked modality button
    std::string comment;
};

// The lines an order adds after the request text (ANSI bytes):
// 8402 modality; the vendor lines of the first switch set among Konica (8751 abbreviation),
// Factory (8750 factory code) and Carestream (8751 name, 8750 factory code); 6227 and 5015 with
// the name; 4100 with prefix and next accession number when Acc is set; the comment under
// CommentField; 8315 with the initials. Empty contents give no line.
// Throws AppError when an accession number is needed and cannot be issued: an order never
// carries a stale number or the prefix alone.
std::string BuildOrderLines(const AppSettings& settings, AccessionCounter& counter,
                            const OrderChoice& choice, const BodyPartEntry& bodyPart);

// The same with an accession number issued already (its counter text, 0000042); it is used
// only when Acc is set.
std::string BuildOrderLines(const AppSettings& settings, std::string_view accessionNumber,
                            const OrderChoice& choice, const BodyPartEntry& bodyPart);

// The lines of an order without body parts: 8402, the comment line and 8315. No accession
// number, whatever the switches say.
std::string BuildScanLines(const AppSettings& settings, const OrderChoice& choice);

// Puts one order file (request text followed by the order's lines) under a temporary name in
// the target folder GDTZiel. Its final name is the folder, the separator, a fresh GUID and
// ".gdt"; it gets that name only on commit(). Throws AppError.
StagedFile StageOrderFile(const AppSettings& settings, std::string_view gdtText,
                          std::string_view orderLines);

// Write one order file completely and put it in place. Failures are logged under "WriteGDT"
// or "WriteGDTScan" and reported by returning false; true means the file is in place.
bool WriteGDT(const AppSettings& settings, AccessionCounter& counter, ErrorLog& log,
              std::string_view gdtText, const OrderChoice& choice, const BodyPartEntry& bodyPart);
bool WriteGDTScan(const AppSettings& settings, ErrorLog& log, std::string_view gdtText,
                  const OrderChoice& choice);

}  // namespace morvik
