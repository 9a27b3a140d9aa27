// Worklist items served by DCMTK's wlmscpfs and asked for by findscu, as a modality asks: the
// real server and client of Debian's dcmtk package, on the loopback interface.
#include <arpa/inet.h>
#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <ostream>
#include <regex>
#include <thread>

#include "app/OrderSession.h"
#include "diag/ErrorLog.h"
#include "gdt/GdtLine.h"
#include "support/Fakes.h"
#include "support/ProgramFolder.h"
#include "support/SettingsFile.h"
#include "support/TempFolder.h"
#include "worklist/WorklistItem.h"

extern char** environ;

// The expected items name only the fields that are not empty.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace morvik {

void PrintTo(const WorklistItem& item, std::ostream* out) {
    *out << item.surname << "^" << item.firstName << " " << item.patientId << " " << item.birthDate
         << " " << item.sex << " acc " << item.accessionNumber << " " << item.studyInstanceUid
         << " rp " << item.requestedProcedureId << " " << item.requestedProcedureDescription << " ["
         << item.requestedProcedureComments << "] sps " << item.modality << " "
         << item.stationAeTitle << " " << item.startDate << " " << item.startTime << " "
         << item.stepId << " " << item.stepDescription;
    for (const ProtocolCode& code : item.protocolCodes) {
        *out << " (" << code.value << "," << code.scheme << "," << code.meaning << ")";
    }
}

namespace {

namespace fs = std::filesystem;
using test::FileNames;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

const std::string kServer = "/usr/bin/wlmscpfs";
// Debian's orthanc package with its sample worklist plugin, where it is installed.
const std::string kOrthanc = "/usr/sbin/Orthanc";
const std::string kOrthancWorklists = "/usr/share/orthanc/plugins/libModalityWorklists.so";
const std::string kClient = "/usr/bin/findscu";
const std::string kAeTitle = "MORVIK";

// Starts a program with its output going to a file.
pid_t spawn(const std::vector<std::string>& args, const fs::path& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("cannot start " + args[0]);
    return pid;
}

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

// A port that nobody listens on just now (the system's pick of a free one).
int freeLoopbackPort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    const bool bound = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    ::close(s);
    return bound ? ntohs(address.sin_port) : 0;
}

bool accepts(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(port);
    const bool connected =
        connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(s);
    return connected;
}

std::string value(DcmItem& item, const DcmTagKey& tag) {
    OFString text;
    item.findAndGetOFStringArray(tag, text);
    return std::string(text.c_str(), text.length());
}

