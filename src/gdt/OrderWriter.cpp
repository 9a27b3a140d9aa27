#include "gdt/OrderWriter.h"

#include "config/AppSettings.h"
#include "diag/AppError.h"
#include "diag/ErrorNumbers.h"
#include "diag/Trap.h"
#include "gdt/AccessionCounter.h"
#include "gdt/GdtLine.h"

namespace morvik {

std::string BuildOrderLines(const AppSettings& s, AccessionCounter& counter,
                            const OrderChoice& choice, const BodyPartEntry& part) {
    std::string number;
    if (s.Acc) {
        std::optional<std::string> issued = counter.WriteAccNumDat();
        if (!issued) {
            throw AppError(err::NoAccessionNumber,
                           "Für den Auftrag konnte keine Accession Number vergeben werden");
        }
        number = std::move(*issued);
    }
    return BuildOrderLines(s, number, choice, part);
}

std::string BuildOrderLines(const AppSettings& s, std::string_view accessionNumber,
                            const OrderChoice& choice, const BodyPartEntry& part) {
    std::string lines = CreateGDTLine("8402", choice.modality);
    if (s.Konica) {
        lines += CreateGDTLine("8751", part.abbreviation);
    } else if (s.Factory) {
        lines += CreateGDTLine("8750", part.factoryCode);
    } else if (s.Carestream) {
        lines += CreateGDTLine("8751", part.name);
        lines += CreateGDTLine("8750", part.factoryCode);
    }
    lines += CreateGDTLine("6227", part.name);
    lines += CreateGDTLine("5015", part.name);
    if (s.Acc) {
        // Never the prefix alone: an order without its number would match the wrong images.
        if (accessionNumber.empty()) {
            throw AppError(err::NoAccessionNumber,
                           "Für den Auftrag konnte keine Accession Number vergeben werden");
        }
        lines += CreateGDTLine("4100", s.AccNum + std::string(accessionNumber));
    }
    lines += CreateGDTLine(s.CommentField, choice.comment);
    lines += CreateGDTLine("8315", s.Kuerzel);
    return lines;
}

std::string BuildScanLines(const AppSettings& s, const OrderChoice& choice) {
    return CreateGDTLine("8402", choice.modality) + CreateGDTLine(s.CommentField, choice.comment) +
           CreateGDTLine("8315", s.Kuerzel);
}

StagedFile StageOrderFile(const AppSettings& s, std::string_view gdtText,
                          std::string_view orderLines) {
    std::string contents;
    contents.reserve(gdtText.size() + orderLines.size());
    contents.append(gdtText).append(orderLines);
    return StagedFile(JoinPath(s.GDTZiel, CreateGUID() + ".gdt"), contents);
}

bool WriteGDT(const AppSettings& s, AccessionCounter& counter, ErrorLog& log,
              std::string_view gdtText, const OrderChoice& choice, const BodyPartEntry& part) {
    return trap(log, "WriteGDT", [&] {
        StagedFile file = StageOrderFile(s, gdtText, BuildOrderLines(s, counter, choice, part));
        file.commit();
    });
}

bool WriteGDTScan(const AppSettings& s, ErrorLog& log, std::string_view gdtText,
                  const OrderChoice& choice) {
    return trap(log, "WriteGDTScan", [&] {
        StagedFile file = StageOrderFile(s, gdtText, BuildScanLines(s, choice));
        file.commit();
    });
}

}  // namespace morvik
