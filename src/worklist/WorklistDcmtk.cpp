// Worklist items encoded by DCMTK.
#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcdict.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcmetinf.h>
#include <dcmtk/dcmdata/dcostrmb.h>
#include <dcmtk/dcmdata/dcuid.h>

#include <array>
#include <initializer_list>
#include <utility>
#include <vector>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "base/Text.h"
#include "worklist/WorklistItem.h"

namespace morvik {

namespace {

// The most characters a value of each kind may hold.
enum class Kind { Code, ShortText, LongText, NamePart, Paragraph };

std::size_t maxCharacters(Kind kind) {
    switch (kind) {
        case Kind::Code:
        case Kind::ShortText:
            return 16;
        case Kind::LongText:
        case Kind::NamePart:
            return 64;
        case Kind::Paragraph:
            return 10240;
    }
    return 0;
}

// A UTF-8 text as a value of its kind may hold it: a byte that is no character becomes U+FFFD;
// control characters become blanks (a paragraph keeps its line breaks and tabs); a backslash,
// which would split the value in two, becomes a slash (a paragraph may hold one); in a part of
// a name "^" and "=", which separate the parts, become blanks; cut to the kind's length.
std::string valueText(std::string_view utf8, Kind kind) {
    std::string value;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < utf8.size() && characters < maxCharacters(kind); ++characters) {
        const std::size_t length = Utf8CharacterLength(utf8, at);
        char32_t c = length == 0 ? U'\uFFFD' : Utf8CodePoint(utf8, at, length);
        at += length == 0 ? 1 : length;
        const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
        if (kind == Kind::Paragraph) {
            if (control && c != '\r' && c != '\n' && c != '\t' && c != '\f') c = ' ';
        } else if (control || (kind == Kind::NamePart && (c == '^' || c == '='))) {
            c = ' ';
        } else if (c == '\\') {
            c = '/';
        }
        AppendUtf8(value, c);
    }
    return value;
}

bool fitsLatin1(std::string_view utf8) {
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8CharacterLength(utf8, at);
        if (length == 0 || Utf8CodePoint(utf8, at, length) > 0xFF) return false;
        at += length;
    }
    return true;
}

std::string latin1(std::string_view utf8) {
    std::string bytes;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8CharacterLength(utf8, at);
        bytes += static_cast<char>(Utf8CodePoint(utf8, at, length));
        at += length;
    }
    return bytes;
}

// The values of one item, cleaned, and the one character set they all go in.
class Values {
  public:
    explicit Values(const WorklistItem& item) {
        const std::string name = valueText(item.firstName, Kind::NamePart).empty()
                                     ? valueText(item.surname, Kind::NamePart)
                                     : valueText(item.surname, Kind::NamePart) + "^" +
                                           valueText(item.firstName, Kind::NamePart);
        add(DCM_PatientName, name);
        add(DCM_PatientID, valueText(item.patientId, Kind::LongText));
        add(DCM_AccessionNumber, valueText(item.accessionNumber, Kind::ShortText));
        add(DCM_RequestedProcedureID, valueText(item.requestedProcedureId, Kind::ShortText));
        add(DCM_RequestedProcedureDescription,
            valueText(item.requestedProcedureDescription, Kind::LongText));
        add(DCM_RequestedProcedureComments,
            valueText(item.requestedProcedureComments, Kind::Paragraph));
        add(DCM_ScheduledStationAETitle, valueText(item.stationAeTitle, Kind::Code));
        add(DCM_Modality, valueText(item.modality, Kind::Code));
        add(DCM_ScheduledProcedureStepID, valueText(item.stepId, Kind::ShortText));
        add(DCM_ScheduledProcedureStepDescription, valueText(item.stepDescription, Kind::LongText));
        for (const ProtocolCode& code : item.protocolCodes) {
            codes_.push_back({valueText(code.value, Kind::ShortText),
                              valueText(code.scheme, Kind::ShortText),
                              valueText(code.meaning, Kind::LongText)});
        }
        latin1_ = true;
        for (const auto& [tag, text] : texts_) latin1_ = latin1_ && fitsLatin1(text);
        for (const ProtocolCode& code : codes_) {
            latin1_ = latin1_ && fitsLatin1(code.value) && fitsLatin1(code.scheme) &&
                      fitsLatin1(code.meaning);
        }
    }

    const char* characterSet() const { return latin1_ ? "ISO_IR 100" : "ISO_IR 192"; }

