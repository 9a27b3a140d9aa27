#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/BodyPartEntry.h"
#include "gdt/RequestReader.h"
#include "platform/SystemClock.h"

namespace morvik {

// DICOM modality worklist items: what a modality (ultrasound, CT, MR, DR) gets when it asks a
// worklist server for today's work, so that nobody types a patient name twice. One item per
// order file, from the confirmed request and what the order adds.
//
// The items are served by DCMTK's `wlmscpfs` (and read by Orthanc's sample worklist plugin) from
// a folder in this layout:
//
//   <served folder>/<AE title>/<GUID>.wl   one item per file, a DICOM file (see below), named
//                                          like its order file ("<GUID>.gdt")
//   <served folder>/<AE title>/lockfile    an empty file; wlmscpfs locks it while it reads
//                                          the folder and answers nothing without it
//
// The setting "Ordner" is the AE title's folder. A modality calls the server with that AE title
// (wlmscpfs --data-files-path <served folder>) and is answered from the items in it; a name that
// does not end in ".wl" is not read, so an item staged under another name stays unseen until it is
// renamed. wlmscpfs needs
// --keep-char-set: by default it answers without the item's Specific Character Set, and a
// device would read the Latin-1 or UTF-8 names as ASCII.

// One entry of the scheduled protocol code sequence: a code, who defines it, what it means.
struct ProtocolCode {
    std::string value;
    std::string scheme;
    std::string meaning;

    bool operator==(const ProtocolCode&) const = default;
};

// The coding schemes of a body part's two codes. "99" starts a private scheme.
inline constexpr std::string_view kAbbreviationScheme = "99MORVIK";
inline constexpr std::string_view kFactoryCodeScheme = "99MORVIKFACTORY";

// One worklist item. Every text is UTF-8; an empty text is sent as an empty value.
struct WorklistItem {
    std::string surname;          // field 3101
    std::string firstName;        // field 3102
    std::string patientId;        // field 3000
    std::string birthDate;        // YYYYMMDD, empty when field 3103 holds no valid date
    std::string sex;              // "M", "F", "O" or empty
    std::string accessionNumber;  // field 4100 of the order, empty when numbers are off
    std::string studyInstanceUid;
    // Requested procedure: its ID (the accession number, or the UID's last digits without one),
    // the body part's name and the operator's comment.
    std::string requestedProcedureId;
    std::string requestedProcedureDescription;
    std::string requestedProcedureComments;
    // The scheduled procedure step.
    std::string modality;        // a DICOM modality code: CR, DX, US, CT, MR, MG, ...
    std::string stationAeTitle;  // the device that is to do it
    std::string startDate;       // YYYYMMDD
    std::string startTime;       // HHMMSS
    std::string stepId;          // as requestedProcedureId: one step per requested procedure
    std::string stepDescription;
    // A body part carries two codes, so a device can preselect its protocol by either: first the
    // abbreviation (scheme kAbbreviationScheme), then the vendor's factory code (scheme
    // kFactoryCodeScheme), each meaning the body part's name. A code that is empty is left out.
    std::vector<ProtocolCode> protocolCodes;

    bool operator==(const WorklistItem&) const = default;
};

// What an order adds to the request for its worklist item.
struct WorklistOrder {
    std::string accessionNumber;  // the content of the order's field 4100, empty without one
    BodyPartEntry bodyPart;       // empty for a modality ordered without body parts
    std::string modality;         // the DICOM modality code of the modality button
    std::string stationAeTitle;
    std::string comment;           // the operator's comment
    LocalTime moment;              // the confirmation, in local time
    std::string studyInstanceUid;  // from NewStudyInstanceUid()
};

// The item for one order file. The patient's name, ID, date of birth and sex come from the
// request; the date of birth goes as YYYYMMDD only when field 3103 is a real date (DDMMYYYY);
// the sex from field 3110: 1 or M is M, 2, W or F is F, anything else O, nothing empty. A step
// needs a description: without a body part it is the modality code, and so is the requested
// procedure's.
WorklistItem MakeWorklistItem(const PatientRequest& request, const WorklistOrder& order);

// A fresh Study Instance UID that needs no registered root: "2.25." and a new random UUID as one
// decimal number (at most 44 characters).
std::string NewStudyInstanceUid();

// Whether this build can encode worklist items (it was built with DCMTK).
bool WorklistAvailable();

// The item as a DICOM file (128-byte preamble, meta header, explicit VR little endian), as the
// bytes to be written; the caller stages and publishes them. Texts go as ISO_IR 100 (Latin-1)
// when every one of them fits, else as ISO_IR 192 (UTF-8); a value is cut to the length its kind
// allows. Throws AppError WorklistUnavailable in a build without DCMTK, WorklistEncoding when
// DCMTK fails (its data dictionary missing, for one).
std::string WorklistItemBytes(const WorklistItem& item);

}  // namespace morvik