std::string utf8FromLatin1(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else {
            text += static_cast<char>(0xC0 | c >> 6);
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

// An answer read back into the fields of an item, its texts as UTF-8.
WorklistItem itemOf(DcmDataset& answer) {
    const std::string charset = value(answer, DCM_SpecificCharacterSet);
    auto text = [&](DcmItem& from, const DcmTagKey& tag) {
        const std::string bytes = value(from, tag);
        return charset == "ISO_IR 100" ? utf8FromLatin1(bytes) : bytes;
    };
    WorklistItem item;
    const std::string name = text(answer, DCM_PatientName);
    item.surname = name.substr(0, name.find('^'));
    if (name.find('^') != std::string::npos) item.firstName = name.substr(name.find('^') + 1);
    item.patientId = text(answer, DCM_PatientID);
    item.birthDate = value(answer, DCM_PatientBirthDate);
    item.sex = value(answer, DCM_PatientSex);
    item.accessionNumber = text(answer, DCM_AccessionNumber);
    item.studyInstanceUid = value(answer, DCM_StudyInstanceUID);
    item.requestedProcedureId = text(answer, DCM_RequestedProcedureID);
    item.requestedProcedureDescription = text(answer, DCM_RequestedProcedureDescription);
    item.requestedProcedureComments = text(answer, DCM_RequestedProcedureComments);
    DcmItem* step = nullptr;
    if (answer.findAndGetSequenceItem(DCM_ScheduledProcedureStepSequence, step, 0).bad()) {
        return item;
    }
    item.modality = value(*step, DCM_Modality);
    item.stationAeTitle = value(*step, DCM_ScheduledStationAETitle);
    item.startDate = value(*step, DCM_ScheduledProcedureStepStartDate);
    item.startTime = value(*step, DCM_ScheduledProcedureStepStartTime);
    item.stepId = text(*step, DCM_ScheduledProcedureStepID);
    item.stepDescription = text(*step, DCM_ScheduledProcedureStepDescription);
    DcmItem* code = nullptr;
    for (long i = 0;
         step->findAndGetSequenceItem(DCM_ScheduledProtocolCodeSequence, code, i).good(); ++i) {
        item.protocolCodes.push_back({text(*code, DCM_CodeValue),
                                      text(*code, DCM_CodingSchemeDesignator),
                                      text(*code, DCM_CodeMeaning)});
    }
    return item;
}

struct Answer {
    std::string characterSet;
    std::string patientNameBytes;
    WorklistItem item;
};

// wlmscpfs over a worklist folder holding the AE title MORVIK's items, on a free loopback port.
class WorklistServer : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(kServer) || !fs::exists(kClient)) {
            GTEST_SKIP() << "wlmscpfs or findscu is missing (Debian package dcmtk)";
        }
        if (!WorklistAvailable()) GTEST_SKIP() << "this build encodes no worklist items";
        fs::create_directory(folder_ / kAeTitle);
        WriteBytes(folder_ / kAeTitle / "lockfile", "");
    }
    void TearDown() override { stop(); }

    void publish(const WorklistItem& item) {
        WriteBytes(folder_ / kAeTitle / (item.studyInstanceUid + ".wl"), WorklistItemBytes(item));
    }

    // Orthanc over the same folder, through its worklist plugin, with nothing else it offers.
    std::vector<std::string> orthanc(int port) {
        const fs::path config = folder_ / "orthanc.json";
        WriteBytes(config, "{\"Name\": \"Morvik-Test\", \"StorageDirectory\": \"" +
                               (folder_ / "orthanc-db").string() +
                               "\", \"HttpServerEnabled\": false, \"DicomAet\": \"" + kAeTitle +
                               "\", \"DicomPort\": " + std::to_string(port) +
                               ", \"DicomAlwaysAllowFind\": true, "
                               "\"DicomAlwaysAllowFindWorklist\": true, \"Plugins\": [\"" +
                               kOrthancWorklists + "\"], \"Worklists\": {\"Enable\": true, " +
                               "\"Database\": \"" + (folder_ / kAeTitle).string() + "\"}}");
        return {kOrthanc, config.string()};
    }

    // Started on a port the system calls free; another program may take it first, so a server
    // that ends at once is started again on another.
    void start(bool withOrthanc = false) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            port_ = freeLoopbackPort();
            server_ = spawn(
                withOrthanc
                    ? orthanc(port_)
                    : std::vector<std::string>{kServer, "--single-process", "--keep-char-set",
                                               "--disable-host-lookup", "--data-files-path",
                                               folder_.path().string(), std::to_string(port_)},
                folder_ / "server.log");
            for (int waited = 0; waited < 200; ++waited) {
                int status = 0;
                if (waitpid(server_, &status, WNOHANG) == server_) {
                    server_ = -1;
                    break;
                }
                if (accepts(port_)) return;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            stop();
        }
        FAIL() << "the worklist server did not start: " << ReadBytes(folder_ / "server.log");
    }

    void stop() {
        if (server_ <= 0) return;
        kill(server_, SIGKILL);
        int status = 0;
        waitpid(server_, &status, 0);
        server_ = -1;
    }

    // Asks as a modality asks: the given matching keys, and every field of an item returned.
    std::vector<Answer> query(const std::vector<std::string>& matching) {
        const fs::path answers = folder_ / ("answers" + std::to_string(++queries_));
        fs::create_directory(answers);
        std::vector<std::string> args = {kClient,          "--worklist", "--call",
                                         kAeTitle,         "--extract",  "--output-directory",
                                         answers.string(), "127.0.0.1",  std::to_string(port_)};
        const std::string step = "ScheduledProcedureStepSequence[0].";
        const std::string code = step + "ScheduledProtocolCodeSequence[0].";
        std::vector<std::string> keys = {"SpecificCharacterSet",
                                         "PatientName",
                                         "PatientID",
                                         "PatientBirthDate",
                                         "PatientSex",
                                         "AccessionNumber",
                                         "StudyInstanceUID",
                                         "RequestedProcedureID",
                                         "RequestedProcedureDescription",
                                         "RequestedProcedureComments",
                                         step + "Modality",
                                         step + "ScheduledStationAETitle",
                                         step + "ScheduledProcedureStepStartDate",
                                         step + "ScheduledProcedureStepStartTime",
                                         step + "ScheduledProcedureStepID",
                                         step + "ScheduledProcedureStepDescription",
                                         code + "CodeValue",
                                         code + "CodingSchemeDesignator",
                                         code + "CodeMeaning"};
        keys.insert(keys.end(), matching.begin(), matching.end());
        for (const std::string& key : keys) {
            args.push_back("--key");
            args.push_back(key);
        }
        const fs::path log = answers / "findscu.log";
        const pid_t client = spawn(args, log);
        int status = 0;
        waitpid(client, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadBytes(log);
        std::vector<Answer> found;
        for (const std::string& name : FileNames(answers)) {
            if (!name.starts_with("rsp")) continue;
            DcmFileFormat file;
            EXPECT_TRUE(file.loadFile((answers / name).c_str()).good()) << name;
            DcmDataset& answer = *file.getDataset();
            found.push_back({value(answer, DCM_SpecificCharacterSet),
                             value(answer, DCM_PatientName), itemOf(answer)});
        }
        return found;
    }

    TempFolder folder_;
    pid_t server_ = -1;
    int port_ = 0;
    int queries_ = 0;
};

