#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>

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

constexpr unsigned kSeed = 20611;
constexpr int kCases = 400;
const std::string kBom = "\xEF\xBB\xBF";

struct Op {
    char kind;                       // 'R' read, 'W' write
    std::string section, key, text;  // text: default of a read, value of a write
    int size = 256;
};

struct Case {
    std::optional<std::string> file;
    std::vector<Op> ops;
    std::size_t finalReads = 0;  // ops from here on are also read from Morvik's written file
};

// Bytes made visible: printable ASCII as it is, everything else escaped, long runs counted.
std::string Shown(std::string_view bytes) {
    std::ostringstream out;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t run = bytes.find_first_not_of(bytes[i], i);
        run = (run == std::string_view::npos ? bytes.size() : run) - i;
        auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out << bytes[i];
        } else {
            out << "\\x"
                << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
        }
        if (run > 6) out << "{" << run << "}";
        i += run > 6 ? run : 1;
    }
    return out.str();
}

std::string Hex(std::string_view bytes) {
    std::string out = "x";
    for (unsigned char c : bytes) {
        out += "0123456789abcdef"[c >> 4];
        out += "0123456789abcdef"[c & 15];
    }
    return out;
}

std::string Unhex(std::string_view field) {
    std::string bytes;
    for (std::size_t i = 1; i + 1 < field.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(std::string(field.substr(i, 2)), nullptr, 16));
    }
    return bytes;
}

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

std::vector<std::string> Split(std::string_view list) {
    std::vector<std::string> items;
    for (std::size_t bar; (bar = list.find('|')) != std::string_view::npos;
         list.remove_prefix(bar + 1)) {
        items.emplace_back(list.substr(0, bar));
    }
    items.emplace_back(list);
    return items;
}

class Generator {
  public:
    Case next() {
        Case c;
        std::vector<std::string> sections = some(kSections), keys = some(kKeys);
        if (!chance(5)) c.file = file(sections, keys);
        int reads = 3 + pick(4);
        for (int i = 0; i < reads; ++i) {
            c.ops.push_back({'R', cased(oneOf(sections, kSections)), cased(oneOf(keys, kKeys)),
                             any(kDefaults), any(kSizes)});
        }
        for (int writes = chance(20) ? 2 : 1; writes > 0; --writes) {
            Op write{'W', cased(oneOf(sections, kSections)), cased(oneOf(keys, kKeys)), value()};
            c.ops.push_back(write);
            sections.push_back(write.section);
            keys.push_back(write.key);
            c.finalReads = c.ops.size();
            for (const auto& s : sections) {
                for (const auto& k : keys) c.ops.push_back({'R', s, k, "DEF"});
            }
        }
        return c;
    }

  private:
    // Names with blanks, quotes, "#" and Windows-1252 letters; their letter case varies by line.
    inline static const std::vector<std::string> kSections = {
        "GDTService", "S", "Other", "A b", "\xC4rzte", "Gr\xFC\xDF"};
    inline static const std::vector<std::string> kKeys = {
        "Kuerzel", "K", "Modalitaet1", "x y", "\326ffnen", "\"q\"", "#K", "\232a"};
    inline static const std::vector<std::string> kDefaults = {
        "DEF", "", "Modalit\xE4t 3", "d  ", " 1", "  ", "'q'"};
    inline static const std::vector<int> kSizes = {256, 256, 256, 256, 256, 16, 2, 1};
    inline static const std::vector<std::string> kBlanks = {" ", "\t", "\v", "\f", "\x1A"};
    // Plain, with "=" ";" "#", Windows-1252 bytes (the five undefined ones too), quotes.
    inline static const std::vector<std::string> kValues = Split(
        "1|0|gdt|C:\\GDT\\|a b|x=y|a;b|#1|R\xF6ntgen|\x80 "
        "5|\x81\x8D\x8F\x90\x9D|\xFF\xA0\xBB|\"|'|\"\"|"
        "\"a\"b\"|'a\"|&H10");

    int pick(std::size_t n) { return std::uniform_int_distribution<int>(0, int(n) - 1)(rng_); }
    bool chance(int percent) { return pick(100) < percent; }
    template <class T>
    const T& any(const std::vector<T>& v) {
        return v[pick(v.size())];
    }

