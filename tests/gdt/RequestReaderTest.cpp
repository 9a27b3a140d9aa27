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
    EXPECT_EQ(request.text, bytes);
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

// The walk tests blocks of bytes at a time, in stretches of some kilobytes: the patient lines and
// the character set (here code page 437, declared after the name) are found wherever they fall,
// whatever ends the lines, once each, by every walk a processor may take.
TEST(ParseRequest, FindsThePatientLinesAtEveryOffset) {
    for (const RequestWalk walk : {RequestWalk::Best, RequestWalk::Sse2, RequestWalk::BytesOnly}) {
        UseRequestWalk(walk);
        for (const std::string eol : {"\r\n", "\n", "\r"}) {
            for (std::size_t pad = 0; pad < 4300; pad += pad < 150 || pad > 3900 ? 1 : 50) {
                std::string text = "0006228" + std::string(pad, 'x') + eol + eol + "0133000471" +
                                   eol + "01462283101" + eol + "0153101M\x81ller" + eol +
                                   "0143102Erika" + eol + "01092062" + eol;
                const PatientRequest request = ParseRequest(text);
                EXPECT_EQ(request.patientId, "471") << pad;
                EXPECT_EQ(request.spelledName, " Müller Erika") << pad;
            }
        }
    }
    UseRequestWalk(RequestWalk::Best);
}

}  // namespace
}  // namespace morvik