WorklistItem itemFor(const std::string& request, WorklistOrder order) {
    order.moment = LocalTimeNow();
    order.studyInstanceUid = NewStudyInstanceUid();
    return MakeWorklistItem(ParseRequest(request), order);
}

std::vector<std::string> todayFor(const WorklistItem& item) {
    const std::string step = "ScheduledProcedureStepSequence[0].";
    return {step + "ScheduledProcedureStepStartDate=" + item.startDate,
            step + "Modality=" + item.modality,
            step + "ScheduledStationAETitle=" + item.stationAeTitle};
}

// The UID and the moment are new with every order: their form is checked, and an item that
// expects them is given them.
WorklistItem withFreshParts(const WorklistItem& made, WorklistItem expected) {
    EXPECT_TRUE(std::regex_match(made.studyInstanceUid, std::regex(R"(2\.25\.[1-9][0-9]{20,38})")))
        << made.studyInstanceUid;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char today[16];
    std::strftime(today, sizeof today, "%Y%m%d", &local);
    EXPECT_EQ(made.startDate, today);
    EXPECT_TRUE(std::regex_match(made.startTime, std::regex(R"([0-2][0-9][0-5][0-9][0-5][0-9])")))
        << made.startTime;
    expected.studyInstanceUid = made.studyInstanceUid;
    expected.startDate = made.startDate;
    expected.startTime = made.startTime;
    return expected;
}

// Two patients, one ordered at the CR room, one at the ultrasound, and asked for by each device:
// every field comes back as the order meant it, the names in the character set they fit.
TEST_F(WorklistServer, ADeviceGetsItsOrdersWithEveryField) {
    const WorklistItem mueller = itemFor(
        CreateGDTLine("3000", "4711") + CreateGDTLine("3101", "Müller") +
            CreateGDTLine("3102", "Jürgen") + CreateGDTLine("3103", "30061922") +
            CreateGDTLine("3110", "1"),
        {"0000042", {"Thorax p.a.", "THX", "1234"}, "CR", "CR_RAUM1", "Bitte nüchtern", {}, {}});
    EXPECT_EQ(
        mueller,
        withFreshParts(mueller, {.surname = "Müller",
                                 .firstName = "Jürgen",
                                 .patientId = "4711",
                                 .birthDate = "19220630",
                                 .sex = "M",
                                 .accessionNumber = "0000042",
                                 .requestedProcedureId = "0000042",
                                 .requestedProcedureDescription = "Thorax p.a.",
                                 .requestedProcedureComments = "Bitte nüchtern",
                                 .modality = "CR",
                                 .stationAeTitle = "CR_RAUM1",
                                 .stepId = "0000042",
                                 .stepDescription = "Thorax p.a.",
                                 .protocolCodes = {{"THX", "99MORVIK", "Thorax p.a."},
                                                   {"1234", "99MORVIKFACTORY", "Thorax p.a."}}}));
    // Without an accession number the IDs are the UID's last digits; without a factory code the
    // body part has one protocol code.
    const WorklistItem zak =
        itemFor(CreateGDTLine("3000", "4712") + CreateGDTLine("3101", "Žák") +
                    CreateGDTLine("3102", "Šimon") + CreateGDTLine("3103", "31021990") +
                    CreateGDTLine("3110", "D"),
                {"", {"Abdomen", "ABD", ""}, "US", "US1", "", {}, {}});
    const std::string uidEnd = zak.studyInstanceUid.substr(zak.studyInstanceUid.size() - 16);
    EXPECT_EQ(zak, withFreshParts(zak, {.surname = "Žák",
                                        .firstName = "Šimon",
                                        .patientId = "4712",
                                        .sex = "O",
                                        .requestedProcedureId = uidEnd,
                                        .requestedProcedureDescription = "Abdomen",
                                        .modality = "US",
                                        .stationAeTitle = "US1",
                                        .stepId = uidEnd,
                                        .stepDescription = "Abdomen",
                                        .protocolCodes = {{"ABD", "99MORVIK", "Abdomen"}}}));
    publish(mueller);
    publish(zak);
    ASSERT_NO_FATAL_FAILURE(start());

    const std::vector<Answer> cr = query(todayFor(mueller));
    ASSERT_EQ(cr.size(), 1u);
    EXPECT_EQ(cr[0].characterSet, "ISO_IR 100");
    EXPECT_EQ(cr[0].patientNameBytes, "M\xFCller^J\xFCrgen");
    EXPECT_EQ(cr[0].item, mueller);

    const std::vector<Answer> us = query(todayFor(zak));
    ASSERT_EQ(us.size(), 1u);
    EXPECT_EQ(us[0].characterSet, "ISO_IR 192");
    EXPECT_EQ(us[0].patientNameBytes, "Žák^Šimon");
    EXPECT_EQ(us[0].item, zak);
}

