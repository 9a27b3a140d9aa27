// One whole order by keyboard alone, from the request through the real main window to the order
// files: type, Enter, type, Enter, initials and comment by their access keys, then "Übernehmen".
#include "ui/MainWindowFixture.h"

namespace morvik {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class EndToEnd : public test::MainWindowFixture {};

TEST_F(EndToEnd, TwoBodyPartsByKeyboardFromRequestToOrderFiles) {
    WriteBytes(program / "AccNum.dat", "0000041");
    const std::string request =
        "01380006301\r\n014810000123\r\n0133000471\r\n0163101M\xFCller\r\n0143102Erika\r\n"
        "017310301011970\r\n";
    WriteBytes(in / "ANFORDERUNG.GDT", request);
    ASSERT_TRUE(start({{1, "Thorax p.a.", true, "THX", "T01"},
                       {2, "Knie links", true, "KNL", "K01"},
                       {3, "Knie rechts", true, "KNR", "K02"}},
                      "Konica=1\r\nAcc=1\r\nAccNum=RAD\r\n"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    auto keys = [](const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); };
    auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) {
        QTest::keyClick(QApplication::focusWidget(), k, m);
    };
    keys("knie l");
    key(Qt::Key_Return);
    keys("tho");
    key(Qt::Key_Return);
    key(Qt::Key_K, Qt::AltModifier);  // "&Kürzel:"
    keys("MK");
    key(Qt::Key_M, Qt::AltModifier);  // "Ko&mmentar:"
    keys("bitte stehend");
    key(Qt::Key_B, Qt::AltModifier);  // "Ü&bernehmen", pressed as an animated click
    ASSERT_TRUE(QTest::qWaitFor([&] { return !op.shots.empty(); }));

    ASSERT_EQ(op.shots.size(), 1u);
    EXPECT_EQ(op.shots[0].text, "Der Auftrag wurde erfolgreich angelegt.");
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(std::filesystem::exists(in / "ANFORDERUNG.GDT"));
    EXPECT_EQ(ReadBytes(program / "AccNum.dat"), "0000043");
    EXPECT_NE(ReadBytes(program / "Settings.ini").find("Kuerzel=MK\r\n"), std::string::npos);
    std::set<std::string> orders;
    for (const auto& name : test::FileNames(out)) {
        EXPECT_TRUE(name.size() == 40 && name.ends_with(".gdt")) << name;
        orders.insert(ReadBytes(out / name));
    }
    const std::string tail = "0226227bitte stehend\r\n0118315MK\r\n";
    EXPECT_EQ(orders,
              (std::set<std::string>{request +
                                         "0168402R\xF6ntgen\r\n0128751KNL\r\n0196227Knie links\r\n"
                                         "0195015Knie links\r\n0194100RAD0000042\r\n" +
                                         tail,
                                     request +
                                         "0168402R\xF6ntgen\r\n0128751THX\r\n0206227Thorax p.a.\r\n"
                                         "0205015Thorax p.a.\r\n0194100RAD0000043\r\n" +
                                         tail}));
    EXPECT_TRUE(test::Logged(log, {}));
}

}  // namespace
}  // namespace morvik
