// A request shows its patient in the character set it declares (GDT field 9206); its bytes go
// into the order unchanged, and the order's own lines stay ANSI.
#include <gtest/gtest.h>

#include "app/OrderSession.h"
#include "gdt/RequestCharset.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "support/SettingsFile.h"

namespace morvik {
namespace {

using test::ReadBytes;
using test::WriteBytes;

// One GDT line of raw bytes: length, field, content, CR LF.
std::string line(const std::string& field, const std::string& content) {
    const std::size_t length = 3 + field.size() + content.size() + 2;
    return (length < 100 ? "0" : "") + std::to_string(length) + field + content + "\r\n";
}

TEST(RequestCharset, NameShownInTheDeclaredSetAndOrderBytesUnchanged) {
    struct Case {
        const char* declaration;  // the 9206 line, or nothing
        const char* surname;      // bytes as the practice system wrote them
        const char* firstName;
        const char* shown;
    };
    const Case cases[] = {
        {"", "M\xFCller", "\x8Atefan", "Name: Müller Štefan"},                      // Windows-1252
        {"01092061\r\n", "M}ller", "Stra~e@", "Name: Müller Straße§"},              // DIN 66003
        {"01192062 \r\n", "M\x81ller", "J\x81rgen \xE1", "Name: Müller Jürgen ß"},  // CP 437
        {"01092063\r\n", "M\xFCller", "\x8A", "Name: Müller  "},  // ISO 8859-1: 0x8A is a control
        {"01092069\r\n", "M\xFCller", "J\xFCrgen", "Name: Müller Jürgen"},  // unknown value
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.declaration);
        test::ProgramFolder folder;
        const auto& program = folder.program;
        std::filesystem::create_directory(program / "out");
        test::WriteSettings(program.path(), program.path(), program / "out");
        const std::string request = "01380006301\r\n" + std::string(c.declaration) +
                                    "0133000471\r\n" + line("3101", c.surname) +
                                    line("3102", c.firstName);
        WriteBytes(program / "a.gdt", request);
        test::RecordingOperator op;
        OrderSession session(program.path(), folder.log, op, nullptr);
        session.Load();
        EXPECT_EQ(session.Patient().name, c.shown);

        session.ChooseModality(0);  // Scan: one order file, no body parts
        ASSERT_EQ(session.Confirm("K\xC3\xB6rper"), OrderSession::Confirmation::Done);
        const auto orders = test::FileNames(program / "out");
        ASSERT_EQ(orders.size(), 1u);
        const std::string order = ReadBytes(program / "out" / orders[0]);
        EXPECT_EQ(order.substr(0, request.size()), request);
        EXPECT_NE(order.find("K\xF6rper"), std::string::npos);  // Morvik's line in Windows-1252
    }
}

TEST(RequestCharset, OnlyAFieldIdentifierCounts) {
    EXPECT_EQ(DeclaredCharset("01092062\r\n"), Charset::Cp437);
    EXPECT_EQ(DeclaredCharset("0123101X9206\r\n01092061\r\n"), Charset::Din66003);
    EXPECT_EQ(DeclaredCharset("0123101X9206\n01092062\r"), Charset::Cp437);  // any line end
    EXPECT_EQ(DeclaredCharset("0119206\r\n"), Charset::Ansi);
    EXPECT_EQ(DeclaredCharset("019206"), Charset::Ansi);
}

}  // namespace
}  // namespace morvik
