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
//     (B plays another workstation: on a share whose locks reach no other workstation, or whose
//     locks cannot be tested at all, its journal lease must keep it off A's confirmation);
//   - power: A records every file call and is killed at a step or call, or ends normally, or a
//     start that settles a killed confirmation records its calls and is killed or ends; then
//     three states such a cut may leave are built in turn (PowerCut.h), and B and A start; in
//     half of these rounds each state is cut right before another of the recorded flushes,
//     where the most is still unflushed; in a third of the states A's program folder is on a
//     share that cannot flush folders and says it did, and support raises A's counter to the
//     counter note, as the stopped order asks; in every other state no counter may be left
//     behind its note;
//   - faults (every run, in turn): each file call of a confirmation (of one to four body parts),
//     then each of a start that settles one, fails once with EIO, ENOSPC and EACCES, and once is
//     done but reported failed;
//     a quarter of the kill rounds let the first reads of journals, claims and temporaries fail
//     once in the start that settles them; then B and A start cleanly.
// A quarter of the rounds refuse renames without replacing, as NFS and CIFS do. After every
// round: each request ordered completely once or not at all, and waiting under a request name
// when not; no claim, journal or temporary left; no accession number repeated or going back
// within its counter; and every line the operator was told is true. A request still waiting
// is then confirmed by B, which must succeed: a run in which fewer than half the rounds end in
// a complete order fails. Exit status 0 when no round broke any of these. The seed is printed;
// --seed replays the same rounds (each round draws from its own seed; where a random kill lands
// depends on the machine's speed).
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Child.h"
#include "PowerCut.h"
#include "Process.h"
#include "gdt/AccessionCounter.h"
#include "gdt/GdtLine.h"
#include "platform/FileCalls.h"
#include "platform/FileSystem.h"
#include "worklist/WorklistItem.h"

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
    {"nach dem Journal", ConfirmStep::PublishRecorded, 1},
    {"nach der ersten Umbenennung", ConfirmStep::Renamed, 1},
    {"nach der letzten Umbenennung", ConfirmStep::Renamed, -1},
    {"nach dem Löschen", ConfirmStep::RequestDeleted, 1},
    {"nach dem Entfernen des Journals", ConfirmStep::JournalRemoved, 1},
    {"am Ende", ConfirmStep::Finished, 1},
};
const std::vector<Plan> kRecoverySteps = {
    {"Start: nach der ersten Umbenennung", ConfirmStep::RecoveryRenamed, 1},
    {"Start: nach dem Löschen", ConfirmStep::RecoveryRequestDeleted, 1},
    {"Start: nach dem Zurückgeben", ConfirmStep::RecoveryGivenBack, 1},
};
const int kErrors[] = {EIO, ENOSPC, EACCES};
// How long a journal stays its writer's while B runs beside a live A: far beyond any round.
constexpr int kLiveLeaseSeconds = 600;
// The power-cut states built from each cut.
constexpr int kStatesPerCut = 3;
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
    CrashTest(fs::path folder, unsigned seed)
        : root_(std::move(folder)), seed_(seed), random_(seed) {
        fs::remove_all(root_);
        for (const char* sub : {"program-a", "program-b", "in", "out", "worklist"})
            fs::create_directories(root_ / sub);
        for (int p = 0; p < 2; ++p) {
            std::ofstream settings(program(p) / "Settings.ini", std::ios::binary);
            settings << "[GDTService]\r\nGDTQuell=" << in().string()
                     << "\r\nGDTZiel=" << out().string()
                     << "\r\nKuerzel=CT\r\nKonica=1\r\nAcc=1\r\nAccNum=RAD"
                     << "AB"[p] << "\r\n";
            // Where the build can write worklist items, every order file gets one.
            if (WorklistAvailable()) {
                settings << "[Worklist]\r\nAktiv=1\r\nOrdner=" << worklist().string() << "\r\n";
            }
        }
    }

    int run(int kills, int powerCuts, bool faults) {
        const auto started = std::chrono::steady_clock::now();
        if (faults) {
            killEveryCall();
            faultRounds();
        }
        // Rounds are counted as planned, and each draws from a seed of its own, so that a seed
        // replays the same rounds whatever the timing made of the kills before.
        int plannedKills = 0, plannedCuts = 0;
        for (unsigned round = 1; plannedKills < kills || plannedCuts < powerCuts; ++round) {
            random_.seed(seed_ * 2654435761u + round);
            fallback_ = kRenameFallbackExists && random_() % 4 == 0;
            const int kind = static_cast<int>(random_() % 10);
            if (plannedCuts < powerCuts && (kind < 3 || plannedKills >= kills)) {
                ++plannedCuts;
                powerRound();
            } else if (kind == 3) {
                ++plannedKills;
                aliveRound();
            } else {
                ++plannedKills;
                killRound();
            }
        }
        if (completeRounds_ * 2 < rounds_) {
            fail("nur " + std::to_string(completeRounds_) + " von " + std::to_string(rounds_) +
                 " Runden endeten mit einem vollständigen Auftrag");
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf(
            "Runden %d, Kills %d (davon Start %d), Stromausfälle %d (Zustände %d), Fehlerrunden "
            "%d, Runden ohne Umbenennen-ohne-Ersetzen %d, B startet während A lebt %d, "
            "Runden mit vollständigem Auftrag %d, Aufträge vollständig %d, Anforderungen %zu, "
            "Accession Numbers %zu, Meldungen geprüft %d, Worklist-Einträge geprüft %d, Verstöße "
            "%d "
            "(%.0f s)\n",
            rounds_, kills_, startKills_, powerCuts_, powerStates_, faultRounds_, fallbackRounds_,
            aliveRounds_, completeRounds_, ordered_, requests_.size(),
            numbers_[0].size() + numbers_[1].size(), messagesChecked_, items_, violations_,
            seconds);
        for (const auto& [name, n] : killsBy_) std::printf("  %-44s %d\n", name.c_str(), n);
        return violations_ == 0 ? 0 : 1;
    }

  private:
    fs::path program(int p) const { return root_ / (p == 0 ? "program-a" : "program-b"); }
    fs::path in() const { return root_ / "in"; }
    fs::path out() const { return root_ / "out"; }
    fs::path worklist() const { return root_ / "worklist"; }
    std::vector<fs::path> folders() const {
        return {program(0), program(1), in(), out(), worklist()};
    }
    fs::path messages() const { return root_ / "messages.txt"; }
    fs::path calls() const { return root_ / "calls.txt"; }
    fs::path record() const { return root_ / "record.bin"; }
    fs::path planFile() const { return root_ / "plan.txt"; }

    // A child of A or B. Between rounds the lease has run out (a start comes later), so a start
    // settles a dead copy's journal at once; only beside a live A does B hold to a real lease.
    ChildPlan plan(int p, bool confirm) {
        ChildPlan plan;
        plan.program = program(p);
        plan.confirm = confirm;
        plan.forceFallback = fallback_;
        plan.messages = messages();
        plan.seed = static_cast<unsigned>(random_());
        plan.workstation = p == 0 ? "PC-A" : "PC-B";
        plan.leaseSeconds = 0;
        return plan;
    }

    // Runs a child to its end, or kills it after `delay` microseconds. True when killed.
    bool run(const ChildPlan& plan, int delay = 0) {
        const auto started = std::chrono::steady_clock::now();
        ChildProcess child(plan, planFile());
        if (delay > 0) child.KillAfter(delay);
        const ChildProcess::Result result = child.Wait();
        const bool clean = plan.at == 0 && plan.killAtCall == 0 && plan.failCall == 0 &&
                           plan.failAfterCall == 0 && !plan.transientReads && delay == 0;
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
        tally(name);
    }

    // Counts a kind of round, and names it in the round's violations.
    void tally(const std::string& kind) {
        ++killsBy_[kind];
        kinds_ += (kinds_.empty() ? "" : "; ") + kind;
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
        // A share's hiccups while the next start reads what A left.
        if (random_() % 4 == 0) {
            ChildPlan b = plan(1, false);
            b.transientReads = true;
            tally("Start mit einmaligen Lesefehlern");
            run(b);
        }
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

    // A stops in the middle of its confirmation; B starts meanwhile, on a share whose locks work,
    // reach no other workstation, or cannot be tested: it must leave A alone in each case.
    void aliveRound() {
        begin();
        ChildPlan a = plan(0, true);
        const Plan& step = kConfirmSteps[random_() % (kConfirmSteps.size() - 1)];
        a.step = step.step;
        a.at = step.at < 0 ? PartsFor(waitingPatient()) : step.at;
        a.stopInstead = true;
        ChildPlan b = plan(1, false);
        b.leaseSeconds = kLiveLeaseSeconds;
        const unsigned locks = random_() % 3;
        b.lockTest = locks == 0 ? 0 : locks == 1 ? kLockNotSeen : ENOLCK;
        const char* kinds[] = {"", ", Sperren nicht gesehen", ", Sperren nicht prüfbar"};
        ChildProcess child(a, planFile());
        if (child.Wait().end == ChildProcess::End::Stopped) {
            ++aliveRounds_;
            tally(std::string("B startet, während A lebt") + kinds[locks]);
            kinds_ += std::string(", A hält ") + step.name;
            run(b);  // B's start while A is in the middle
            child.Continue();
            const ChildProcess::Result result = child.Wait();
            if (result.end != ChildProcess::End::Exited || result.status != 0) {
                fail("A wurde nach dem Start von B nicht fertig (" + std::string(step.name) +
                     kinds[locks] + ")");
            }
        }
        finish();
    }

    // On a disk that flushes what it says, the counter is durable before its note is written, so
    // no cut leaves it behind the note. Where the program folder's flushes were faked, it may be:
    // support then writes the number the note keeps into AccNum.dat, as the stopped order asks.
    void checkCounterAfterCut(const fs::path& program, bool fakedFlushes) {
        // The leading digits; a note a cut tore before its flush may hold fewer or none.
        auto number = [](const std::string& text) -> std::uint64_t {
            const std::string digits = text.substr(0, text.find_first_not_of("0123456789"));
            return digits.empty() ? 0 : std::stoull(digits);
        };
        const fs::path counter = AccessionCounter::FileIn(program);
        const std::uint64_t noted = number(readText(AccessionCounter::NoteIn(program)));
        if (noted == 0 || (fs::exists(counter) && number(readText(counter)) >= noted)) return;
        if (!fakedFlushes) {
            fail(roundName() + ": Zähler hinter der Notiz in " + program.filename().string() +
                 " (" + (fs::exists(counter) ? readText(counter) : std::string("fehlt")) + " < " +
                 std::to_string(noted) + ")");
        }
        std::ofstream(counter, std::ios::binary | std::ios::trunc)
            << AccessionCounter::CounterText(noted);
    }

    // A power cut: while A confirms (killed at a step or call, or after its normal end), or
    // while a start settles a killed confirmation. Several states the cut may leave are checked
    // in turn, each from the same moment.
    void powerRound() {
        begin();
        // The counter note exists durably from an earlier order: only then can it keep the
        // highest number on a program folder whose flushes are faked.
        const bool noteKept = fs::exists(AccessionCounter::NoteIn(program(0)));
        fs::remove(record());
        const unsigned when = random_() % 8;  // half of them in A's confirmation
        std::string name;
        std::optional<PowerCut> cut;
        bool beforeFlush = false;  // each state cut right before one of the recorded flushes
        if (when < 5) {
            cut.emplace(folders());
            ChildPlan a = plan(0, true);
            a.record = record();
            if (when < 2) {
                if (!killConfirmation(a, waitingPatient(), name)) {
                    finish();
                    return;
                }
            } else {
                run(a);
                beforeFlush = when < 4;
                name = beforeFlush ? "vor einer Sicherung" : "nach dem normalen Ende";
            }
        } else {
            counted(killConfirmation(plan(0, true), waitingPatient(), name), name);
            cut.emplace(folders());
            ChildPlan b = plan(1, false);
            b.record = record();
            if (when == 5) {
                const Plan& step = kRecoverySteps[random_() % kRecoverySteps.size()];
                b.step = step.step;
                b.at = step.at;
                name = std::string("Kill ") + step.name;
            } else {
                beforeFlush = when == 6;
                name =
                    beforeFlush ? "Start: vor einer Sicherung" : "nach einem Start, der aufräumt";
            }
            run(b);
        }
        ++powerCuts_;
        tally("Stromausfall, " + name);
        const int flushes = beforeFlush ? PowerCut::FlushesIn(record()) : 0;
        const Tracked before = tracked();
        for (int state = 0; state < kStatesPerCut; ++state) {
            if (state > 0) restore(before);
            where_ = ", Zustand " + std::to_string(state + 1);
            PowerCut at = *cut;
            int cutBefore = 0;
            if (flushes > 0) {
                cutBefore = 1 + static_cast<int>(random_() % static_cast<unsigned>(flushes));
                where_ += ", vor Sicherung " + std::to_string(cutBefore);
            }
            // A third of the states have A's program folder on a share that cannot flush
            // folders and says it did: the counter's new name may be lost while its numbers are
            // in durable orders, and only the counter note still knows the highest one.
            const bool fakedFlushes = noteKept && random_() % 3 == 0;
            if (fakedFlushes) {
                at.FakeFlushesOf(program(0));
                where_ += ", Programmordner ohne echte Sicherung";
            }
            // What was told after the cut was never told.
            if (state > 0 || cutBefore > 0) fs::remove(messages());
            ++powerStates_;
            at.Load(record(), cutBefore);
            at.Build(state, random_);
            checkCounterAfterCut(program(0), fakedFlushes);
            checkCounterAfterCut(program(1), false);
            finish();
        }
        where_.clear();
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

    // Every file call of a confirmation, and of a start that settles one, fails once in turn with
    // each error; then each is done but reported failed, as when a file server's reply is lost.
    void faultRounds() {
        // How many calls the largest confirmation makes, counted in clean rounds: a call that
        // fails may end a confirmation early, so the failing rounds cannot tell.
        int most = 0;
        for (int parts = 0; parts < 4; ++parts) {
            begin();
            ChildPlan a = plan(0, true);
            a.calls = calls();
            fs::remove(calls());
            run(a);
            most = std::max(most, std::atoi(readText(calls()).c_str()));
            finish();
        }
        for (int e = 0; e <= 3; ++e) {
            const bool lostReply = e == 3;
            // Each call with each number of body parts: consecutive patients have 1 to 4.
            for (int call = 1; call <= most; ++call) {
                for (int parts = 0; parts < 4; ++parts) {
                    begin();
                    failing(plan(0, true), call, e,
                            lostReply ? "Bestätigung: erledigt, aber als Fehler gemeldet"
                                      : "Fehler bei der Bestätigung: ");
                    finish();
                }
            }
            for (int call = 1;; ++call) {
                begin();
                std::string name;
                counted(killConfirmation(plan(0, true), waitingPatient(), name), name);
                const int seen = failing(plan(1, false), call, e,
                                         lostReply ? "Start: erledigt, aber als Fehler gemeldet"
                                                   : "Fehler beim Start: ");
                finish();
                if (call >= seen && call > 12) break;
            }
        }
    }

    // Runs `child` with its `call`-th file call failing with kErrors[e], or, for e == 3, done but
    // reported failed with EIO; how many calls it made.
    int failing(ChildPlan child, int call, int e, const char* label) {
        if (e < 3) {
            child.failCall = call;
            child.failError = kErrors[e];
        } else {
            child.failAfterCall = call;
            child.failError = EIO;
        }
        child.calls = calls();
        fs::remove(calls());
        run(child);
        ++faultRounds_;
        tally(label + std::string(e < 3 ? kErrorNames[e] : ""));
        return std::atoi(readText(calls()).c_str());
    }

    void begin() {
        ++rounds_;
        kinds_.clear();
        if (fallback_) ++fallbackRounds_;
        putRequest();
        fs::remove(messages());
    }

    // The clean starts after a round: B, then A; then the invariants. A request still waiting is
    // then ordered by B, which must succeed, and the invariants are checked once more.
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
        const int orderedBefore = ordered_;
        check();
        if (waitingPatient() != 0) {
            fs::remove(messages());
            ChildPlan b = plan(1, true);
            ChildProcess child(b, planFile());
            const ChildProcess::Result result = child.Wait();
            if (result.end != ChildProcess::End::Exited || result.status != 0) {
                fail("Runde " + std::to_string(rounds_) +
                     ": eine saubere Bestätigung durch B gelang nicht");
            }
            check();
        }
        if (ordered_ > orderedBefore) ++completeRounds_;
        fs::remove(messages());
    }

    // What the invariants remember of earlier rounds, to check several power-cut states of one.
    struct Tracked {
        std::map<int, Request> requests;
        std::set<std::uint64_t> numbers[2];
        int ordered;
    };
    Tracked tracked() const { return {requests_, {numbers_[0], numbers_[1]}, ordered_}; }
    void restore(const Tracked& t) {
        requests_ = t.requests;
        numbers_[0] = t.numbers[0];
        numbers_[1] = t.numbers[1];
        ordered_ = t.ordered;
    }

    // The round, what it did and which power-cut state is checked, for a violation.
    std::string roundName() const {
        return "Runde " + std::to_string(rounds_) + " (" + kinds_ + where_ + ")";
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
        // Names of many lengths: the journals' records then fall on every place of a sector.
        std::string surname = "Crash";
        for (int i = 0; i < patient * 7 % 40; ++i) surname += "-Crash";
        std::string text = CreateGDTLine("8000", "6302") +
                           CreateGDTLine("3000", std::to_string(patient)) +
                           CreateGDTLine("3101", surname) +
                           CreateGDTLine("3102", "Test" + std::to_string(patient));
        while (text.size() < 2048) text += CreateGDTLine("6228", "Befundzeile");
        requests_[patient] = {text, false};
        std::ofstream(in() / "ANFRAGE.GDT", std::ios::binary) << text;
    }

    // The invariants, after clean starts of both copies.
    void check() {
        const std::string where = roundName() + ": ";
        for (const fs::path& folder : folders()) {
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
        checkWorklist(where);
        checkMessages(where, complete, numbersOf, waiting);
        for (const std::string& name : ListFiles(out())) fs::remove(out() / name);
        for (const std::string& name : ListFiles(worklist())) {
            if (name != "lockfile") fs::remove(worklist() / name);
        }
    }

    // A worklist item exists exactly when its order file does: "<GUID>.wl" beside "<GUID>.gdt",
    // a whole DICOM file that carries the order's accession number.
    void checkWorklist(const std::string& where) {
        if (!WorklistAvailable()) return;
        for (const std::string& name : ListFiles(out())) {
            const std::string stem = fs::path(name).stem().string();
            const fs::path item = worklist() / (stem + ".wl");
            if (!Exists(item)) {
                fail(where + "Auftrag ohne Worklist-Eintrag: " + name);
                continue;
            }
            ++items_;
            const std::string order = ReadFileBytes(out() / name);
            const std::size_t at = order.find("4100");
            if (at == std::string::npos) continue;  // told as an incomplete order file
            const std::string number = order.substr(at + 4, order.find('\r', at) - at - 4);
            const std::string bytes = ReadFileBytes(item);
            if (bytes.size() < 132 || bytes.compare(128, 4, "DICM") != 0 ||
                bytes.find(number) == std::string::npos) {
                fail(where + "unvollständiger Worklist-Eintrag " + stem + ".wl");
            }
        }
        for (const std::string& name : ListFiles(worklist())) {
            if (name == "lockfile") continue;
            const std::string stem = fs::path(name).stem().string();
            if (!name.ends_with(".wl") || !Exists(out() / (stem + ".gdt"))) {
                fail(where + "Worklist-Eintrag ohne Auftrag: " + name);
            }
        }
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
    unsigned seed_;
    std::string kinds_;  // what this round did
    std::string where_;  // which power-cut state is checked
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
    int powerStates_ = 0;
    int completeRounds_ = 0;
    int faultRounds_ = 0;
    int fallbackRounds_ = 0;
    int aliveRounds_ = 0;
    int ordered_ = 0;
    int items_ = 0;  // worklist items checked
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