    std::vector<std::string> some(const std::vector<std::string>& pool) {
        std::vector<std::string> chosen;
        for (int n = 2 + pick(3); n > 0; --n) chosen.push_back(any(pool));
        return chosen;
    }
    // Mostly a name of this case, now and then one that is not in its file.
    const std::string& oneOf(const std::vector<std::string>& mine,
                             const std::vector<std::string>& pool) {
        return chance(85) ? any(mine) : any(pool);
    }
    std::string cased(std::string name) {
        for (char& ch : name) {
            auto c = static_cast<unsigned char>(ch);
            bool letter = (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
            bool latin = c >= 0xC0 && c != 0xD7 && c != 0xF7 && c != 0xDF && c != 0xFF;
            if ((letter || latin) && chance(30)) ch = static_cast<char>(c ^ 0x20);
            if ((c == 0x8A || c == 0x9A) && chance(30)) ch = static_cast<char>(c ^ 0x10);
        }
        return name;
    }
    std::string blanks() {
        std::string b;
        if (chance(30)) {
            for (int n = 1 + pick(3); n > 0; --n) b += any(kBlanks);
        }
        return b;
    }
    std::string value() {
        int form = pick(100);
        if (form < 10) return "";
        if (form < 50) return any(kValues);
        if (form < 70) {
            const char* q = chance(50) ? "\"" : "'";
            return q + blanks() + any(kValues) + blanks() + (chance(85) ? q : "");
        }
        static const std::vector<int> lengths = {253, 254, 255, 256, 257, 300};
        std::string v(any(lengths), chance(50) ? 'x' : '\xE4');
        v[v.size() / 2] = ' ';
        if (chance(40)) v.front() = v.back() = chance(50) ? '"' : '\'';
        return v;
    }
    std::string line(const std::vector<std::string>& keys) {
        int form = pick(100);
        std::string key = cased(any(keys));
        if (form < 70) return blanks() + key + blanks() + "=" + blanks() + value() + blanks();
        if (form < 75) return blanks() + key + blanks();  // no "=": a key without value
        if (form < 83) return blanks() + ";" + key + "=" + value();
        if (form < 88) return "#" + key + "=" + value();
        if (form < 92) return blanks() + "=" + value();
        return blanks();
    }
    std::string header(const std::vector<std::string>& sections) {
        std::string name = blanks() + cased(any(sections)) + blanks();
        int form = pick(100);
        if (form < 10) return blanks() + "[" + name;  // no closing bracket
        if (form < 15) return "[" + name + "] ; " + any(kValues);
        if (form < 18) return "[" + name + "]x]";
        return blanks() + "[" + name + "]" + blanks();
    }
    std::string file(const std::vector<std::string>& sections,
                     const std::vector<std::string>& keys) {
        static const std::vector<std::string> ends = {"\r\n", "\n", "\r"};
        int endForm = pick(5);  // one of the three throughout, or mixed
        std::vector<std::string> lines;
        if (chance(10)) lines.push_back(line(keys));
        for (int s = 1 + pick(4); s > 0; --s) {
            lines.push_back(header(sections));
            for (int k = pick(6); k > 0; --k) lines.push_back(line(keys));
        }
        std::string text = chance(10) ? kBom : "";
        for (std::size_t i = 0; i < lines.size(); ++i) {
            text += lines[i];
            if (i + 1 < lines.size() || !chance(15))
                text += endForm < 3 ? ends[endForm] : any(ends);
        }
        return text;
    }

    std::mt19937 rng_{kSeed};
};

// Wine reads a UTF-8 mark as an encoding; a line end before it makes Wine read as Windows does.
std::string AsWindowsReadsIt(const std::string& bytes) {
    return bytes.rfind(kBom, 0) == 0 ? "\r\n" + bytes : bytes;
}

std::string Describe(const Op& op) {
    std::string what = op.kind == 'R' ? "read [" : "write [";
    what += Shown(op.section) + "] " + Shown(op.key);
    return what + (op.kind == 'R'
                       ? " default \"" + Shown(op.text) + "\" size " + std::to_string(op.size)
                       : " = \"" + Shown(op.text) + "\"");
}

TEST(ProfileDifferential, ReadsAndWritesAsTheWindowsProfileFunctions) {
    if (*test::kProfileOracleMissing) GTEST_SKIP() << test::kProfileOracleMissing;
    TempFolder dir;
    Generator generator;
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
