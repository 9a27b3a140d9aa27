// A whole order by keyboard alone: type, Enter, type, Enter, the initials by their access key,
// "Übernehmen" by its access key.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app/OrderSession.h"
#include "catalogue/CatalogueDatabase.h"
#include "diag/ErrorLog.h"
#include "main/StartUp.h"
#include "support/CatalogueFile.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "support/TempFolder.h"
#include "ui/MainWindow.h"
#include "ui/Splash.h"

namespace morvik {
namespace {

using test::ReadBytes;
using test::WriteBytes;

TEST(KeyboardOrder, TwoBodyPartsWithoutTheMouse) {
    test::TempFolder program;
    const auto in = program / "in";
    const auto out = program / "out";
    std::filesystem::create_directory(in);
    std::filesystem::create_directory(out);
    WriteBytes(program / "Settings.ini", "[GDTService]\r\nGDTQuell=" + in.string() +
                                             "\r\nGDTZiel=" + out.string() + "\r\nKuerzel=AB\r\n");
    WriteBytes(in / "a.gdt", "0133000471\r\n");
    test::MakeCatalogue(program.path(), {{1, "Thorax p.a.", true, "THX", "T01"},
                                         {2, "Knie links", true, "KNL", "K01"},
                                         {3, "Knie rechts", true, "KNR", "K02"}});
    test::FixedClock clock;
    ErrorLog log(program.path(), clock);
    test::RecordingOperator op;
    OrderSession session(program.path(), log, op, nullptr);
    FMain window(session);
    FSplash splash;
    CatalogueDatabase catalogue(program.path(), log);
    ASSERT_TRUE(SubMain(window, splash, catalogue, log));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    auto keys = [](const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); };
    auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) {
        QTest::keyClick(QApplication::focusWidget(), k, m);
    };
    keys("knie r");
    key(Qt::Key_Return);
    keys("tho");
    key(Qt::Key_Return);
    key(Qt::Key_K, Qt::AltModifier);  // "&Kürzel:"
    keys("MK");
    key(Qt::Key_B, Qt::AltModifier);  // "Ü&bernehmen", pressed as an animated click
    ASSERT_TRUE(QTest::qWaitFor([&] { return !op.messages.empty(); }));

    ASSERT_EQ(op.Texts(), std::vector<std::string>{"Der Auftrag wurde erfolgreich angelegt."});
    std::set<std::string> parts;
    for (const auto& name : test::FileNames(out)) {
        const std::string order = ReadBytes(out / name);
        EXPECT_NE(order.find("0118315MK\r\n"), std::string::npos);
        parts.insert(order.substr(order.find("6227") + 4, 11));
    }
    EXPECT_EQ(parts, (std::set<std::string>{"Knie rechts", "Thorax p.a."}));
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace morvik
