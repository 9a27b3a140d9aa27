// Writes a fixed set of DICOM worklist items into a folder, as the program writes them for an
// order: a request read from its bytes, an order with a fixed UID and moment, the bytes from
// WorklistItemBytes. Built for Linux and for Windows, the two sets must be the same file for file.
//   morvik-worklist-sample FOLDER
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "gdt/GdtLine.h"
#include "platform/FileSystem.h"
#include "worklist/WorklistItem.h"

using namespace morvik;

namespace {

struct Sample {
    std::string request;  // GDT lines in the ANSI code page, as a practice system writes them
    WorklistOrder order;
};

std::vector<Sample> samples() {
    const LocalTime moment{2024, 3, 5, 8, 30, 15};
    return {
        // Latin-1 names, an accession number, a body part with both codes, a comment.
        {CreateGDTLine("3000", "4711") + CreateGDTLine("3101", "Müller") +
             CreateGDTLine("3102", "Jürgen") + CreateGDTLine("3103", "30061922") +
             CreateGDTLine("3110", "1"),
         {"0000042",
          {"Thorax p.a.", "THX", "1234"},
          "CR",
          "CR_RAUM1",
          "Bitte nüchtern",
          moment,
          "2.25.329800735698586629295641978511506172918"}},
        // Names beyond Latin-1 (UTF-8), no accession number, one protocol code.
        {CreateGDTLine("3000", "4712") + CreateGDTLine("3101", "Žák") +
             CreateGDTLine("3102", "Šimon") + CreateGDTLine("3103", "31021990") +
             CreateGDTLine("3110", "D"),
         {"",
          {"Abdomen", "ABD", ""},
          "US",
          "US1",
          "",
          moment,
          "2.25.178917415302370410447418815356282264581"}},
        // A modality without a body part, a comment of two lines.
        {CreateGDTLine("3000", "4713") + CreateGDTLine("3101", "Schäfer") +
             CreateGDTLine("3102", "Anna") + CreateGDTLine("3110", "2"),
         {"0000043",
          {},
          "DX",
          "DX1",
          "erste Zeile\r\nzweite Zeile",
          moment,
          "2.25.100000000000000000000000000000000000001"}},
    };
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
        for (const Sample& sample : samples()) {
            const WorklistItem item = MakeWorklistItem(ParseRequest(sample.request), sample.order);
            WriteFileAtomically(folder / WorklistFileName(item), WorklistItemBytes(item));
            std::cout << WorklistFileName(item) << "\n";
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "morvik-worklist-sample: " << e.what() << "\n";
        return 1;
    }
}
