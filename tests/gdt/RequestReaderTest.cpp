#include <gtest/gtest.h>

#include "gdt/GdtLine.h"
#include "gdt/RequestReader.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::TempFolder;
using test::WriteBytes;

TEST(ReadGDT, KeepsEveryByteOfTheFile) {
    TempFolder dir;
    std::string bytes = "0133000471\r\n0153101M\xFCller\r\n";
    bytes += std::string("\0\x01\xFF\x81 bin\xE4r", 9);
    WriteBytes(dir / "req.gdt", bytes);
    PatientRequest request = ReadGDT(dir / "req.gdt");
    EXPECT_EQ(request.text.view(), bytes);
    EXPECT_EQ(request.patientId, "471");
    EXPECT_EQ(request.surname, "Müller");
    EXPECT_EQ(request.spelledName, " Müller");
}

TEST(ReadGDT, ExaminesEveryLineOfAVeryLongFile) {
    TempFolder dir;
    std::string text;
    for (int i = 0; i < 40000; ++i) text += CreateGDTLine("6228", "Befundzeile");
    text += CreateGDTLine("3000", "99887");
    WriteBytes(dir / "big.gdt", text);
    EXPECT_EQ(ReadGDT(dir / "big.gdt").patientId, "99887");
}

// The walk tests blocks of bytes at a time and stops now and then to check what it marked (after
// about a thousand marks: each CR before a line of 23 bytes is one): the patient lines and the
// character set (here code page 437, declared after the name), with the date of birth and the sex
// as written, are found wherever they fall, whatever ends the lines, once each, by every walk a
// processor may take.
TEST(ParseRequest, FindsThePatientLinesAtEveryOffset) {
    const std::string marked = "0236228Befundzeile 12\r\n";
    for (const RequestWalk walk : {RequestWalk::Best, RequestWalk::BytesOnly}) {
        UseRequestWalk(walk);
        for (const std::string eol : {"\r\n", "\n", "\r"}) {
            auto expectFound = [&](std::string before, std::size_t pad) {
                const PatientRequest request = ParseRequest(
                    before + "0006228" + std::string(pad, 'x') + eol + eol + "0133000471" + eol +
                    "01462283101" + eol + "0153101M\x81ller" + eol + "0143102Erika" + eol +
                    "01092062" + eol + "017310330061922" + eol + "0103110W" + eol);
                EXPECT_EQ(request.patientId, "471") << before.size() << " " << pad;
                EXPECT_EQ(request.spelledName, " Müller Erika") << before.size() << " " << pad;
                EXPECT_EQ(request.birthDateField, "30061922") << before.size() << " " << pad;
                EXPECT_EQ(request.sexField, "W") << before.size() << " " << pad;
            };
            for (std::size_t pad = 0; pad < 150; ++pad) expectFound("", pad);
            std::string before;
            for (int lines = 0; lines < 1040; ++lines) {
                before += marked;
                if (lines >= 1000) {
                    for (std::size_t pad = 0; pad < 24; pad += 3) expectFound(before, pad);
                }
            }
        }
    }
    UseRequestWalk(RequestWalk::Best);
}

}  // namespace
}  // namespace morvik
