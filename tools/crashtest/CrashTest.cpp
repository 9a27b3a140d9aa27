// Kills real confirmations, fails their file calls and cuts their power, on two workstations
// that share their source and target folders, and checks what the next starts make of them.
//
//   morvik-crashtest [--kills N] [--power N] [--seed S] [--folder DIR] [--no-faults]
//
// Two program folders, A and B, each with its own counter (prefixes RADA, RADB), share one
// source and one target folder. Each round puts a request into the source folder (when none is
// waiting) and confirms it in a child process of A with one to four body parts, then:
//   - kill: A is killed at a step boundary, before one of its file calls, or at a random moment
//     (also with every step slowed as on a slow share); a third of these rounds also kill B's
//     start-up; then B starts (and settles A's confirmation while A is dead), then A;
//   - alive: A stops itself in the middle of its confirmation, B starts meanwhile and must leave
//     it alone, then A goes on and must finish it;
//   - power: A records every file call and is killed at a step or call; the folders are then
//     rebuilt as a power cut would leave them (PowerCut.h), and B and A start;
//   - faults (every run, in turn): each file call of a confirmation, then each of a start that
//     settles one, fails once with EIO, ENOSPC and EACCES; then B and A start cleanly.
// A quarter of the rounds refuse renames without replacing, as NFS and CIFS do. After every
// round: each request ordered completely once or not at all, and waiting under a request name
// when not; no claim, journal or temporary left; no accession number repeated or going back
// within its counter; and every line the operator was told is true. Exit status 0 when no round
// broke any of these. The seed is printed; --seed replays a run.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Child.h"
#include "PowerCut.h"
#include "Process.h"
#include "gdt/GdtLine.h"
#include "platform/FileSystem.h"

namespace fs = std::filesystem;
using namespace morvik;
using namespace morvik::crashtest;

namespace {

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
const int kErrors[] = {EIO, ENOSPC, EACCES};
const char* const kErrorNames[] = {"EIO", "ENOSPC", "EACCES"};

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

struct Request {
    std::string bytes;
    bool ordered = false;
};

class CrashTest {
  public:
    CrashTest(fs::path folder, unsigned seed) : root_(std::move(folder)), random_(seed) {
        fs::remove_all(root_);
        for (const char* sub : {"program-a", "program-b", "in", "out"})
            fs::create_directories(root_ / sub);
        for (int p = 0; p < 2; ++p) {
            std::ofstream(program(p) / "Settings.ini", std::ios::binary)
                << "[GDTService]\r\nGDTQuell=" << in().string() << "\r\nGDTZiel=" << out().string()
                << "\r\nKuerzel=CT\r\nKonica=1\r\nAcc=1\r\nAccNum=RAD"
                << "AB"[p] << "\r\n";
        }
    }

