// Kills real confirmations with SIGKILL and checks what the next start makes of them.
//
//   morvik-crashtest [--kills N] [--seed S] [--folder DIR]
//
// Each round puts a request into the source folder (when none is waiting), confirms it in a
// child process with one to four body parts and accession numbers, and kills the child: at a
// step boundary (after the claim, after the first and the last staged file, after the journal,
// after the first and the last rename, after the deletion), at a random moment, or not at all.
// Some rounds then kill the start-up that settles the confirmation, again at a step or at
// random. After a clean start-up the folders must show: every request ordered completely once
// (all its order files, whole, and the request gone) or not at all (the request back, no order
// file of it); no claim, journal or temporary file left; every accession number new and higher
// than all before. Exit status 0 when no round broke any of these.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/Confirmation.h"
#include "app/OrderSession.h"
#include "diag/ErrorLog.h"
#include "gdt/GdtLine.h"
#include "platform/FileSystem.h"

namespace fs = std::filesystem;
using namespace morvik;

namespace {

class FixedClock final : public Clock {
  public:
    std::string date() override { return "05.12.2026"; }
    std::string time() override { return "14:03:07"; }
};

class SilentOperator final : public Operator {
  public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
    void ProcessEvents() override {}
};

// ---- The child: one start-up, and a confirmation unless it only settles -------------------

ConfirmStep killStep = ConfirmStep::Finished;
int killAt = 0;       // kill at this occurrence of killStep; 0: never
int delayMicros = 0;  // at every step, to widen the windows between them like a slow share
unsigned childSeed = 1;

void stepHook(ConfirmStep step) {
    static int seen = 0;
    if (delayMicros > 0) ::usleep(static_cast<useconds_t>(rand_r(&childSeed) % delayMicros));
    if (killAt > 0 && step == killStep && ++seen == killAt) ::kill(::getpid(), SIGKILL);
}

int partsFor(int patient) {
    return 1 + patient % 4;
}

[[noreturn]] void runChild(const fs::path& program, bool confirm) {
    SetStepHook(stepHook);
    FixedClock clock;
    ErrorLog log(program, clock);
    SilentOperator op;
    OrderSession session(program, log, op, nullptr);
    session.Form_Load();
    if (!confirm) ::_exit(0);
    std::vector<BodyPartEntry> rows;
    for (int i = 1; i <= 4; ++i) rows.push_back({"Teil " + std::to_string(i), "T", "F"});
    session.FillCatalogue(rows);
    const std::string& id = session.Patient().id;  // "ID: 17"
    const int patient = id.size() > 4 ? std::atoi(id.c_str() + 4) : 0;
    for (int r = 1; r <= partsFor(patient); ++r) {
        session.SelectCatalogueRow(static_cast<std::size_t>(r));
        session.lvBodyparts_DblClick();
    }
    ::_exit(session.cmdOK_Click("Crashtest") == OrderSession::Confirmation::Done ? 0 : 3);
}

// ---- The parent ------------------------------------------------------------------------------

struct Plan {
    const char* name;
    ConfirmStep step;
    int at;  // occurrence; -1: the last of the request's body parts
};

const std::vector<Plan> kConfirmSteps = {
    {"nach dem Beanspruchen", ConfirmStep::Claimed, 1},
    {"nach der ersten Datei", ConfirmStep::Staged, 1},
    {"nach der letzten Datei", ConfirmStep::Staged, -1},
    {"nach dem Journal", ConfirmStep::Journaled, 1},
    {"nach der ersten Umbenennung", ConfirmStep::Renamed, 1},
    {"nach der letzten Umbenennung", ConfirmStep::Renamed, -1},
    {"nach dem Löschen", ConfirmStep::RequestDeleted, 1},
    {"am Ende", ConfirmStep::Finished, 1},
};
const std::vector<Plan> kRecoverySteps = {
    {"Start: nach der ersten Umbenennung", ConfirmStep::RecoveryRenamed, 1},
    {"Start: nach dem Löschen", ConfirmStep::RecoveryRequestDeleted, 1},
    {"Start: nach dem Zurückgeben", ConfirmStep::RecoveryGivenBack, 1},
};

struct Request {
    std::string bytes;
    bool ordered = false;
};

class CrashTest {
  public:
    CrashTest(fs::path folder, unsigned seed) : root_(std::move(folder)), random_(seed) {
        fs::remove_all(root_);
        for (const char* sub : {"program", "in", "out"}) fs::create_directories(root_ / sub);
        std::ofstream(program() / "Settings.ini", std::ios::binary)
            << "[GDTService]\r\nGDTQuell=" << (root_ / "in").string()
            << "\r\nGDTZiel=" << (root_ / "out").string()
            << "\r\nKuerzel=CT\r\nKonica=1\r\nAcc=1\r\nAccNum=RAD\r\n";
    }

