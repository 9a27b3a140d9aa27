#pragma once

#include <string>

#include "gdt/RequestReader.h"

namespace morvik {

// The patient labels of the main window; as they read with no request shown by default.
struct PatientCaptions {
    std::string id = "ID:";
    std::string name = "Name:";
    std::string born = "geb.:";
};

// The labels for a request: "ID: " and the identifier, "Name:" and the name as the lines spell
// it (so a first name before the surname's line is lost), "geb. " and the date of birth; a label
// whose line the request lacks keeps its text for no request.
PatientCaptions CaptionsOf(const PatientRequest& request);

// "surname first name" (the blank only with a first name), as messages name the patient.
std::string DisplayedName(const PatientRequest& request);

}  // namespace morvik