    int run(int kills, int powerCuts, bool faults) {
        const auto started = std::chrono::steady_clock::now();
        if (faults) {
            killEveryCall();
            faultRounds();
        }
        while (kills_ < kills || powerCuts_ < powerCuts) {
            fallback_ = kRenameFallbackExists && random_() % 4 == 0;
            const int kind = static_cast<int>(random_() % 10);
            if (powerCuts_ < powerCuts && (kind < 3 || kills_ >= kills)) {
                powerRound();
            } else if (kind == 3) {
                aliveRound();
            } else {
                killRound();
            }
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf(
            "Runden %d, Kills %d (davon Start %d), Stromausfälle %d, Fehlerrunden %d, "
            "Runden ohne Umbenennen-ohne-Ersetzen %d, B startet während A lebt %d, Aufträge "
            "vollständig %d, Anforderungen %zu, Accession Numbers %zu, Meldungen geprüft %d, "
            "Verstöße %d (%.0f s)\n",
            rounds_, kills_, startKills_, powerCuts_, faultRounds_, fallbackRounds_, aliveRounds_,
            ordered_, requests_.size(), numbers_[0].size() + numbers_[1].size(), messagesChecked_,
            violations_, seconds);
        for (const auto& [name, n] : killsBy_) std::printf("  %-44s %d\n", name.c_str(), n);
        return violations_ == 0 ? 0 : 1;
    }

  private:
    fs::path program(int p) const { return root_ / (p == 0 ? "program-a" : "program-b"); }
    fs::path in() const { return root_ / "in"; }
    fs::path out() const { return root_ / "out"; }
    fs::path messages() const { return root_ / "messages.txt"; }
    fs::path calls() const { return root_ / "calls.txt"; }
    fs::path record() const { return root_ / "record.bin"; }
    fs::path planFile() const { return root_ / "plan.txt"; }

    ChildPlan plan(int p, bool confirm) {
        ChildPlan plan;
        plan.program = program(p);
        plan.confirm = confirm;
        plan.forceFallback = fallback_;
        plan.messages = messages();
        plan.seed = static_cast<unsigned>(random_());
        return plan;
    }

    // Runs a child to its end, or kills it after `delay` microseconds. True when killed.
    bool run(const ChildPlan& plan, int delay = 0) {
        const auto started = std::chrono::steady_clock::now();
        ChildProcess child(plan, planFile());
        if (delay > 0) child.KillAfter(delay);
        const ChildProcess::Result result = child.Wait();
        const bool clean = plan.at == 0 && plan.killAtCall == 0 && plan.failCall == 0 && delay == 0;
        if (result.end == ChildProcess::End::Exited && clean && plan.confirm) {
            const double micros = std::chrono::duration<double, std::micro>(
                                      std::chrono::steady_clock::now() - started)
                                      .count();
            typicalMicros_ = typicalMicros_ == 0 ? micros : 0.8 * typicalMicros_ + 0.2 * micros;
        }
        if (clean && result.end == ChildProcess::End::Exited && result.status != 0 &&
            !(plan.confirm && result.status == 3)) {
            fail("ein Lauf ohne Kill endete mit Status " + std::to_string(result.status));
        }
        return result.end == ChildProcess::End::Killed;
    }

    int randomDelay() {
        const int typical = std::max(1000, static_cast<int>(typicalMicros_));
        return 1 + static_cast<int>(random_() % static_cast<unsigned>(typical * 13 / 10));
    }

    void counted(bool killed, const std::string& name, bool start = false) {
        if (!killed) return;
        ++kills_;
        if (start) ++startKills_;
        ++killsBy_[name];
    }

    // A's confirmation, killed at a step, before a file call or at random.
    bool killConfirmation(ChildPlan a, int patient, std::string& name) {
        const unsigned how = random_() % 10;
        if (how < 5) {
            const Plan& step = kConfirmSteps[random_() % kConfirmSteps.size()];
            a.step = step.step;
            a.at = step.at < 0 ? PartsFor(patient) : step.at;
            name = std::string("Kill ") + step.name;
            return run(a);
        }
        if (how < 7) {
            a.killAtCall = 1 + static_cast<int>(random_() % (confirmCalls_ + 1));
            name = "Kill vor einem Dateiaufruf";
            return run(a);
        }
        if (how < 9) {
            name = "Kill zufällig";
            return run(a, randomDelay());
        }
        a.stepDelayMicros = 2000;
        name = "Kill zufällig, langsame Freigabe";
        return run(a, randomDelay() + static_cast<int>(random_() % 12000));
    }

    void killRound() {
        begin();
        std::string name;
        counted(killConfirmation(plan(0, true), waitingPatient(), name), name);
        // Some start-ups of B are killed too, before the one that must settle everything.
        if (random_() % 3 == 0) {
            ChildPlan b = plan(1, false);
            if (random_() % 2 == 0) {
                const Plan& step = kRecoverySteps[random_() % kRecoverySteps.size()];
                b.step = step.step;
                b.at = step.at;
                counted(run(b), std::string("Kill ") + step.name, true);
            } else {
                counted(run(b, randomDelay() / 2), "Kill Start: zufällig", true);
            }
        }
        finish();
    }

    void aliveRound() {
        begin();
        ChildPlan a = plan(0, true);
        const Plan& step = kConfirmSteps[random_() % (kConfirmSteps.size() - 1)];
        a.step = step.step;
        a.at = step.at < 0 ? PartsFor(waitingPatient()) : step.at;
        a.stopInstead = true;
        ChildProcess child(a, planFile());
        if (child.Wait().end == ChildProcess::End::Stopped) {
            ++aliveRounds_;
            run(plan(1, false));  // B's start while A is in the middle
            child.Continue();
            const ChildProcess::Result result = child.Wait();
            if (result.end != ChildProcess::End::Exited || result.status != 0) {
                fail("A wurde nach dem Start von B nicht fertig (" + std::string(step.name) + ")");
            }
        }
        finish();
    }

    void powerRound() {
        begin();
        fs::remove(record());
        PowerCut cut({program(0), program(1), in(), out()});
        ChildPlan a = plan(0, true);
        a.record = record();
        std::string name;
        if (!killConfirmation(a, waitingPatient(), name)) {
            finish();
            return;
        }
        ++powerCuts_;
        ++killsBy_["Stromausfall, " + name];
        cut.Apply(record());
        finish();
    }

    // A killed before each file call of its confirmation in turn, with and without renames
    // without replacing.
    void killEveryCall() {
        for (const bool refused : {false, true}) {
            if (refused && !kRenameFallbackExists) break;
            for (int call = 1;; ++call) {
                fallback_ = refused;
                begin();
                ChildPlan a = plan(0, true);
                a.killAtCall = call;
                const bool killed = run(a);
                counted(killed, refused ? "Kill vor Dateiaufruf n, ohne Umbenennen-ohne-Ersetzen"
                                        : "Kill vor Dateiaufruf n");
                finish();
                if (!killed) break;
            }
        }
        fallback_ = false;
    }

    // Every file call of a confirmation, and of a start that settles one, fails once in turn.
    void faultRounds() {
        for (int e = 0; e < 3; ++e) {
            for (int call = 1;; ++call) {
                begin();
                const int seen = failing(plan(0, true), call, e, "Fehler bei der Bestätigung: ");
                finish();
                if (call >= seen) break;
            }
            for (int call = 1;; ++call) {
                begin();
                std::string name;
                counted(killConfirmation(plan(0, true), waitingPatient(), name), name);
                const int seen = failing(plan(1, false), call, e, "Fehler beim Start: ");
                finish();
                if (call >= seen && call > 12) break;
            }
        }
    }

    // Runs `child` with its `call`-th file call failing with kErrors[e]; how many calls it made.
    int failing(ChildPlan child, int call, int e, const char* label) {
        child.failCall = call;
        child.failError = kErrors[e];
        child.calls = calls();
        fs::remove(calls());
        run(child);
        ++faultRounds_;
        ++killsBy_[label + std::string(kErrorNames[e])];
        return std::atoi(readText(calls()).c_str());
    }

    void begin() {
        ++rounds_;
        if (fallback_) ++fallbackRounds_;
        putRequest();
        fs::remove(messages());
    }

    // The clean starts after a round: B, then A; then the invariants.
    void finish() {
        run(plan(1, false));
        run(plan(0, false));
        if (confirmCalls_ == 0) {
            // Once: how many file calls a confirmation makes, for the kills before a call.
            begin();
            ChildPlan a = plan(0, true);
            a.calls = calls();
            fs::remove(calls());
            run(a);
            confirmCalls_ = std::max(1, std::atoi(readText(calls()).c_str()));
        }
        check();
    }

    void fail(const std::string& what) {
        ++violations_;
        if (violations_ <= 20) std::fprintf(stderr, "VERSTOSS: %s\n", what.c_str());
    }

    int patientOf(const std::string& bytes) const {
        for (const auto& [patient, request] : requests_) {
            if (request.bytes == bytes) return patient;
        }
        return 0;
    }

    int waitingPatient() {
        for (const std::string& name : ListFiles(in())) {
            if (int p = patientOf(ReadFileBytes(in() / name))) return p;
        }
        return 0;
    }

    void putRequest() {
        if (waitingPatient() != 0) return;
        const int patient = static_cast<int>(requests_.size()) + 1;
        std::string text = CreateGDTLine("8000", "6302") +
                           CreateGDTLine("3000", std::to_string(patient)) +
                           CreateGDTLine("3101", "Crash") +
                           CreateGDTLine("3102", "Test" + std::to_string(patient));
        while (text.size() < 2048) text += CreateGDTLine("6228", "Befundzeile");
        requests_[patient] = {text, false};
        std::ofstream(in() / "ANFRAGE.GDT", std::ios::binary) << text;
    }

    // The invariants, after clean starts of both copies.
    void check() {
        const std::string where = "Runde " + std::to_string(rounds_) + ": ";
        for (const fs::path& folder : {program(0), program(1), in(), out()}) {
            for (const FolderEntry& entry : ListEntries(folder)) {
                if (entry.name.front() == '~')
                    fail(where + "übrig: " + (folder / entry.name).string());
            }
        }
        // Requests waiting: each exactly as it came, under a request name, none ordered before.
        std::set<int> waiting;
        for (const std::string& name : ListFiles(in())) {
            const int patient = patientOf(ReadFileBytes(in() / name));
            if (patient == 0) {
                fail(where + "unbekannte Datei im Quellordner " + name);
                continue;
            }
            if (!waiting.insert(patient).second) {
                fail(where + "Anforderung " + std::to_string(patient) + " zweimal da");
            }
            if (requests_[patient].ordered) {
                fail(where + "Anforderung " + std::to_string(patient) +
                     " wieder da, obwohl bestellt");
            }
        }
        // Order files: whole, grouped by patient, numbers by counter.
        std::map<int, std::vector<std::pair<int, std::uint64_t>>> numbersOf;
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
            const int counter = bytes[at + 7] == 'A' ? 0 : 1;
            numbersOf[patient].emplace_back(
                counter, std::stoull(bytes.substr(at + 8, bytes.find('\r', at) - at - 8)));
        }
        std::set<int> complete;
        std::uint64_t highest[2] = {numbers_[0].empty() ? 0 : *numbers_[0].rbegin(),
                                    numbers_[1].empty() ? 0 : *numbers_[1].rbegin()};
        for (const auto& [patient, numbers] : numbersOf) {
            const std::string who = "Patient " + std::to_string(patient);
            if (requests_[patient].ordered) fail(where + who + " zweimal bestellt");
            if (waiting.contains(patient)) fail(where + who + " bestellt und Anforderung noch da");
            if (static_cast<int>(numbers.size()) != PartsFor(patient)) {
                fail(where + who + ": " + std::to_string(numbers.size()) + " statt " +
                     std::to_string(PartsFor(patient)) + " Auftragsdateien");
            } else {
                complete.insert(patient);
            }
            for (const auto& [counter, n] : numbers) {
                if (!numbers_[counter].insert(n).second)
                    fail(where + "Accession Number doppelt: " + std::to_string(n));
                if (n <= highest[counter])
                    fail(where + "Accession Number nicht steigend: " + std::to_string(n));
            }
            requests_[patient].ordered = true;
            ++ordered_;
        }
        for (auto& [patient, request] : requests_) {
            if (!request.ordered && !waiting.contains(patient)) {
                fail(where + "Anforderung " + std::to_string(patient) + " verloren");
            }
        }
        checkMessages(where, complete, numbersOf, waiting);
        for (const std::string& name : ListFiles(out())) fs::remove(out() / name);
    }

