// Another program on the same machine, for the tests of sharing on Windows:
//   hold <file> <milliseconds> <ready event>   holds the file open without delete sharing (as a
//                                               virus scanner or the search indexer does), says
//                                               so through the event, and lets go after the time
//   run <file> <milliseconds> <ready file>     holds the file as Windows holds a running program
//                                               (nobody writes or deletes it), and makes the
//                                               ready file when it does: for scripts
//   claim <folder> <who> <rounds> <prefix>      claims "ANFRAGE.GDT" as <who> once per round,
//                                               when the parent sets "<prefix>go-<who>"; writes
//                                               one letter a round to "<who>.txt" at the end
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "platform/FileSystem.h"

using namespace morvik;

namespace {

int hold(const fs::path& file, DWORD millis, const std::wstring& ready) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 2;
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, ready.c_str());
    if (event == nullptr || !SetEvent(event)) return 2;
    Sleep(millis);
    CloseHandle(h);
    return 0;
}

int runLike(const fs::path& file, DWORD millis, const fs::path& ready) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 2;
    WriteFileAtomically(ready, "");
    Sleep(millis);
    CloseHandle(h);
    return 0;
}

// D claimed, T taken by the other (or gone before it could be held), X claimed a file that was
// not the one held.
char claimOnce(const fs::path& folder, const std::string& who, int round) {
    const fs::path claim = folder / ("claim-" + who + "-" + std::to_string(round));
    try {
        HeldFile held(folder / "ANFRAGE.GDT");
        if (held.ClaimAs(claim) != RenameOutcome::Done) return 'T';
        return held.IsAt(claim) ? 'D' : 'X';
    } catch (const AppError& e) {
        if (e.Number() == err::FileNotFound) return 'T';
        throw;
    }
}

int claim(const fs::path& folder, const std::string& who, int rounds, const std::wstring& prefix) {
    const std::wstring me(who.begin(), who.end());
    HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, (prefix + L"go-" + me).c_str());
    HANDLE done = OpenEventW(EVENT_MODIFY_STATE, FALSE, (prefix + L"done-" + me).c_str());
    if (go == nullptr || done == nullptr) return 2;
    std::string letters;
    for (int round = 0; round < rounds; ++round) {
        if (WaitForSingleObject(go, 60000) != WAIT_OBJECT_0) return 2;
        letters.push_back(claimOnce(folder, who, round));
        SetEvent(done);
    }
    WriteFileAtomically(folder / (who + ".txt"), letters);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        const std::wstring mode = argc > 1 ? argv[1] : L"";
        if (mode == L"hold" && argc == 5) return hold(argv[2], std::stoul(argv[3]), argv[4]);
        if (mode == L"run" && argc == 5) return runLike(argv[2], std::stoul(argv[3]), argv[4]);
        if (mode == L"claim" && argc == 6) {
            const std::wstring who = argv[3];
            return claim(argv[2], std::string(who.begin(), who.end()), std::stoi(argv[4]), argv[5]);
        }
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 3;
    }
}
