// Writes a fixed set of DICOM worklist items into a folder, as the program writes them for an
// order: a request read from its bytes, an order with a fixed UID and moment, the bytes from
// WorklistItemBytes. Built for Linux and for Windows, the two sets must be the same file for file.
//   morvik-worklist-sample FOLDER
#include <array>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "gdt/GdtLine.h"
#include "platform/FileSystem.h"
#include "worklist/WorklistItem.h"

using namespace morvik;

namespace {

// The samples, one row each: the request's fields 3000, 3101, 3102, 3103 and 3110, then the
// order's accession number, body part (name, abbreviation, factory code), modality, station,
// comment and Study Instance UID.
using Sample = std::array<std::string_view, 13>;
constexpr std::array<Sample, 3> kSamples = {{
    // Latin-1 names, an accession number, a body part with both codes, a comment.
    {"4711", "Müller", "Jürgen", "30061922", "1", "0000042", "Thorax p.a.", "THX", "1234", "CR",
     "CR_RAUM1", "Bitte nüchtern", "2.25.329800735698586629295641978511506172918"},
    // Names beyond Latin-1 (UTF-8), no accession number, one protocol code.
    {"4712", "Žák", "Šimon", "31021990", "D", "", "Abdomen", "ABD", "", "US", "US1", "",
     "2.25.178917415302370410447418815356282264581"},
    // A modality without a body part, no date of birth, a comment of two lines.
    {"4713", "Schäfer", "Anna", "", "2", "0000043", "", "", "", "DX", "DX1",
     "erste Zeile\r\nzweite Zeile", "2.25.100000000000000000000000000000000000001"},
}};

// The item as the program makes it for an order: the request as a practice system writes it
// (GDT lines in the ANSI code page) read back, the order confirmed at a fixed moment.
WorklistItem itemOf(const Sample& sample) {
    static constexpr std::array<std::string_view, 5> kFields = {"3000", "3101", "3102", "3103",
                                                                "3110"};
    std::string request;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        request += CreateGDTLine(kFields[i], sample[i]);
    }
    WorklistOrder order;
    order.accessionNumber = sample[5];
    order.bodyPart = {std::string(sample[6]), std::string(sample[7]), std::string(sample[8])};
    order.modality = sample[9];
    order.stationAeTitle = sample[10];
    order.comment = sample[11];
    order.moment = {2024, 3, 5, 8, 30, 15};
    order.studyInstanceUid = sample[12];
    return MakeWorklistItem(ParseRequest(request), order);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: morvik-worklist-sample FOLDER\n";
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[1];
        std::filesystem::create_directories(folder);
        for (const Sample& sample : kSamples) {
            const WorklistItem item = itemOf(sample);
            const std::string name = item.studyInstanceUid + ".wl";  // fixed, so both systems agree
            WriteFileAtomically(folder / name, WorklistItemBytes(item));
            std::cout << name << "\n";
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "morvik-worklist-sample: " << e.what() << "\n";
        return 1;
    }
}
