#include "Child.h"

#include <cerrno>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "PowerCut.h"
#include "Process.h"
#include "app/OrderSession.h"
#include "diag/ErrorLog.h"
#include "platform/Errno.h"
#include "platform/FileCalls.h"
#include "platform/FileSystem.h"
#include "platform/OwnedFile.h"

namespace morvik::crashtest {

namespace {

const ChildPlan* plan = nullptr;
int callsSeen = 0;
std::string patientShown;

class FixedClock final : public Clock {
  public:
    std::string Date() override { return "05.12.2026"; }
    std::string Time() override { return "14:03:07"; }
};

// Writes down what the operator is told, line by line, with the patient then on screen.
class RecordingOperator final : public OperatorChannel {
  public:
    void ShowMessage(const std::string& text, const std::string&, MessageIcon) override {
        std::string lines;
        std::size_t at = 0;
        while (at <= text.size()) {
            std::size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            lines += patientShown + "\t" + text.substr(at, end - at) + "\n";
            at = end + 1;
        }
        AppendAtOnce(plan->messages, lines);
    }
    void ProcessEvents() override {}
};

bool isOwnFile(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    return name.ends_with(".journal") || name.ends_with(".claim") || name.ends_with(".tmp");
}

class Faults final : public FileCallHook {
  public:
    int Before(FileCall call, const std::filesystem::path& path,
               const std::filesystem::path&) override {
        if (recording_) return 0;  // the record's own reads
        if (plan->forceFallback && call == FileCall::RenameNoReplace) return EINVAL;
        if (call == FileCall::LockTest) return plan->lockTest;
        if (call == FileCall::Look || call == FileCall::Read) {
            // A share's hiccup: the first look at or read of each file of ours fails once.
            const bool hiccup =
                plan->transientReads && isOwnFile(path) && failedOnce_.insert(path.string()).second;
            return hiccup ? EIO : 0;
        }
        ++callsSeen;
        if (callsSeen == plan->killAtCall) ChildProcess::KillHere();
        return callsSeen == plan->failCall ? plan->failError : 0;
    }
    void After(FileCall call, const std::filesystem::path& path,
               const std::filesystem::path& other) override {
        if (!plan->record.empty()) {
            recording_ = true;
            PowerCutRecord::Append(plan->record, call, path, other);
            recording_ = false;
        }
        if (callsSeen == plan->failAfterCall && !reportedFailed_) {
            // Done, but the reply was lost on the way: the caller hears of a failure.
            reportedFailed_ = true;
            throw FileError(plan->failError, "Antwort verloren: " + path.string());
        }
    }

  private:
    std::set<std::string> failedOnce_;
    bool recording_ = false;
    bool reportedFailed_ = false;
};

void stepHook(ConfirmStep step) {
    static int seen = 0;
    static std::minstd_rand random(plan->seed);
    if (plan->stepDelayMicros > 0) {
        std::this_thread::sleep_for(
            std::chrono::microseconds(random() % static_cast<unsigned>(plan->stepDelayMicros)));
    }
    if (plan->at > 0 && step == plan->step && ++seen == plan->at) {
        if (plan->stopInstead) {
            ChildProcess::StopHere();
        } else {
            ChildProcess::KillHere();
        }
    }
}

void writeCalls() {
    if (!plan->calls.empty()) AppendAtOnce(plan->calls, std::to_string(callsSeen) + "\n");
}

}  // namespace

std::string PlanText(const ChildPlan& p) {
    std::string text;
    auto line = [&](const char* key, const std::string& value) {
        text.append(key).append("=").append(value).append("\n");
    };
    line("program", Utf8Path(p.program));
    line("confirm", std::to_string(p.confirm));
    line("step", std::to_string(static_cast<int>(p.step)));
    line("at", std::to_string(p.at));
    line("stopInstead", std::to_string(p.stopInstead));
    line("killAtCall", std::to_string(p.killAtCall));
    line("failCall", std::to_string(p.failCall));
    line("failError", std::to_string(p.failError));
    line("forceFallback", std::to_string(p.forceFallback));
    line("record", Utf8Path(p.record));
    line("messages", Utf8Path(p.messages));
    line("calls", Utf8Path(p.calls));
    line("stepDelayMicros", std::to_string(p.stepDelayMicros));
    line("seed", std::to_string(p.seed));
    line("workstation", p.workstation);
    line("leaseSeconds", std::to_string(p.leaseSeconds));
    line("lockTest", std::to_string(p.lockTest));
    line("transientReads", std::to_string(p.transientReads));
    line("failAfterCall", std::to_string(p.failAfterCall));
    return text;
}

ChildPlan PlanFromText(const std::string& text) {
    ChildPlan p;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        const long number = std::strtol(value.c_str(), nullptr, 10);
        if (key == "program") p.program = PathFromUtf8(value);
        if (key == "confirm") p.confirm = number != 0;
        if (key == "step") p.step = static_cast<ConfirmStep>(number);
        if (key == "at") p.at = static_cast<int>(number);
        if (key == "stopInstead") p.stopInstead = number != 0;
        if (key == "killAtCall") p.killAtCall = static_cast<int>(number);
        if (key == "failCall") p.failCall = static_cast<int>(number);
        if (key == "failError") p.failError = static_cast<int>(number);
        if (key == "forceFallback") p.forceFallback = number != 0;
        if (key == "record") p.record = PathFromUtf8(value);
        if (key == "messages") p.messages = PathFromUtf8(value);
        if (key == "calls") p.calls = PathFromUtf8(value);
        if (key == "stepDelayMicros") p.stepDelayMicros = static_cast<int>(number);
        if (key == "workstation") p.workstation = value;
        if (key == "leaseSeconds") p.leaseSeconds = static_cast<int>(number);
        if (key == "lockTest") p.lockTest = static_cast<int>(number);
        if (key == "transientReads") p.transientReads = number != 0;
        if (key == "failAfterCall") p.failAfterCall = static_cast<int>(number);
        if (key == "seed") p.seed = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 10));
    }
    return p;
}

int PartsFor(int patient) {
    return 1 + patient % 4;
}

void RunChild(const ChildPlan& childPlan) {
    plan = &childPlan;
    static Faults faults;
    SetFileCallHook(&faults);
    if (!plan->workstation.empty()) SetWorkstationNameForTest(plan->workstation);
    if (plan->leaseSeconds >= 0) SetJournalLease(std::chrono::seconds(plan->leaseSeconds));
    SetStepHook(stepHook);
    FixedClock clock;
    ErrorLog log(plan->program, clock);
    RecordingOperator op;
    OrderSession session(plan->program, log, op, nullptr);
    session.Load();
    if (!plan->confirm) {
        writeCalls();
        std::exit(0);
    }
    std::vector<BodyPartEntry> rows;
    for (int i = 1; i <= 4; ++i) rows.push_back({"Teil " + std::to_string(i), "T", "F"});
    session.FillCatalogue(rows);
    const std::string id = session.Patient().id;  // "ID: 17"
    const int patient = id.size() > 4 ? std::atoi(id.c_str() + 4) : 0;
    patientShown = std::to_string(patient);
    for (int r = 1; r <= PartsFor(patient); ++r) {
        session.SelectCatalogueRow(static_cast<std::size_t>(r));
        session.AddSelectedBodyPart();
    }
    const bool done = session.Confirm("Crashtest") == OrderSession::Confirmation::Done;
    writeCalls();
    std::exit(done ? 0 : 3);
}

}  // namespace morvik::crashtest
