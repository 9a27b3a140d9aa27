#include "worklist/WorklistItem.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>

#include "base/Text.h"
#include "platform/Guid.h"

namespace morvik {

namespace {

std::string trimmed(std::string_view text) {
    return std::string(TrimBlanks(text));
}

// Field 3103 is DDMMYYYY; DICOM wants YYYYMMDD. Anything that is no date of the calendar (a
// partial date, 31.02., letters) is left out rather than sent wrong.
std::string dicomBirthDate(std::string_view field) {
    const std::string_view date = TrimBlanks(field);
    if (date.size() != 8 || date.find_first_not_of("0123456789") != std::string_view::npos) {
        return {};
    }
    auto number = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) value = value * 10 + (date[i] - '0');
        return value;
    };
    const std::chrono::year_month_day ymd{std::chrono::year{number(4, 4)},
                                          std::chrono::month{static_cast<unsigned>(number(2, 2))},
                                          std::chrono::day{static_cast<unsigned>(number(0, 2))}};
    if (number(4, 4) == 0 || !ymd.ok()) return {};
    return std::string(date.substr(4, 4)) + std::string(date.substr(2, 2)) +
           std::string(date.substr(0, 2));
}

// Field 3110: 1 (male) and 2 (female) in GDT 2, M and W in GDT 3; F as some systems write it.
std::string dicomSex(std::string_view field) {
    const std::string_view sex = TrimBlanks(field);
    if (sex.empty()) return {};
    if (sex == "1" || sex == "M" || sex == "m") return "M";
    if (sex == "2" || sex == "W" || sex == "w" || sex == "F" || sex == "f") return "F";
    return "O";
}

std::string twoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

}  // namespace

WorklistItem MakeWorklistItem(const PatientRequest& request, const WorklistOrder& order) {
    WorklistItem item;
    item.surname = trimmed(request.surname);
    item.firstName = trimmed(request.firstName);
    item.patientId = trimmed(request.patientId);
    item.birthDate = dicomBirthDate(request.birthDateField);
    item.sex = dicomSex(request.sexField);
    item.accessionNumber = order.accessionNumber;
    item.studyInstanceUid = order.studyInstanceUid;
    // A requested procedure and its step need IDs; without an accession number the UID's last
    // digits tell the orders of one day apart.
    item.requestedProcedureId = !order.accessionNumber.empty()
                                    ? order.accessionNumber
                                    : order.studyInstanceUid.substr(
                                          order.studyInstanceUid.size() -
                                          std::min<std::size_t>(16, order.studyInstanceUid.size()));
    item.stepId = item.requestedProcedureId;
    const std::string bodyPart = trimmed(order.bodyPart.name);
    const std::string& description = bodyPart.empty() ? order.modality : bodyPart;
    item.requestedProcedureDescription = description;
    item.requestedProcedureComments = order.comment;
    item.modality = order.modality;
    item.stationAeTitle = order.stationAeTitle;
    const LocalTime& at = order.moment;
    char year[16];
    std::snprintf(year, sizeof year, "%04d", at.year);
    item.startDate = year + twoDigits(at.month) + twoDigits(at.day);
    item.startTime = twoDigits(at.hour) + twoDigits(at.minute) + twoDigits(at.second);
    item.stepDescription = description;
    for (const auto& [code, scheme] :
         {std::pair{trimmed(order.bodyPart.abbreviation), kAbbreviationScheme},
          std::pair{trimmed(order.bodyPart.factoryCode), kFactoryCodeScheme}}) {
        if (!code.empty()) item.protocolCodes.push_back({code, std::string(scheme), bodyPart});
    }
    return item;
}

std::string NewStudyInstanceUid() {
    // The UUID as one number: its 16 bytes in the order RFC 4122 writes them (the platform hands
    // out the Windows order, first three fields least significant byte first), most significant
    // first, turned into decimal digits by long division.
    std::array<unsigned char, 16> number = NewGuidBytes();
    std::reverse(number.begin(), number.begin() + 4);
    std::reverse(number.begin() + 4, number.begin() + 6);
    std::reverse(number.begin() + 6, number.begin() + 8);
    std::string digits;
    while (std::any_of(number.begin(), number.end(), [](unsigned char b) { return b != 0; })) {
        unsigned remainder = 0;
        for (unsigned char& byte : number) {
            const unsigned value = remainder * 256 + byte;
            byte = static_cast<unsigned char>(value / 10);
            remainder = value % 10;
        }
        digits += static_cast<char>('0' + remainder);
    }
    if (digits.empty()) digits = "0";
    std::reverse(digits.begin(), digits.end());
    return "2.25." + digits;
}

}  // namespace morvik
