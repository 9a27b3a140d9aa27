#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/BodyPartEntry.h"
#include "platform/FileSystem.h"

namespace morvik {

class ErrorLog;

// How the imaging side wants its orders: which vendor lines, whether an accession number goes
// with each order, which GDT field carries the comment, and where the order files go.
struct OrderFormat {
    bool konica = false;
    bool factory = false;
    bool carestream = false;
    bool accession = false;
    std::string accessionPrefix;
    std::string commentField = "6227";
    std::string targetFolder;
};

// What the operator chose for an order, besides the body parts.
struct OrderChoice {
    std::string modality;  // caption of the checked modality button
    std::string comment;
    std::string initials;
};

// The lines an order adds after the request text (ANSI bytes):
// 8402 modality; the vendor lines of the first switch set among Konica (8751 abbreviation),
// Factory (8750 factory code) and Carestream (8751 name, 8750 factory code); 6227 and 5015 with
// the name; 4100 with prefix and accession number (its counter text, 0000042) when accession
// numbers are on; the comment under the comment field; 8315 with the initials. Empty contents
// give no line. Throws AppError when a number is needed and `accessionNumber` is empty: an
// order never carries the prefix alone.
std::string BuildOrderLines(const OrderFormat& format, std::string_view accessionNumber,
                            const OrderChoice& choice, const BodyPartEntry& bodyPart);

// The lines of an order without body parts: 8402, the comment line and 8315. No accession
// number, whatever the format says.
std::string BuildScanLines(const OrderFormat& format, const OrderChoice& choice);

// One order file (request text followed by the order's lines) written completely under a
// temporary name in the target folder. Its final name is the folder, the separator, a fresh
// GUID and ".gdt"; it gets that name only when the caller commits it, so a confirmation can
// place all its files or none. Its bytes are waited for on the disk by the caller's Flush() (or
// Commit()), so that several files are written at once. A failure is logged under "WriteGDT" or
// "WriteGDTScan" and reported as nullopt.
std::optional<StagedFile> WriteGDT(const OrderFormat& format, ErrorLog& log,
                                   std::string_view gdtText, const OrderChoice& choice,
                                   const BodyPartEntry& bodyPart, std::string_view accessionNumber);
std::optional<StagedFile> WriteGDTScan(const OrderFormat& format, ErrorLog& log,
                                       std::string_view gdtText, const OrderChoice& choice);

}  // namespace morvik