// Orthanc's sample worklist plugin reads the same folder: a device asking Orthanc gets the same
// items, with the names in a character set that holds them.
TEST_F(WorklistServer, OrthancServesTheSameItems) {
    if (!fs::exists(kOrthanc) || !fs::exists(kOrthancWorklists)) {
        GTEST_SKIP() << "Orthanc or its worklist plugin is missing (Debian package orthanc)";
    }
    const std::string request = CreateGDTLine("3000", "4716") + CreateGDTLine("3101", "Müller") +
                                CreateGDTLine("3102", "Jürgen") + CreateGDTLine("3110", "1");
    const WorklistItem hand =
        itemFor(request, {"RAD0000061", {"Hand li.", "HANDL", "F11"}, "DX", "DX1", "", {}, {}});
    const WorklistItem knee =
        itemFor(request, {"RAD0000062", {"Knie re.", "KNIER", ""}, "DX", "DX1", "", {}, {}});
    publish(hand);
    publish(knee);
    ASSERT_NO_FATAL_FAILURE(start(true));

    std::vector<WorklistItem> found;
    for (const Answer& answer : query({"PatientID=4716"})) found.push_back(answer.item);
    std::sort(found.begin(), found.end(), [](const WorklistItem& a, const WorklistItem& b) {
        return a.accessionNumber < b.accessionNumber;
    });
    EXPECT_EQ(found, (std::vector<WorklistItem>{hand, knee}));
}

// An order of three body parts is three items, each with its own accession number and protocol,
// found together by the patient's ID.
TEST_F(WorklistServer, ThreeBodyPartsAreThreeItemsForThePatient) {
    const std::string request = CreateGDTLine("3000", "4713") + CreateGDTLine("3101", "Schäfer") +
                                CreateGDTLine("3102", "Anna") + CreateGDTLine("3110", "2");
    std::vector<WorklistItem> ordered;
    for (const auto& [accession, part] :
         {std::pair<std::string, BodyPartEntry>{"0000050", {"Hand li.", "HANDL", "F11"}},
          {"0000051", {"Knie re.", "KNIER", "F22"}},
          {"0000052", {"Schulter", "SCHUL", "F33"}}}) {
        ordered.push_back(itemFor(request, {accession, part, "DX", "DX1", "", {}, {}}));
        publish(ordered.back());
    }
    publish(itemFor(CreateGDTLine("3000", "4714") + CreateGDTLine("3101", "Ander"),
                    {"0000053", {"Hand li.", "HANDL", "F11"}, "DX", "DX1", "", {}, {}}));
    ASSERT_NO_FATAL_FAILURE(start());

    std::vector<Answer> answers = query({"PatientID=4713"});
    std::vector<WorklistItem> found;
    for (const Answer& answer : answers) found.push_back(answer.item);
    auto byAccession = [](const WorklistItem& a, const WorklistItem& b) {
        return a.accessionNumber < b.accessionNumber;
    };
    std::sort(found.begin(), found.end(), byAccession);
    EXPECT_EQ(found, ordered);
    EXPECT_EQ(query(todayFor(ordered[0])).size(), 4u);
}

