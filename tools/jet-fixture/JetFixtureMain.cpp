// Writes a Jet catalogue for trying things by hand, e.g. a program folder's Bodypart.mdb:
//   morvik-jet-fixture OUT.mdb --jet4 --rows 300
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "JetWriter.h"

using namespace morvik::test;

namespace {

int Usage() {
    std::cerr << "usage: morvik-jet-fixture OUT.mdb --jet3|--jet4|--jet4-compressed [--rows N]\n"
                 "       [--without-table] [--omit COLUMN] [--duplicate-id] [--null-id]\n"
                 "       [--further] [--further-first]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    try {
        JetVersion version = JetVersion::Jet4;
        std::size_t count = 300;
        bool duplicateId = false, nullId = false, further = false;
        JetCatalogueOptions options;
        for (int i = 2; i < argc; ++i) {
            const std::string arg = argv[i];
            const bool hasValue = i + 1 < argc;
            if (arg == "--jet3") {
                version = JetVersion::Jet3;
            } else if (arg == "--jet4") {
                version = JetVersion::Jet4;
            } else if (arg == "--jet4-compressed") {
                version = JetVersion::Jet4Compressed;
            } else if (arg == "--rows" && hasValue) {
                count = std::stoul(argv[++i]);
            } else if (arg == "--without-table") {
                options.tableName = "tblKoerperteil";
            } else if (arg == "--omit" && hasValue) {
                options.omittedColumns.push_back(argv[++i]);
            } else if (arg == "--duplicate-id") {
                duplicateId = true;
            } else if (arg == "--null-id") {
                nullId = true;
            } else if (arg == "--further" || arg == "--further-first") {
                further = true;
                options.furtherColumnsFirst = arg == "--further-first";
            } else {
                return Usage();
            }
        }
        std::vector<JetBodyPartRow> rows = SampleJetCatalogue(count);
        if (duplicateId && rows.size() >= 2) rows.back().id = rows.front().id;
        if (nullId && rows.size() >= 2) rows[1].id = std::nullopt;
        if (further) {
            options.furtherColumns = {{"f_Sort", JetColumnType::LongInteger},
                                      {"f_Bemerkung", JetColumnType::Text},
                                      {"f_Kontrast", JetColumnType::YesNo}};
            for (std::size_t i = 0; i < rows.size(); ++i) {
                rows[i].further = {static_cast<std::int32_t>(i * 10),
                                   i % 4 == 0 ? JetValue() : JetValue("Bemerkung " + rows[i].name),
                                   i % 3 == 0};
            }
        }
        WriteJetCatalogue(argv[1], version, rows, options);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "morvik-jet-fixture: " << e.what() << "\n";
        return 1;
    }
}
