// One whole order through the real main window: a request in the source folder, the catalogue
// in Bodypart.mdb, modality and body parts chosen, order files in the target folder.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>

#include "app/OrderSession.h"
#include "catalogue/CatalogueDatabase.h"
#include "main/StartUp.h"
#include "support/CatalogueFile.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "ui/MainWindow.h"
#include "ui/Splash.h"

namespace morvik {
namespace {

using test::FileNames;
using test::ReadBytes;
using test::WriteBytes;

TEST(EndToEnd, OrderFromRequestToOrderFiles) {
    test::TempFolder program;
    const auto in = program / "eingang";
    const auto out = program / "ausgang";
    std::filesystem::create_directory(in);
    std::filesystem::create_directory(out);
    WriteBytes(program / "Settings.ini",
               "[GDTService]\r\nGDTQuell=" + in.string() + "/\r\nGDTZiel=" + out.string() +
                   "\r\nKuerzel=AB\r\nKonica=1\r\nAcc=1\r\nAccNum=RAD\r\n");
    WriteBytes(program / "AccNum.dat", "0000041");
    const std::string request =
        "01380006301\r\n014810000123\r\n0133000471\r\n0163101M\xFCller\r\n0143102Erika\r\n"
        "017310301011970\r\n";
    WriteBytes(in / "ANFORDERUNG.GDT", request);
    test::MakeCatalogue(program.path(), {{1, "Thorax p.a.", true, "THX", "T01"},
                                         {2, "Knie links", true, "KNL", "K01"},
                                         {3, "Knie rechts", true, "KNR", "K02"},
                                         {4, "Becken", true, "BEC", "B01"}});

    test::FixedClock clock;
    ErrorLog log(program.path(), clock);
    test::RecordingOperator op;
    OrderSession session(program.path(), log, op, nullptr);
    FMain window(session);
    FSplash splash;
    CatalogueDatabase catalogue(program.path(), log);
    ASSERT_TRUE(SubMain(window, splash, catalogue, log));

    // Röntgen, then two body parts found by typing.
    auto* search = window.findChild<QLineEdit*>("txtSearch");
    auto* list = window.findChild<QTreeView*>("lvBodyparts");
    QTest::mouseClick(window.findChild<QRadioButton*>("optMod0"), Qt::LeftButton);
    EXPECT_FALSE(list->isEnabled());  // Scan is ordered without body parts
    QTest::mouseClick(window.findChild<QRadioButton*>("optMod1"), Qt::LeftButton);
    QTest::keyClicks(search, "knie l");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    search->clear();
    QTest::keyClicks(search, "THO");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);

    auto* kuerzel = window.findChild<QLineEdit*>("txtKuerzel");
    kuerzel->clear();
    QTest::keyClicks(kuerzel, "MK");
    QTest::keyClicks(window.findChild<QLineEdit*>("txtComment"), "bitte stehend");
    auto* ok = window.findChild<QPushButton*>("cmdOK");
    ASSERT_TRUE(ok->isEnabled());
    QTest::mouseClick(ok, Qt::LeftButton);

    ASSERT_EQ(op.Texts(), std::vector<std::string>{"Der Auftrag wurde erfolgreich angelegt."});
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(std::filesystem::exists(in / "ANFORDERUNG.GDT"));
    EXPECT_EQ(ReadBytes(program / "AccNum.dat"), "0000043");
    EXPECT_NE(ReadBytes(program / "Settings.ini").find("Kuerzel=MK\r\n"), std::string::npos);

    const std::string first = request +
                              "0168402R\xF6ntgen\r\n0128751KNL\r\n0196227Knie links\r\n"
                              "0195015Knie links\r\n0194100RAD0000042\r\n0226227bitte stehend\r\n"
                              "0118315MK\r\n";
    const std::string second = request +
                               "0168402R\xF6ntgen\r\n0128751THX\r\n0206227Thorax p.a.\r\n"
                               "0205015Thorax p.a.\r\n0194100RAD0000043\r\n0226227bitte stehend\r\n"
                               "0118315MK\r\n";
    auto names = FileNames(out);
    ASSERT_EQ(names.size(), 2u);
    std::set<std::string> contents;
    for (const auto& n : names) {
        EXPECT_EQ(n.size(), 40u);
        EXPECT_TRUE(n.ends_with(".gdt"));
        contents.insert(ReadBytes(out / n));
    }
    EXPECT_EQ(contents, (std::set<std::string>{first, second}));
    EXPECT_TRUE(test::Logged(log, {}));
}

}  // namespace
}  // namespace morvik
