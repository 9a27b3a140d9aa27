#include <gtest/gtest.h>

#include "gdt/GdtLine.h"
#include "gdt/RequestReader.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::TempFolder;
using test::WriteBytes;

// The captions follow the lines in file order.
TEST(RequestCaptions, FollowTheLinesInFileOrder) {
    struct Case {
        std::string text, id, name;
    };
    const Case cases[] = {
        {"01380006301\r\n0133000471\r\n0153101Muster\r\n0143102Erika\r\n", "ID: 471",
         "Name: Muster Erika"},
        {"0143102Erika\r\n0153101Muster\r\n", "ID:", "Name: Muster"},  // 3102 first is lost
        {"0133000111\r\n0133000222\r\n0123101Alt\r\n0123101Neu\r\n", "ID: 222", "Name: Neu"},
        {"0133000471\n0153101Muster\n", "ID: 471\n0153101Muster\n", "Name:"},  // LF is no end
        {"013300\r\n\r\n300\r\n", "ID:", "Name:"},
        {"0163000471  \r\n", "ID: 471  ", "Name:"},
        {"0153101M\xFCller\r\n0143102J\xF6rg\r\n", "ID:", "Name: Müller Jörg"},
        {"0133000471", "ID: 471", "Name:"}};
    for (const Case& c : cases) {
        PatientRequest request;
        PatientCaptions captions;
        ApplyRequestText(c.text, request, captions);
        EXPECT_EQ(captions.id, c.id) << c.text;
        EXPECT_EQ(captions.name, c.name) << c.text;
    }
}

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
    ReadGDT(dir / "req.gdt", captions);  // the same file twice gives the same caption
    EXPECT_EQ(captions.name, "Name: Müller");
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

// The walk tests blocks of bytes at a time: the patient lines and the character set (here
// code page 437, declared after the name) are found wherever they fall.
TEST(ReadGDT, FindsThePatientLinesAtEveryOffset) {
    for (std::size_t pad = 0; pad < 150; ++pad) {
        std::string text = CreateGDTLine("6228", std::string(pad, 'x')) + "\r\r\n0133000471\r\n" +
                           CreateGDTLine("6228", "3101") + "0153101M\x81ller\r\n0143102Erika\r\n" +
                           CreateGDTLine("9206", "2");
        PatientRequest request;
        PatientCaptions captions;
        ApplyRequestText(text, request, captions);
        EXPECT_EQ(captions.id, "ID: 471") << pad;
        EXPECT_EQ(captions.name, "Name: Müller Erika") << pad;
    }
}

}  // namespace
}  // namespace morvik
