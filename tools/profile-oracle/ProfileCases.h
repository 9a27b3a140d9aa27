#pragma once
// Seeded cases of Windows profile operations on Settings.ini-like files, and the script format
// that the profile oracle (ProfileOracle.cpp, a Windows program) runs. The same script can be
// run on a real Windows machine to see where Wine and Windows differ.

#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace morvik::profile {

inline const std::string kBom = "\xEF\xBB\xBF";

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
inline std::string Shown(std::string_view bytes) {
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

inline std::string Hex(std::string_view bytes) {
    std::string out = "x";
    for (unsigned char c : bytes) {
        out += "0123456789abcdef"[c >> 4];
        out += "0123456789abcdef"[c & 15];
    }
    return out;
}

inline std::string Unhex(std::string_view field) {
    std::string bytes;
    for (std::size_t i = 1; i + 1 < field.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(std::string(field.substr(i, 2)), nullptr, 16));
    }
    return bytes;
}

inline std::vector<std::string> Split(std::string_view list) {
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
    explicit Generator(unsigned seed) : rng_(seed) {}
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

    std::mt19937 rng_;
};

// Wine reads a UTF-8 mark as an encoding; a line end before it makes Wine read as Windows does.
inline std::string AsWindowsReadsIt(const std::string& bytes) {
    return bytes.rfind(kBom, 0) == 0 ? "\r\n" + bytes : bytes;
}

inline std::string Describe(const Op& op) {
    std::string what = op.kind == 'R' ? "read [" : "write [";
    what += Shown(op.section) + "] " + Shown(op.key);
    return what + (op.kind == 'R'
                       ? " default \"" + Shown(op.text) + "\" size " + std::to_string(op.size)
                       : " = \"" + Shown(op.text) + "\"");
}

}  // namespace morvik::profile