    // What the operators were told this round, held against what the folders show.
    void checkMessages(const std::string& where, const std::set<int>& complete,
                       const std::map<int, std::vector<std::pair<int, std::uint64_t>>>& orders,
                       const std::set<int>& waiting) {
        std::istringstream lines(readText(messages()));
        for (std::string line; std::getline(lines, line);) {
            const std::size_t tab = line.find('\t');
            int patient = std::atoi(line.substr(0, tab).c_str());
            const std::string text = line.substr(tab + 1);
            const std::size_t named = text.find("Patient ");
            if (named != std::string::npos) patient = std::atoi(text.c_str() + named + 8);
            const bool ordered = complete.contains(patient);
            const bool nothing = !orders.contains(patient) && waiting.contains(patient);
            bool wrong = false;
            if (text.find("erfolgreich angelegt") != std::string::npos ||
                text.find("vollständig angelegt;") != std::string::npos ||
                text.find("noch nicht vollständig angelegt") != std::string::npos) {
                wrong = !ordered;
            } else if (text.find("nichts angelegt") != std::string::npos ||
                       text.find("konnte nicht angelegt werden") != std::string::npos) {
                wrong = !nothing;
            } else {
                continue;
            }
            ++messagesChecked_;
            if (wrong) fail(where + "dem Bediener gesagt, aber nicht wahr: " + text);
        }
    }

