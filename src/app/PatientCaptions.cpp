#include "app/PatientCaptions.h"

namespace morvik {

PatientCaptions CaptionsOf(const PatientRequest& request) {
    PatientCaptions captions;
    if (request.hasPatientId) captions.id = "ID: " + request.patientId;
    captions.name += request.spelledName;
    if (request.hasBirthDate) captions.born = "geb. " + request.birthDate;
    return captions;
}

std::string DisplayedName(const PatientRequest& request) {
    return request.surname + (request.firstName.empty() ? "" : " ") + request.firstName;
}

}  // namespace morvik
