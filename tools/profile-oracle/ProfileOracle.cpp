// Runs a script of profile operations through GetPrivateProfileStringA and
// WritePrivateProfileStringA and writes down every result, so that the settings file code can be
// compared with an independent implementation of those functions (built for Windows, run under
// Wine by the tests).
//
//   ProfileOracle SCRIPT RESULTS
//
// Every script line is one operation; its fields are separated by one blank and every text is
// written as "x" followed by its bytes in hex, so blanks, quotes and line ends pass unchanged.
// File names are relative to the working folder.
//   R file section key default size  ->  "R x<value>"      (GetPrivateProfileStringA)
//   W file section key value         ->  "W 1" or "W 0"    (WritePrivateProfileStringA)
//   F file                           ->  "F x<bytes>", or "F -" when there is no such file
// The first result line is "A <ANSI code page>".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string unhex(const std::string& field) {
    std::string bytes;
    for (std::size_t i = 1; i + 1 < field.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::strtoul(field.substr(i, 2).c_str(), nullptr, 16)));
    }
    return bytes;
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out = "x";
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

bool readWhole(const std::string& path, std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
    return true;
}

// The profile functions look for a bare file name in the Windows folder: give them a full path.
std::string fullPath(const std::string& name) {
    char buffer[MAX_PATH];
    DWORD n = GetFullPathNameA(name.c_str(), MAX_PATH, buffer, nullptr);
    return std::string(buffer, n);
}

std::string run(const std::vector<std::string>& f) {
    if (f[0] == "R" && f.size() == 6) {
        std::vector<char> buffer(std::strtoul(f[5].c_str(), nullptr, 10) + 1, '\0');
        DWORD n = GetPrivateProfileStringA(
            unhex(f[2]).c_str(), unhex(f[3]).c_str(), unhex(f[4]).c_str(), buffer.data(),
            static_cast<DWORD>(buffer.size() - 1), fullPath(unhex(f[1])).c_str());
        return "R " + hex(std::string(buffer.data(), n));
    }
    if (f[0] == "W" && f.size() == 5) {
        BOOL ok = WritePrivateProfileStringA(unhex(f[2]).c_str(), unhex(f[3]).c_str(),
                                             unhex(f[4]).c_str(), fullPath(unhex(f[1])).c_str());
        return ok ? "W 1" : "W 0";
    }
    if (f[0] == "F" && f.size() == 2) {
        std::string bytes;
        return readWhole(fullPath(unhex(f[1])), bytes) ? "F " + hex(bytes) : "F -";
    }
    return "? bad script line";
}

}  // namespace

int main(int argc, char** argv) {
    std::string script;
    if (argc != 3 || !readWhole(argv[1], script)) {
        std::fprintf(stderr, "usage: ProfileOracle SCRIPT RESULTS\n");
        return 2;
    }
    FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 2;
    std::fprintf(out, "A %u\n", GetACP());
    std::size_t start = 0;
    while (start < script.size()) {
        std::size_t end = script.find('\n', start);
        if (end == std::string::npos) end = script.size();
        std::vector<std::string> fields;
        std::size_t p = start;
        while (p <= end) {
            std::size_t blank = script.find(' ', p);
            if (blank == std::string::npos || blank > end) blank = end;
            fields.push_back(script.substr(p, blank - p));
            p = blank + 1;
        }
        std::string result = run(fields);
        std::fprintf(out, "%s\n", result.c_str());
        start = end + 1;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
