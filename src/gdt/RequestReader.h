#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/ByteBuffer.h"

namespace morvik {

// What one request file supplies. `text` holds every byte of the file unchanged; it heads every
// order file written for the request. The patient fields are UTF-8.
struct PatientRequest {
    ByteBuffer text;
    std::string patientId;  // field 3000
    std::string surname;    // field 3101
    std::string firstName;  // field 3102
    std::string
        birthDate;  // field 3103, as shown: 30061922 as 30.06.1922, any other form as written
    std::string birthDateField;  // field 3103 as written (30061922), for other programs
    std::string sexField;        // field 3110 as written (1, 2, M, W, ...)
    // Which of the fields 3000 and 3103 the request has at all (an empty content counts).
    bool hasPatientId = false;
    bool hasBirthDate = false;
    // The name as the lines spell it in file order: a 3101 line starts it afresh with a blank and
    // the surname, each 3102 line appends a blank and the first name. Empty without either line;
    // a 3102 line before the last 3101 line is not part of it.
    std::string spelledName;
};

// Walks the lines of a request text (a line ends at CR LF, LF or a lone CR; field from
// characters 4 to 7, content from character 8 on, trailing blanks kept) and fills the patient
// fields of a request holding it. Every line is examined, whatever the file's size. The fields
// are decoded in the request's declared character set, control characters shown as blanks.
PatientRequest ParseRequest(ByteBuffer text);
PatientRequest ParseRequest(std::string_view text);

// Which walk ParseRequest takes over the bytes: the fastest this processor has (the default), or
// byte by byte, so that both are tested on a machine with the fast one.
enum class RequestWalk { Best, BytesOnly };
void UseRequestWalk(RequestWalk walk) noexcept;

// "Patient 471 (Muster Erika, geb. 30.06.1922)", for messages naming a patient; what the request
// lacks is left out.
std::string PatientDescription(std::string_view id, std::string_view name,
                               std::string_view birthDate);

// A GDT record's own length field cannot exceed 99,999 bytes; anything far beyond is no request,
// and its bytes would be copied into every order file.
inline constexpr std::uint64_t kMaxRequestBytes = 10u << 20;

// Reads the request file whole and parses it. A link is not followed and a file larger than
// kMaxRequestBytes is not loaded (AppError FileTooLarge). Throws AppError when the file cannot
// be read.
PatientRequest ReadGDT(const std::filesystem::path& path);

// The request's bytes by the same rules, without parsing them.
ByteBuffer ReadRequestBytes(const std::filesystem::path& path);

}  // namespace morvik