    // The value for a tag, in the item's character set.
    std::string bytes(const DcmTagKey& tag) const {
        for (const auto& [key, text] : texts_) {
            if (key == tag) return encoded(text);
        }
        return {};
    }
    const std::vector<ProtocolCode>& codes() const { return codes_; }
    std::string encoded(const std::string& text) const { return latin1_ ? latin1(text) : text; }

  private:
    void add(const DcmTagKey& tag, std::string text) { texts_.emplace_back(tag, std::move(text)); }

    std::vector<std::pair<DcmTagKey, std::string>> texts_;
    std::vector<ProtocolCode> codes_;
    bool latin1_ = true;
};

void check(const OFCondition& condition, const char* what) {
    if (condition.bad()) {
        throw AppError(err::WorklistEncoding,
                       std::string("Worklisteneintrag: ") + what + ": " + condition.text());
    }
}

void put(DcmItem& target, const DcmTagKey& tag, const std::string& bytes) {
    const OFCondition status =
        target.putAndInsertOFStringArray(tag, OFString(bytes.data(), bytes.size()));
    // The tag's name is made only for a failure: formatting it costs more than the put.
    if (status.bad()) check(status, tag.toString().c_str());
}

}  // namespace

bool WorklistAvailable() {
    return true;
}

std::string WorklistItemBytes(const WorklistItem& item) {
    // Without its data dictionary DCMTK knows no attribute by its tag and would write each
    // without its kind.
    if (!dcmDataDict.isDictionaryLoaded()) {
        throw AppError(err::WorklistEncoding,
                       "Worklisteneintrag: das DICOM-Datenwörterbuch von DCMTK fehlt");
    }
    const Values values(item);
    DcmFileFormat file;
    DcmDataset& data = *file.getDataset();
    put(data, DCM_SpecificCharacterSet, values.characterSet());
    for (const DcmTagKey& tag :
         {DCM_AccessionNumber, DCM_PatientName, DCM_PatientID, DCM_RequestedProcedureDescription,
          DCM_RequestedProcedureID, DCM_RequestedProcedureComments}) {
        put(data, tag, values.bytes(tag));
    }
    put(data, DCM_PatientBirthDate, item.birthDate);
    put(data, DCM_PatientSex, item.sex);
    put(data, DCM_StudyInstanceUID, item.studyInstanceUid);

    DcmItem* step = nullptr;
    check(data.findOrCreateSequenceItem(DCM_ScheduledProcedureStepSequence, step, -2),
          "ScheduledProcedureStepSequence");
    for (const DcmTagKey& tag :
         {DCM_Modality, DCM_ScheduledStationAETitle, DCM_ScheduledProcedureStepID,
          DCM_ScheduledProcedureStepDescription}) {
        put(*step, tag, values.bytes(tag));
    }
    put(*step, DCM_ScheduledProcedureStepStartDate, item.startDate);
    put(*step, DCM_ScheduledProcedureStepStartTime, item.startTime);
    for (const ProtocolCode& code : values.codes()) {
        DcmItem* entry = nullptr;
        check(step->findOrCreateSequenceItem(DCM_ScheduledProtocolCodeSequence, entry, -2),
              "ScheduledProtocolCodeSequence");
        put(*entry, DCM_CodeValue, values.encoded(code.value));
        put(*entry, DCM_CodingSchemeDesignator, values.encoded(code.scheme));
        put(*entry, DCM_CodeMeaning, values.encoded(code.meaning));
    }

    // A worklist item is no stored instance: its file names the worklist query model as its kind.
    DcmMetaInfo& meta = *file.getMetaInfo();
    put(meta, DCM_MediaStorageSOPClassUID, UID_FINDModalityWorklistInformationModel);
    put(meta, DCM_MediaStorageSOPInstanceUID, item.studyInstanceUid);

    std::array<char, 16384> buffer;
    DcmOutputBufferStream out(buffer.data(), buffer.size());
    std::string bytes;
    file.transferInit();
    OFCondition status = EC_StreamNotifyClient;
    while (status == EC_StreamNotifyClient) {
        status = file.write(out, EXS_LittleEndianExplicit, EET_ExplicitLength, nullptr,
                            EGL_recalcGL, EPD_noChange, 0, 0, 0, EWM_updateMeta);
        void* written = nullptr;
        offile_off_t length = 0;
        out.flushBuffer(written, length);
        bytes.append(static_cast<const char*>(written), static_cast<std::size_t>(length));
    }
    file.transferEnd();
    check(status, "write");
    return bytes;
}

}  // namespace morvik
