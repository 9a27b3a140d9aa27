#include "gdt/OrderWriter.h"

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"
#include "gdt/GdtLine.h"

namespace morvik {

namespace {

StagedFile stageOrderFile(const OrderFormat& format, std::string_view gdtText,
                          std::string_view orderLines) {
    std::string contents;
    contents.reserve(gdtText.size() + orderLines.size());
    contents.append(gdtText).append(orderLines);
    // Flushed by the confirmation with all the others before any of them is published.
    return StagedFile(JoinPath(format.targetFolder, CreateGUID() + ".gdt"), contents, -1,
                      StagedFlush::Later);
}

}  // namespace

std::string BuildOrderLines(const OrderFormat& f, std::string_view accessionNumber,
                            const OrderChoice& choice, const BodyPartEntry& part) {
    std::string lines = CreateGDTLine("8402", choice.modality);
    if (f.konica) {
        lines += CreateGDTLine("8751", part.abbreviation);
    } else if (f.factory) {
        lines += CreateGDTLine("8750", part.factoryCode);
    } else if (f.carestream) {
        lines += CreateGDTLine("8751", part.name);
        lines += CreateGDTLine("8750", part.factoryCode);
    }
    lines += CreateGDTLine("6227", part.name);
    lines += CreateGDTLine("5015", part.name);
    if (f.accession) {
        // Never the prefix alone: an order without its number would match the wrong images.
        if (accessionNumber.empty()) {
            throw AppError(err::NoAccessionNumber,
                           "Für den Auftrag konnte keine Accession Number vergeben werden");
        }
        lines += CreateGDTLine("4100", f.accessionPrefix + std::string(accessionNumber));
    }
    lines += CreateGDTLine(f.commentField, choice.comment);
    lines += CreateGDTLine("8315", choice.initials);
    return lines;
}

std::string BuildScanLines(const OrderFormat& f, const OrderChoice& choice) {
    return CreateGDTLine("8402", choice.modality) + CreateGDTLine(f.commentField, choice.comment) +
           CreateGDTLine("8315", choice.initials);
}

std::optional<StagedFile> WriteGDT(const OrderFormat& format, ErrorLog& log,
                                   std::string_view gdtText, const OrderChoice& choice,
                                   const BodyPartEntry& part, std::string_view accessionNumber) {
    std::optional<StagedFile> file;
    trap(log, trapname::WriteBodyPartOrder, [&] {
        file.emplace(stageOrderFile(format, gdtText,
                                    BuildOrderLines(format, accessionNumber, choice, part)));
    });
    return file;
}

std::optional<StagedFile> WriteGDTScan(const OrderFormat& format, ErrorLog& log,
                                       std::string_view gdtText, const OrderChoice& choice) {
    std::optional<StagedFile> file;
    trap(log, trapname::WriteScanOrder,
         [&] { file.emplace(stageOrderFile(format, gdtText, BuildScanLines(format, choice))); });
    return file;
}

}  // namespace morvik
