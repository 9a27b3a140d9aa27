#include "main/CommandLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "Version.h"

namespace morvik {
namespace {

TEST(CommandLine, AnswersHelpAndVersionWithoutAWindowAndRefusesWhatItDoesNotKnow) {
    struct Call {
        QStringList arguments;
        bool qtHasTakenItsOwn;
        std::optional<int> status;  // nothing: the window opens
        std::string out, err;       // what the streams hold (a part of it), or nothing at all
    };
    const std::string version = std::string("morvik ") + kVersionText + "\n";
    const std::vector<Call> calls = {
        {{"morvik"}, false, std::nullopt, "", ""},
        {{"morvik"}, true, std::nullopt, "", ""},
        {{"morvik", "--version"}, false, 0, version, ""},
        {{"morvik", "-v"}, false, 0, version, ""},
        {{"morvik", "--help"}, false, 0, "Aufruf: morvik [--help | --version]", ""},
        {{"morvik", "-platform", "offscreen", "-h"}, false, 0, "Aufruf: morvik", ""},
        // Qt's own options are QApplication's to take out; only what it leaves is judged.
        {{"morvik", "-platform", "offscreen"}, false, std::nullopt, "", ""},
        {{"morvik", "--versoin"}, true, 2, "", "unbekannte Option --versoin"},
        {{"morvik", "anforderung.gdt"}, true, 2, "", "unerwartetes Argument anforderung.gdt"},
    };
    for (const Call& call : calls) {
        SCOPED_TRACE(call.arguments.join(' ').toStdString());
        std::ostringstream out, err;
        EXPECT_EQ(AnswerCommandLine(call.arguments, call.qtHasTakenItsOwn, out, err), call.status);
        for (const auto& [stream, expected] : {std::pair{&out, call.out}, {&err, call.err}}) {
            if (expected.empty())
                EXPECT_EQ(stream->str(), "");
            else
                EXPECT_THAT(stream->str(), ::testing::HasSubstr(expected));
        }
    }
}

}  // namespace
}  // namespace morvik
