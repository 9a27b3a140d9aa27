#include <gtest/gtest.h>

#include "base/AppError.h"
#include "gdt/GdtLine.h"
#include "gdt/RequestReader.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::TempFolder;
using test::WriteBytes;

struct CaptionCase {
    const char* what;
    std::string text;
    std::string id;
    std::string name;
};

void PrintTo(const CaptionCase& c, std::ostream* os) {
    *os << c.what;
}

class RequestCaptions : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(RequestCaptions, FollowTheLinesInFileOrder) {
    PatientRequest request;
    PatientCaptions captions;
    ApplyRequestText(GetParam().text, request, captions);
    EXPECT_EQ(captions.id, GetParam().id) << GetParam().what;
    EXPECT_EQ(captions.name, GetParam().name) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RequestCaptions,
    ::testing::Values(
        CaptionCase{"usual order", "01380006301\r\n0133000471\r\n0153101Muster\r\n0143102Erika\r\n",
                    "ID: 471", "Name: Muster Erika"},
        CaptionCase{"no 3000 line", "0153101Muster\r\n", "ID:", "Name: Muster"},
        CaptionCase{"3102 before 3101 is lost", "0143102Erika\r\n0153101Muster\r\n",
                    "ID:", "Name: Muster"},
        CaptionCase{"last 3000 and 3101 win",
                    "0133000111\r\n0133000222\r\n0123101Alt\r\n0123101Neu\r\n", "ID: 222",
                    "Name: Neu"},
        CaptionCase{"LF alone is no line end", "0133000471\n0153101Muster\n",
                    "ID: 471\n0153101Muster\n", "Name:"},
        CaptionCase{"short lines match nothing", "013300\r\n\r\n300\r\n", "ID:", "Name:"},
        CaptionCase{"empty text", "", "ID:", "Name:"},
        CaptionCase{"trailing blanks are kept", "0163000471  \r\n", "ID: 471  ", "Name:"},
        CaptionCase{"umlauts decoded", "0153101M\xFCller\r\n0143102J\xF6rg\r\n",
                    "ID:", "Name: Müller Jörg"},
        CaptionCase{"no final line end", "0133000471", "ID: 471", "Name:"}));

TEST(ReadGDT, KeepsEveryByteOfTheFile) {
    TempFolder dir;
    std::string bytes = "0133000471\r\n0153101M\xFCller\r\n";
    bytes += std::string("\0\x01\xFF\x81 bin\xE4r", 9);
    WriteBytes(dir / "req.gdt", bytes);
    PatientCaptions captions;
    PatientRequest request = ReadGDT(dir / "req.gdt", captions);
    EXPECT_EQ(request.text, bytes);
    EXPECT_EQ(request.patientId, "471");
    EXPECT_EQ(request.surname, "Müller");
    EXPECT_EQ(captions.name, "Name: Müller");
}

TEST(ReadGDT, ReadingTheSameFileTwiceGivesTheSameCaption) {
    TempFolder dir;
    WriteBytes(dir / "req.gdt", "0153101Muster\r\n0143102Erika\r\n");
    PatientCaptions captions;
    ReadGDT(dir / "req.gdt", captions);
    ReadGDT(dir / "req.gdt", captions);
    EXPECT_EQ(captions.name, "Name: Muster Erika");
}

TEST(ReadGDT, ExaminesEveryLineOfAVeryLongFile) {
    TempFolder dir;
    std::string text;
    for (int i = 0; i < 40000; ++i) text += CreateGDTLine("6228", "Befundzeile");
    text += CreateGDTLine("3000", "99887");
    WriteBytes(dir / "big.gdt", text);
    PatientCaptions captions;
    EXPECT_EQ(ReadGDT(dir / "big.gdt", captions).patientId, "99887");
    EXPECT_EQ(captions.id, "ID: 99887");
}

TEST(ReadGDT, MissingFileThrowsAndChangesNothing) {
    TempFolder dir;
    PatientCaptions captions;
    captions.id = "ID: 471";
    EXPECT_THROW(ReadGDT(dir / "weg.gdt", captions), AppError);
    EXPECT_EQ(captions.id, "ID: 471");
    EXPECT_EQ(captions.name, "Name:");
}

}  // namespace
}  // namespace morvik
