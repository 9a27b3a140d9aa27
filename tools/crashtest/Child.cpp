#include "Child.h"

#include <cerrno>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include "PowerCut.h"
#include "Process.h"
#include "app/OrderSession.h"
#include "diag/ErrorLog.h"
#include "platform/FileCalls.h"

namespace morvik::crashtest {

namespace {

const ChildPlan* plan = nullptr;
int callsSeen = 0;
std::string patientShown;

class FixedClock final : public Clock {
  public:
    std::string date() override { return "05.12.2026"; }
    std::string time() override { return "14:03:07"; }
};

// Writes down what the operator is told, line by line, with the patient then on screen.
class RecordingOperator final : public Operator {
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

class Faults final : public FileCallHook {
  public:
    int Before(FileCall call, const std::filesystem::path&, const std::filesystem::path&) override {
        if (plan->forceFallback && call == FileCall::RenameNoReplace) return EINVAL;
        ++callsSeen;
        if (callsSeen == plan->killAtCall) ChildProcess::KillHere();
        return callsSeen == plan->failCall ? plan->failError : 0;
    }
    void After(FileCall call, const std::filesystem::path& path,
               const std::filesystem::path& other) override {
        if (!plan->record.empty()) PowerCutRecord::Append(plan->record, call, path, other);
    }
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

int PartsFor(int patient) {
    return 1 + patient % 4;
}

void RunChild(const ChildPlan& childPlan) {
    plan = &childPlan;
    static Faults faults;
    SetFileCallHook(&faults);
    SetStepHook(stepHook);
    FixedClock clock;
    ErrorLog log(plan->program, clock);
    RecordingOperator op;
    OrderSession session(plan->program, log, op, nullptr);
    session.Form_Load();
    if (!plan->confirm) {
        writeCalls();
        std::exit(0);
    }
    std::vector<BodyPartEntry> rows;
    for (int i = 1; i <= 4; ++i) rows.push_back({"Teil " + std::to_string(i), "T", "F"});
    session.FillCatalogue(rows);
    const std::string& id = session.Patient().id;  // "ID: 17"
    const int patient = id.size() > 4 ? std::atoi(id.c_str() + 4) : 0;
    patientShown = std::to_string(patient);
    for (int r = 1; r <= PartsFor(patient); ++r) {
        session.SelectCatalogueRow(static_cast<std::size_t>(r));
        session.lvBodyparts_DblClick();
    }
    const bool done = session.Confirm("Crashtest") == OrderSession::Confirmation::Done;
    writeCalls();
    std::exit(done ? 0 : 3);
}

}  // namespace morvik::crashtest
