#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>

#include "ProfileCases.h"
#include "ProfileOracle.h"
#include "config/IniFile.h"
#include "platform/CodePage.h"
#include "support/TempFolder.h"

// Settings.ini against the Windows profile functions as Wine implements them (Wine checks them
// against Windows in its own conformance tests). The oracle, a tiny Windows program, runs the
// same reads and writes under Wine in one start; the cases come from a seeded generator, so a
// failure repeats. Reads must agree; after a write every key must read the same from both
// files, and Wine must read Morvik's file as Morvik does.
//
// Where Wine is known to differ from Windows, and what is done about it:
// - A UTF-8 byte-order mark: Wine takes it as the file's encoding. Windows knows only the UTF-16
//   mark and reads the file as ANSI text, the mark being part of the first line (a section header
//   there is not found). Wine gets these files with a line end in front, which makes it read
//   them as Windows does. Its own rewrite starts with the mark again, so after a write to such a
//   file only what Wine reads from Morvik's file is compared.
// - Wine saves a profile by writing the whole file anew from what it parsed (blank lines and
//   blanks around "=" are lost); Windows edits the file's text in place. Written files are
//   therefore compared by what every key reads, and Morvik's output line by line with its input.

namespace morvik {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
namespace fs = std::filesystem;
using namespace profile;

constexpr unsigned kSeed = 20611;
constexpr int kCases = 400;

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1A';
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Lines as a reader sees them: a line ends at CR LF, LF or CR.
std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

// Morvik writes CR LF lines; the lines the write did not touch keep their bytes, a replaced key
// keeps the spelling it had in the file, a new section follows the last line directly.
std::string WriteFault(const std::string& before, const std::string& after, const Op& op) {
    std::vector<std::string> a = Lines(before), b = Lines(after);
    std::string joined;
    for (const auto& line : b) joined += line + "\r\n";
    if (joined != after) return "not CR LF lines";
    std::size_t head = 0, tail = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
        ++tail;
    }
    std::vector<std::string> removed(a.begin() + head, a.end() - tail);
    std::vector<std::string> added(b.begin() + head, b.end() - tail);
    std::string line = op.key + "=" + op.text;
    if (removed.size() == 1 && added.size() == 1) {
        std::string_view name = Trimmed(removed[0]);
        name = Trimmed(name.substr(0, name.find('=')));
        if (added[0] == std::string(name) + "=" + op.text) return "";
    }
    if (removed.empty() && (added.empty() || added == std::vector<std::string>{line})) return "";
    if (removed.empty() && tail == 0 &&
        added == std::vector<std::string>{"[" + op.section + "]", line}) {
        return "";
    }
    std::string fault = "lines changed:";
    for (const auto& r : removed) fault += "\n    - " + Shown(r);
    for (const auto& n : added) fault += "\n    + " + Shown(n);
    return fault;
}

