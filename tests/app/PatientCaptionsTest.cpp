#include <gtest/gtest.h>

#include "app/PatientCaptions.h"

namespace morvik {
namespace {

// The captions follow the request's lines in file order, whatever ends them, and show no control
// character; the messages' name is "surname first name" whatever the order.
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
        const PatientCaptions captions = CaptionsOf(ParseRequest(c.text));
        EXPECT_EQ(captions.id, c.id) << c.text;
        EXPECT_EQ(captions.name, c.name) << c.text;
        EXPECT_EQ(captions.born, c.born) << c.text;
    }
}

TEST(DisplayedName, IsSurnameThenFirstName) {
    EXPECT_EQ(DisplayedName(ParseRequest("0143102Erika\r\n0153101Muster\r\n")), "Muster Erika");
    EXPECT_EQ(DisplayedName(ParseRequest("0153101Muster\r\n")), "Muster");
    EXPECT_EQ(DisplayedName(ParseRequest("0133000471\r\n")), "");
}

}  // namespace
}  // namespace morvik