// A real confirmation of three body parts with the worklist on: the device finds three items
// for the patient, each with the accession number of one of the order files (field 4100), at
// the modality code and station of the button the operator chose.
TEST_F(WorklistServer, AConfirmationIsServedWithTheNumbersOfItsOrderFiles) {
    TempFolder program;
    fs::create_directory(program / "in");
    fs::create_directory(program / "out");
    test::WriteSettings(
        program.path(), program / "in", program / "out",
        "Acc=1\r\nAccNum=RAD\r\n[Worklist]\r\nAktiv=1\r\nOrdner=" + (folder_ / kAeTitle).string() +
            "\r\nDicomModalitaet1=DX\r\nStationAE1=DX_RAUM1\r\n");
    WriteBytes(program / "in" / "a.gdt", CreateGDTLine("3000", "4715") +
                                             CreateGDTLine("3101", "Müller") +
                                             CreateGDTLine("3102", "Jürgen"));
    test::FixedClock clock;
    ErrorLog log(program.path(), clock);
    test::RecordingOperator op;
    OrderSession session(program.path(), log, op, {});
    session.Load();
    session.FillCatalogue(
        {{"Hand li.", "HANDL", "F11"}, {"Knie re.", "KNIER", "F22"}, {"Schulter", "SCHUL", "F33"}});
    session.ChooseModality(1);
    for (std::size_t row = 1; row <= 3; ++row) {
        session.SelectCatalogueRow(row);
        session.AddSelectedBodyPart();
    }
    ASSERT_EQ(session.Confirm("Bitte nüchtern"), OrderSession::Confirmation::Done);

    std::vector<std::string> numbers;
    for (const std::string& name : FileNames(program / "out")) {
        const std::string order = ReadBytes(program / "out" / name);
        const std::size_t at = order.find("4100");
        ASSERT_NE(at, std::string::npos) << order;
        numbers.push_back(order.substr(at + 4, order.find('\r', at) - at - 4));
    }
    ASSERT_EQ(numbers.size(), 3u);
    ASSERT_NO_FATAL_FAILURE(start());
    std::vector<std::string> served;
    for (const Answer& answer : query({"PatientID=4715"})) {
        served.push_back(answer.item.accessionNumber);
        EXPECT_EQ(answer.patientNameBytes, "M\xFCller^J\xFCrgen");
        EXPECT_EQ(answer.item.modality, "DX");
        EXPECT_EQ(answer.item.stationAeTitle, "DX_RAUM1");
        EXPECT_EQ(answer.item.requestedProcedureComments, "Bitte nüchtern");
    }
    std::sort(numbers.begin(), numbers.end());
    std::sort(served.begin(), served.end());
    EXPECT_EQ(served, numbers);
    EXPECT_EQ(numbers.front().substr(0, 3), "RAD");

    // A button without a code or station of its own orders as "other" (OT) at station MORVIK:
    // wlmscpfs serves no item without either.
    WriteBytes(program / "in" / "b.gdt",
               CreateGDTLine("3000", "4717") + CreateGDTLine("3101", "Weber"));
    OrderSession next(program.path(), log, op, {});
    next.Load();
    next.FillCatalogue({{"Hand li.", "HANDL", "F11"}});
    next.ChooseModality(3);
    next.SelectCatalogueRow(1);
    next.AddSelectedBodyPart();
    ASSERT_EQ(next.Confirm(""), OrderSession::Confirmation::Done);
    const std::vector<Answer> other = query({"PatientID=4717"});
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0].item.modality, "OT");
    EXPECT_EQ(other[0].item.stationAeTitle, "MORVIK");
}

// What a value cannot hold is made safe rather than breaking the item: a backslash would split
// a value in two, a "^" would move the first name, a line break would end a name; a value longer
// than its kind allows is cut. A comment keeps its lines.
TEST_F(WorklistServer, TextsAreMadeSafeForTheirValues) {
    const std::string longId(70, '7');
    publish(itemFor(CreateGDTLine("3000", longId) + CreateGDTLine("3101", "Meier^Schulz") +
                        CreateGDTLine("3102", "Eva=Maria"),
                    {"", {"Hand\\Finger", "H\\F", ""}, "DX", "DX2", "erste\r\nzweite", {}, {}}));
    ASSERT_NO_FATAL_FAILURE(start());
    const std::vector<Answer> answers =
        query({"ScheduledProcedureStepSequence[0].ScheduledStationAETitle=DX2"});
    ASSERT_EQ(answers.size(), 1u);
    const WorklistItem& item = answers[0].item;
    EXPECT_EQ(item.patientId, longId.substr(0, 64));
    EXPECT_EQ(answers[0].patientNameBytes, "Meier Schulz^Eva Maria");
    EXPECT_EQ(item.requestedProcedureDescription, "Hand/Finger");
    EXPECT_EQ(item.protocolCodes, (std::vector<ProtocolCode>{{"H/F", "99MORVIK", "Hand/Finger"}}));
    EXPECT_EQ(item.requestedProcedureComments, "erste\r\nzweite");
}

}  // namespace
}  // namespace morvik
