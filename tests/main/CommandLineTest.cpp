#include "main/CommandLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "Version.h"

namespace morvik {
namespace {

// Practice systems start device programs with arguments of their own: only --help and
// --version end the program, and without a window.
TEST(CommandLine, AnswersHelpAndVersionAndIgnoresEverythingElse) {
    struct Call {
        QStringList arguments;
        std::optional<int> status;  // nothing: the window opens
        std::string out;            // what the output holds (a part of it), or nothing at all
    };
    const std::string version = std::string("morvik ") + kVersionText + "\n";
    const std::vector<Call> calls = {
        {{"morvik"}, std::nullopt, ""},
        {{"morvik", "--version"}, 0, version},
        {{"morvik", "-v"}, 0, version},
        {{"morvik", "--help"}, 0, "Aufruf: morvik [--help | --version]"},
        {{"morvik", "-platform", "offscreen", "-h"}, 0, "Aufruf: morvik"},
        {{"morvik", "-platform", "offscreen"}, std::nullopt, ""},
        {{"morvik", "--versoin"}, std::nullopt, ""},
        {{"morvik", "C:\\GDT\\ANFORDERUNG.GDT", "/dev=2"}, std::nullopt, ""},
    };
    for (const Call& call : calls) {
        SCOPED_TRACE(call.arguments.join(' ').toStdString());
        std::ostringstream out;
        EXPECT_EQ(AnswerCommandLine(call.arguments, out), call.status);
        if (call.out.empty())
            EXPECT_EQ(out.str(), "");
        else
            EXPECT_THAT(out.str(), ::testing::HasSubstr(call.out));
    }
}

}  // namespace
}  // namespace morvik
