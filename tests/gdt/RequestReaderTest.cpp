#include <gtest/gtest.h>

#include "gdt/GdtLine.h"
#include "gdt/RequestReader.h"
#include "support/TempFolder.h"

namespace morvik {
namespace {

using test::TempFolder;
using test::WriteBytes;

// The captions follow the lines in file order, whatever ends them, and show no control character.
TEST(RequestCaptions, FollowTheLinesInFileOrder) {
    struct Case {
        std::string text, id, name, born;
    };
    const Case cases[] = {
        {"01380006301\r\n0133000471\r\n0153101Muster\r\n0143102Erika\r\n017310330061922\r\n",
         "ID: 471", "Name: Muster Erika", "geb. 30.06.1922"},
        {"0143102Erika\r\n0153101Muster\r\n", "ID:", "Name: Muster", "geb.:"},  // 3102 first: lost
        {"0133000111\r\n0133000222\r\n0123101Alt\r\n0123101Neu\r\n", "ID: 222", "Name: Neu",
         "geb.:"},
        {"0133000471\n0153101Muster\n017310330061922\n", "ID: 471", "Name: Muster",
         "geb. 30.06.1922"},
        {"0133000471\r0153101Muster\r0143102Erika", "ID: 471", "Name: Muster Erika", "geb.:"},
        {"\n0133000471\r\n0153101Muster\r\r\n0143102Erika\n", "ID: 471", "Name: Muster Erika",
         "geb.:"},
        {"0153101Mus\tter\x1A\r\n0143102E\x01rika\x7F\r\n", "ID:", "Name: Mus ter  E rika ",
         "geb.:"},
        {"013300\r\n\r\n300\r\n", "ID:", "Name:", "geb.:"},
        {"0163000471  \r\n", "ID: 471  ", "Name:", "geb.:"},
        {"0153101M\xFCller\r\n0143102J\xF6rg\r\n", "ID:", "Name: Müller Jörg", "geb.:"},
        // A date of birth in another form is shown as written, in the declared character set.
        {"01092062\r\n0223103ca. M\x84rz 1922\r\n", "ID:", "Name:", "geb. ca. März 1922"},
        {"017310332061922\r\n", "ID:", "Name:", "geb. 32061922"},
        {"0133000471", "ID: 471", "Name:", "geb.:"}};
    for (const Case& c : cases) {
        PatientRequest request;
        PatientCaptions captions;
        ApplyRequestText(c.text, request, captions);
        EXPECT_EQ(captions.id, c.id) << c.text;
        EXPECT_EQ(captions.name, c.name) << c.text;
        EXPECT_EQ(captions.born, c.born) << c.text;
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
// code page 437, declared after the name) are found wherever they fall, whatever ends the lines.
TEST(ReadGDT, FindsThePatientLinesAtEveryOffset) {
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        for (std::size_t pad = 0; pad < 150; ++pad) {
            std::string text = "0006228" + std::string(pad, 'x') + eol + eol + "0133000471" + eol +
                               "01462283101" + eol + "0153101M\x81ller" + eol + "0143102Erika" +
                               eol + "01092062" + eol;
            PatientRequest request;
            PatientCaptions captions;
            ApplyRequestText(text, request, captions);
            EXPECT_EQ(captions.id, "ID: 471") << pad;
            EXPECT_EQ(captions.name, "Name: Müller Erika") << pad;
        }
    }
}

}  // namespace
}  // namespace morvik
