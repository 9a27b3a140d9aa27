#include "worklist/WorklistItem.h"

#include <gtest/gtest.h>

#include <set>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "gdt/GdtLine.h"

namespace morvik {
namespace {

WorklistItem itemFor(const std::string& birthDate, const std::string& sex) {
    const PatientRequest request =
        ParseRequest(CreateGDTLine("3000", "471") + CreateGDTLine("3103", birthDate) +
                     CreateGDTLine("3110", sex));
    return MakeWorklistItem(request, WorklistOrder{});
}

// A device fills the patient in from the item: a date of birth that is no date would be taken
// as one (or refused with the whole item), and a sex read wrong is a wrong patient record.
TEST(MakeWorklistItem, TakesOnlyRealDatesOfBirthAndMapsTheSexCodes) {
    const std::vector<std::pair<std::string, std::string>> dates = {
        {"30061922", "19220630"}, {" 29022000 ", "20000229"}, {"01011900", "19000101"},
        {"29021900", ""},         {"31042020", ""},           {"00012020", ""},
        {"15132020", ""},         {"01010000", ""},           {"3006192", ""},
        {"30.06.1922", ""},       {"300619222", ""},          {"", ""}};
    for (const auto& [field, dicom] : dates) {
        EXPECT_EQ(itemFor(field, "").birthDate, dicom) << field;
    }
    const std::vector<std::pair<std::string, std::string>> sexes = {
        {"1", "M"}, {"M", "M"}, {"m", "M"}, {"2", "F"}, {"W", "F"},   {"w", "F"}, {"F", "F"},
        {"f", "F"}, {"D", "O"}, {"X", "O"}, {"3", "O"}, {" 2 ", "F"}, {"", ""}};
    for (const auto& [field, dicom] : sexes) {
        EXPECT_EQ(itemFor("", field).sex, dicom) << field;
    }
}

// A Study Instance UID identifies the study in every archive it reaches: one that repeats, has
// a leading zero in a part, holds anything but digits and dots or is too long is refused there.
TEST(NewStudyInstanceUid, IsAFreshDecimalNumberBelowTheUuidRoot) {
    std::set<std::string> seen;
    for (int i = 0; i < 500; ++i) {
        const std::string uid = NewStudyInstanceUid();
        ASSERT_TRUE(uid.starts_with("2.25.")) << uid;
        const std::string number = uid.substr(5);
        EXPECT_LE(uid.size(), 64u) << uid;
        EXPECT_GT(number.size(), 20u) << uid;
        EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << uid;
        EXPECT_NE(number[0], '0') << uid;
        EXPECT_TRUE(seen.insert(uid).second) << uid;
    }
}

TEST(WorklistItemBytes, SaysPlainlyWhenThisBuildHasNoWorklist) {
    if (WorklistAvailable()) GTEST_SKIP() << "this build encodes worklist items";
    try {
        WorklistItemBytes(WorklistItem{});
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Number(), err::WorklistUnavailable);
    }
}

}  // namespace
}  // namespace morvik
