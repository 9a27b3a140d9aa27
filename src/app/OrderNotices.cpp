#include "app/OrderNotices.h"

#include "app/PatientCaptions.h"

namespace morvik {

namespace {

std::string describe(const std::string& id, const std::string& name, const std::string& born) {
    return PatientDescription(id, name, born);
}

}  // namespace

JournalPatient PatientOf(const PatientRequest& request) {
    return {request.patientId, DisplayedName(request), request.birthDate};
}

std::string IncompleteOrderMessage(const JournalPatient& patient) {
    return "Der Auftrag für " + describe(patient.id, patient.name, patient.born) +
           " ist noch nicht vollständig angelegt; er wird beim nächsten Start von Morvik "
           "vervollständigt.";
}

std::string UnsettledOrderMessage(const JournalPatient& patient) {
    return "Der Auftrag für " + describe(patient.id, patient.name, patient.born) +
           " konnte nicht abgeschlossen werden; beim nächsten Start von Morvik wird er "
           "vervollständigt oder zurückgenommen.";
}

std::string RecoveryNotice(const std::vector<RecoveredOrder>& orders) {
    std::string notice;
    for (const RecoveredOrder& order : orders) {
        if (!notice.empty()) notice += "\n";
        // Another workstation's order is named with its place, so its operator can be asked.
        notice += order.workstation.empty()
                      ? "Ein beim letzten Mal unterbrochener Auftrag für "
                      : "Ein am Arbeitsplatz " + order.workstation + " (Programmordner \"" +
                            order.programFolder + "\") unterbrochener Auftrag für ";
        notice += describe(order.patientId, order.patientName, order.patientBorn);
        if (!order.completed) {
            notice +=
                " wurde zurückgenommen; es wurde nichts angelegt, die Anforderung liegt "
                "wieder im Quellordner.";
        } else if (order.wasComplete) {
            // Only the journal was left (a power cut right after the confirmation): the operator
            // may have been told already, so nothing is said to have happened now.
            notice += " war schon vollständig angelegt; die Anforderung ist erledigt.";
        } else {
            notice += " wurde jetzt vollständig angelegt; die Anforderung ist erledigt.";
        }
    }
    return notice;
}

}  // namespace morvik