    fs::path root_;
    std::mt19937 random_;
    std::map<int, Request> requests_;
    std::set<std::uint64_t> numbers_[2];
    std::map<std::string, int> killsBy_;
    double typicalMicros_ = 0;
    int confirmCalls_ = 0;
    bool fallback_ = false;
    int rounds_ = 0;
    int kills_ = 0;
    int startKills_ = 0;
    int powerCuts_ = 0;
    int faultRounds_ = 0;
    int fallbackRounds_ = 0;
    int aliveRounds_ = 0;
    int ordered_ = 0;
    int messagesChecked_ = 0;
    int violations_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    // A child started as a program of its own (Windows): its plan is in the file named.
    if (argc == 3 && std::string(argv[1]) == "--child") {
        RunChild(PlanFromText(ReadFileBytes(PathFromUtf8(argv[2]))));
    }
    int kills = 200;
    int power = 0;
    bool faults = true;
    unsigned seed = static_cast<unsigned>(std::random_device{}());
    fs::path folder =
        fs::temp_directory_path() / ("morvik-crashtest-" + std::to_string(std::random_device{}()));
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (option == "--no-faults") {
            faults = false;
        } else if (option == "--kills" && value) {
            kills = std::atoi(argv[++i]);
        } else if (option == "--power" && value) {
            power = std::atoi(argv[++i]);
        } else if (option == "--seed" && value) {
            seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (option == "--folder" && value) {
            folder = argv[++i];
        } else {
            std::fprintf(stderr,
                         "Aufruf: morvik-crashtest [--kills N] [--power N] [--seed S] "
                         "[--folder DIR] [--no-faults]\n");
            return 2;
        }
    }
    std::printf(
        "morvik-crashtest: %d Kills, %d Stromausfälle, Startwert %u (--seed %u "
        "wiederholt den Lauf), Ordner %s\n",
        kills, power, seed, seed, Utf8Path(folder).c_str());
    std::fflush(stdout);
    CrashTest test(folder, seed);
    const int result = test.run(kills, power, faults);
    if (result == 0) fs::remove_all(folder);
    return result;
}
