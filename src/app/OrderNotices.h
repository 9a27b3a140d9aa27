#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/OrderTransaction.h"
#include "gdt/RequestReader.h"

namespace morvik {

// The patient of a request: identifier, "surname first name" and date of birth.
JournalPatient PatientOf(const PatientRequest& request);

// A confirmation that placed some order files and left the rest journaled.
std::string IncompleteOrderMessage(const JournalPatient& patient);
// A confirmation whose journal may or may not say "publish": the next start decides.
std::string UnsettledOrderMessage(const JournalPatient& patient);

// One confirmation that a killed program or failing calls had left half done, and how it was
// settled.
struct RecoveredOrder {
    bool completed = false;  // true: every order file placed, request gone; false: taken back
    std::string patientId;
    std::string patientName;
    std::string workstation;    // empty for an older program's journal
    std::string programFolder;  // likewise
    std::string patientBorn;
    bool wasComplete = false;  // completed before this start: only its journal was left
};

// The German notice for the operator, one line per order; empty when there is nothing.
std::string RecoveryNotice(const std::vector<RecoveredOrder>& orders);

}  // namespace morvik
