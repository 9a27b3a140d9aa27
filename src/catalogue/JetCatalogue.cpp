#include "catalogue/JetCatalogue.h"

#include <unordered_set>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace {

std::size_t requireColumn(const JetTable& table, const char* name, JetTable::Kind kind,
                          const char* kindName) {
    const auto column = table.FindColumn(name);
    if (!column) {
        throw AppError(err::JetColumnMissing,
                       std::string("Die Spalte ") + name + " fehlt in tblBodypart");
    }
    if (table.Columns()[*column].kind != kind) {
        throw AppError(err::JetColumnMissing,
                       std::string("Die Spalte ") + name + " in tblBodypart ist kein " + kindName);
    }
    return *column;
}

}  // namespace

std::vector<CatalogueRow> ReadJetCatalogue(const std::filesystem::path& file) {
    if (!JetReadingAvailable()) {
        throw AppError(err::JetUnsupported,
                       "Diese Ausgabe von Morvik kann Jet-Dateien nicht lesen: " + Utf8Path(file));
    }
    JetDatabase database(file);
    JetTable table = database.Table("tblBodypart");
    const std::size_t id = requireColumn(table, "ID", JetTable::Kind::Integer, "Zahlenfeld");
    const std::size_t name = requireColumn(table, "f_Name", JetTable::Kind::Text, "Textfeld");
    const std::size_t show =
        requireColumn(table, "f_Show", JetTable::Kind::Boolean, "Ja/Nein-Feld");
    const std::size_t konica = requireColumn(table, "f_Konica", JetTable::Kind::Text, "Textfeld");
    const std::size_t factory = requireColumn(table, "f_Factory", JetTable::Kind::Text, "Textfeld");

    std::vector<CatalogueRow> rows;
    std::unordered_set<std::int64_t> ids;
    while (table.Next()) {
        const std::optional<std::int64_t> rowId = table.Integer(id);
        if (!rowId) {
            throw AppError(err::JetRowRefused, "Die " + std::to_string(rows.size() + 1) +
                                                   ". Zeile von tblBodypart hat keine ID");
        }
        if (!ids.insert(*rowId).second) {
            throw AppError(err::JetRowRefused, "Die ID " + std::to_string(*rowId) +
                                                   " kommt in tblBodypart mehrfach vor");
        }
        rows.push_back({*rowId, table.Text(name).value_or(""), table.Truth(show),
                        table.Text(konica).value_or(""), table.Text(factory).value_or("")});
    }
    return rows;
}

}  // namespace morvik