TEST(ProfileDifferential, ReadsAndWritesAsTheWindowsProfileFunctions) {
    if (*test::kProfileOracleMissing) GTEST_SKIP() << test::kProfileOracleMissing;
    TempFolder dir;
    profile::Generator generator(kSeed);
    std::vector<Case> cases;
    struct Expected {
        int caseIndex;
        std::string what, morvik;
    };
    std::vector<Expected> expected;
    std::string script;
    auto add = [&](int c, const std::string& what, const std::string& morvik, std::string line) {
        expected.push_back({c, what, morvik});
        script += line + "\n";
    };
    int faults = 0;
    auto fault = [&](int c, const std::string& text) {
        if (++faults <= 20) {
            ADD_FAILURE() << "case " << c << ", file \""
                          << (cases[c].file ? Shown(*cases[c].file) : "(none)") << "\"\n  " << text;
        }
    };

    for (int c = 0; c < kCases; ++c) {
        cases.push_back(generator.next());
        const Case& k = cases.back();
        std::string id = std::to_string(c);
        fs::path mine = dir / ("m" + id + ".ini");
        if (k.file) {
            WriteBytes(mine, *k.file);
            WriteBytes(dir / ("w" + id + ".ini"), AsWindowsReadsIt(*k.file));
        }
        std::vector<std::string> results(k.ops.size());
        bool wineReadsItself = true;  // see the notes on the UTF-8 mark above
        for (std::size_t i = 0; i < k.ops.size(); ++i) {
            const Op& op = k.ops[i];
            std::string fields = Hex("w" + id + ".ini") + " " + Hex(op.section) + " " +
                                 Hex(op.key) + " " + Hex(op.text);
            if (op.kind == 'R') {
                results[i] = ToAnsi(ReadINI(FromAnsi(op.section), FromAnsi(op.key),
                                            FromAnsi(op.text), mine, op.size));
                add(c, wineReadsItself ? Describe(op) : "", results[i],
                    "R " + fields + " " + std::to_string(op.size));
            } else {
                std::string before = fs::exists(mine) ? ReadBytes(mine) : "";
                WriteINI(FromAnsi(op.section), FromAnsi(op.key), FromAnsi(op.text), mine);
                std::string why = WriteFault(before, ReadBytes(mine), op);
                if (!why.empty()) fault(c, Describe(op) + ": " + why);
                add(c, Describe(op), "", "W " + fields);
                wineReadsItself = !k.file || k.file->rfind(kBom, 0) != 0;
            }
        }
        // What Morvik wrote must read the same through the profile functions.
        WriteBytes(dir / ("x" + id + ".ini"), AsWindowsReadsIt(ReadBytes(mine)));
        for (std::size_t i = k.finalReads; i < k.ops.size(); ++i) {
            const Op& op = k.ops[i];
            add(c, Describe(op) + " from Morvik's file", results[i],
                "R " + Hex("x" + id + ".ini") + " " + Hex(op.section) + " " + Hex(op.key) + " " +
                    Hex(op.text) + " " + std::to_string(op.size));
        }
        add(c, "", "", "F " + Hex("w" + id + ".ini"));
    }
    WriteBytes(dir / "script.txt", script);

    std::string command =
        "cd '" + dir.path().string() + "' && WINEPREFIX='" + test::kWinePrefix +
        "' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' LC_ALL=de_DE.UTF-8 '" + test::kWine +
        "' '" + test::kProfileOracle + "' script.txt results.txt >wine.log 2>&1 </dev/null";
    int rc = std::system(command.c_str());
    ASSERT_TRUE(rc == 0 && fs::exists(dir / "results.txt"))
        << "Wine did not run the oracle (" << rc << "): " << command << "\n"
        << ReadBytes(dir / "wine.log");
    std::vector<std::string> results = Lines(ReadBytes(dir / "results.txt"));
    ASSERT_EQ(results.size(), expected.size() + 1);
    ASSERT_EQ(results[0], "A 1252") << "Wine must run with the Windows-1252 code page";

    std::vector<std::string> wineFiles(kCases);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string& wine = results[i + 1];
        if (wine.rfind("F x", 0) == 0)
            wineFiles[expected[i].caseIndex] = Shown(Unhex(wine.substr(2)));
    }
    int lastFaultyCase = -1;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Expected& e = expected[i];
        const std::string& wine = results[i + 1];
        std::string got = wine.rfind("R ", 0) == 0 ? Unhex(wine.substr(2)) : e.morvik;
        if (wine == "W 0") got = "(write failed)";
        if (!e.what.empty() && got != e.morvik && e.caseIndex != lastFaultyCase) {
            lastFaultyCase = e.caseIndex;
            fault(e.caseIndex, e.what + "\n  Wine:   \"" + Shown(got) + "\"\n  Morvik: \"" +
                                   Shown(e.morvik) + "\"\n  Wine wrote \"" +
                                   wineFiles[e.caseIndex] + "\"");
        }
    }
    EXPECT_EQ(faults, 0) << "of " << kCases << " cases, " << expected.size() << " operations";
    std::cout << kCases << " generated cases, " << expected.size() << " operations compared\n";
}

}  // namespace
}  // namespace morvik