    int run(int kills) {
        const auto started = std::chrono::steady_clock::now();
        int round = 0;
        while (kills_ < kills) {
            ++round;
            putRequest();
            const int mode = static_cast<int>(random_() % 10);
            const int patient = waitingPatient();
            if (mode < 5) {
                const Plan& plan = kConfirmSteps[random_() % kConfirmSteps.size()];
                int at = plan.at < 0 ? partsFor(patient) : plan.at;
                count(child(true, plan.step, at, 0), plan.name);
            } else if (mode < 7) {
                count(child(true, ConfirmStep::Finished, 0, randomDelay()), "zufällig");
            } else if (mode < 9) {
                // As on a slow share: every step takes up to 2 ms longer.
                count(
                    child(true, ConfirmStep::Finished, 0, randomDelay() + random_() % 12000, 2000),
                    "zufällig, langsame Freigabe");
            } else {
                count(child(true, ConfirmStep::Finished, 0, 0), nullptr);
            }
            // Some start-ups are killed too, before the one that must settle everything.
            if (random_() % 3 == 0) {
                if (random_() % 2 == 0) {
                    const Plan& plan = kRecoverySteps[random_() % kRecoverySteps.size()];
                    count(child(false, plan.step, plan.at, 0), plan.name);
                } else {
                    count(child(false, ConfirmStep::Finished, 0, randomDelay() / 2),
                          "Start: zufällig");
                }
            }
            child(false, ConfirmStep::Finished, 0, 0);
            check(round);
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf(
            "Runden %d, Kills %d, Aufträge vollständig %d, Anforderungen %zu, "
            "Accession Numbers %zu, Verstöße %d (%.0f s)\n",
            round, kills_, ordered_, requests_.size(), numbers_.size(), violations_, seconds);
        for (const auto& [name, n] : killsBy_) std::printf("  Kills %-36s %d\n", name.c_str(), n);
        return violations_ == 0 ? 0 : 1;
    }

  private:
    fs::path program() const { return root_ / "program"; }
    fs::path in() const { return root_ / "in"; }
    fs::path out() const { return root_ / "out"; }

    int randomDelay() {
        const int typical = std::max(1000, static_cast<int>(typicalMicros_));
        return static_cast<int>(random_() % static_cast<unsigned>(typical * 13 / 10));
    }

    // Runs one child; `delay` > 0 kills it after that many microseconds. True when killed.
    bool child(bool confirm, ConfirmStep step, int at, int delay, int stepDelay = 0) {
        const auto started = std::chrono::steady_clock::now();
        const unsigned seed = static_cast<unsigned>(random_());
        pid_t pid = ::fork();
        if (pid < 0) {
            std::perror("fork");
            std::exit(2);
        }
        if (pid == 0) {
            killStep = step;
            killAt = at;
            delayMicros = stepDelay;
            childSeed = seed;
            runChild(program(), confirm);
        }
        if (delay > 0) {
            ::usleep(static_cast<useconds_t>(delay));
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        if (!killed && confirm && at == 0 && delay == 0) {
            const double micros = std::chrono::duration<double, std::micro>(
                                      std::chrono::steady_clock::now() - started)
                                      .count();
            typicalMicros_ = typicalMicros_ == 0 ? micros : 0.8 * typicalMicros_ + 0.2 * micros;
        }
        if (!killed && WIFEXITED(status) && WEXITSTATUS(status) != 0 && at == 0 && delay == 0) {
            fail("ein Durchlauf ohne Kill endete mit Status " +
                 std::to_string(WEXITSTATUS(status)));
        }
        return killed;
    }

    void count(bool killed, const char* name) {
        if (!killed || name == nullptr) return;
        ++kills_;
        ++killsBy_[name];
    }

    void fail(const std::string& what) {
        ++violations_;
        if (violations_ <= 20) std::fprintf(stderr, "VERSTOSS: %s\n", what.c_str());
    }

    int waitingPatient() {
        for (const std::string& name : ListFiles(in())) {
            const std::string bytes = ReadFileBytes(in() / name);
            for (auto& [patient, request] : requests_) {
                if (request.bytes == bytes) return patient;
            }
        }
        return 0;
    }

    void putRequest() {
        if (!ListFiles(in()).empty()) return;
        const int patient = static_cast<int>(requests_.size()) + 1;
        std::string text = CreateGDTLine("8000", "6302") +
                           CreateGDTLine("3000", std::to_string(patient)) +
                           CreateGDTLine("3101", "Crash") +
                           CreateGDTLine("3102", "Test" + std::to_string(patient));
        while (text.size() < 2048) text += CreateGDTLine("6228", "Befundzeile");
        requests_[patient] = {text, false};
        std::ofstream(in() / "ANFRAGE.GDT", std::ios::binary) << text;
    }

    // The invariants, after a clean start-up.
    void check(int round) {
        const std::string where = "Runde " + std::to_string(round) + ": ";
        for (const fs::path& folder : {program(), in(), out()}) {
            for (const FolderEntry& entry : ListEntries(folder)) {
                if (entry.name.front() == '~')
                    fail(where + "übrig: " + (folder / entry.name).string());
            }
        }
        // Requests waiting: each exactly as it came, none ordered before.
        std::set<int> waiting;
        for (const std::string& name : ListFiles(in())) {
            const std::string bytes = ReadFileBytes(in() / name);
            bool known = false;
            for (auto& [patient, request] : requests_) {
                if (request.bytes != bytes) continue;
                known = true;
                waiting.insert(patient);
                if (request.ordered)
                    fail(where + "Anforderung " + std::to_string(patient) +
                         " wieder da, obwohl bestellt");
            }
            if (!known) fail(where + "unbekannte Anforderung " + name);
        }
        // Order files: whole, grouped by patient.
        std::map<int, std::vector<std::string>> numbersOf;
        for (const std::string& name : ListFiles(out())) {
            const std::string bytes = ReadFileBytes(out() / name);
            int patient = 0;
            for (auto& [p, request] : requests_) {
                if (bytes.starts_with(request.bytes)) patient = p;
            }
            const std::size_t at = bytes.find("4100RAD");
            if (patient == 0 || !name.ends_with(".gdt") || !bytes.ends_with("8315CT\r\n") ||
                at == std::string::npos) {
                fail(where + "unvollständige Auftragsdatei " + name);
                continue;
            }
            numbersOf[patient].push_back(bytes.substr(at + 7, bytes.find('\r', at) - at - 7));
        }
        std::uint64_t highest = numbers_.empty() ? 0 : *numbers_.rbegin();
        std::uint64_t newHighest = highest;
        for (const auto& [patient, numbers] : numbersOf) {
            const std::string who = "Patient " + std::to_string(patient);
            if (requests_[patient].ordered) fail(where + who + " zweimal bestellt");
            if (waiting.contains(patient)) fail(where + who + " bestellt und Anforderung noch da");
            if (static_cast<int>(numbers.size()) != partsFor(patient)) {
                fail(where + who + ": " + std::to_string(numbers.size()) + " statt " +
                     std::to_string(partsFor(patient)) + " Auftragsdateien");
            }
            for (const std::string& text : numbers) {
                const std::uint64_t n = std::stoull(text);
                if (!numbers_.insert(n).second) fail(where + "Accession Number doppelt: " + text);
                if (n <= highest) fail(where + "Accession Number nicht steigend: " + text);
                newHighest = std::max(newHighest, n);
            }
            requests_[patient].ordered = true;
            ++ordered_;
        }
        (void)newHighest;
        for (auto& [patient, request] : requests_) {
            if (!request.ordered && !waiting.contains(patient)) {
                fail(where + "Anforderung " + std::to_string(patient) + " verloren");
            }
        }
        for (const std::string& name : ListFiles(out())) fs::remove(out() / name);
    }

    fs::path root_;
    std::mt19937 random_;
    std::map<int, Request> requests_;
    std::set<std::uint64_t> numbers_;
    std::map<std::string, int> killsBy_;
    double typicalMicros_ = 0;
    int kills_ = 0;
    int ordered_ = 0;
    int violations_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    int kills = 200;
    unsigned seed = static_cast<unsigned>(std::random_device{}());
    fs::path folder =
        fs::temp_directory_path() / ("morvik-crashtest-" + std::to_string(::getpid()));
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--kills") {
            kills = std::atoi(argv[i + 1]);
        } else if (option == "--seed") {
            seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
        } else if (option == "--folder") {
            folder = argv[i + 1];
        } else {
            std::fprintf(stderr,
                         "Aufruf: morvik-crashtest [--kills N] [--seed S] [--folder DIR]\n");
            return 2;
        }
    }
    std::printf("morvik-crashtest: %d Kills, Startwert %u, Ordner %s\n", kills, seed,
                folder.c_str());
    CrashTest test(folder, seed);
    const int result = test.run(kills);
    if (result == 0) fs::remove_all(folder);
    return result;
}
