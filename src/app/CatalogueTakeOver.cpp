#include "app/CatalogueTakeOver.h"

#include <optional>

#include "base/AppError.h"
#include "base/ErrorNumbers.h"
#include "catalogue/CatalogueTable.h"
#include "catalogue/JetCatalogue.h"
#include "diag/ErrorLog.h"
#include "diag/TrapNames.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"

namespace morvik {

namespace {

namespace fs = std::filesystem;

// What Jet (Access) keeps beside a database while a program has it open.
constexpr const char* JetLockFileName = "Bodypart.ldb";
constexpr const char* TakeOverLockName = "Bodypart.lck";
// A catalogue file is small; a file beyond this is no catalogue of ours.
constexpr std::uint64_t LargestJetFile = 256ull << 20;

std::string quotedPath(const fs::path& path) {
    return "\"" + Utf8Path(path) + "\"";
}

// "Bodypart.jet.mdb", or, when a different file has that name, "Bodypart.jet.2.mdb" and so on:
// the first name that is free or already holds these very bytes.
fs::path keptName(const fs::path& folder, const std::string& bytes, bool& alreadyThere) {
    for (int n = 1;; ++n) {
        const fs::path candidate = folder / (n == 1 ? std::string(KeptJetCatalogueName)
                                                    : "Bodypart.jet." + std::to_string(n) + ".mdb");
        std::error_code ec;
        if (fs::symlink_status(candidate, ec).type() == fs::file_type::not_found) {
            alreadyThere = false;
            return candidate;
        }
        if (ReadPlainFile(candidate, LargestJetFile) == bytes) {
            alreadyThere = true;
            return candidate;
        }
    }
}

// The old file's permission bits, for the new catalogue and the kept copy: a program folder
// shared by a group keeps the catalogue writable for the group. Windows: -1, the folder's
// security applies to new files as it did to the old one.
int modeOf(const fs::path& file) {
#ifdef _WIN32
    (void)file;
    return -1;
#else
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    return ec ? -1 : static_cast<int>(status.permissions() & fs::perms::mask);
#endif
}

enum class Phase { Reading, Writing };

// What the operator reads in the catalogue area when the take-over cannot be done.
std::string refusal(const fs::path& folder, Phase phase, const AppError& error) {
    const std::string head = "Der Körperteilkatalog " + quotedPath(folder / CatalogueFileName) +
                             " ist eine Jet-Datenbank (Access) und konnte nicht übernommen "
                             "werden: ";
    const std::string untouched = " Die Datei bleibt unverändert.";
    const std::string restart = " Danach Morvik neu starten.";
    switch (error.Number()) {
        case err::JetHeldOpen:
        case err::FileAlreadyOpen:
            return head + "Sie ist in einem anderen Programm geöffnet. Bitte Access und jedes " +
                   "andere Programm schließen, das sie verwendet; ist keines mehr offen, die " +
                   "Datei " + quotedPath(folder / JetLockFileName) + " löschen." + restart +
                   untouched;
        case err::JetTableMissing:
        case err::JetColumnMissing:
        case err::JetRowRefused:
            return head + error.what() +
                   ". Bitte die Tabelle tblBodypart in Access berichtigen (prüfen mit "
                   "\"morvik-catalogue PROGRAMMORDNER list\") oder den Katalog mit "
                   "morvik-catalogue aus einer CSV-Datei einlesen." +
                   restart + untouched;
        case err::JetUnsupported:
            return head + "Diese Ausgabe von Morvik kann Jet-Dateien nicht lesen. Bitte den " +
                   "Katalog mit morvik-catalogue (Linux) übernehmen oder als CSV-Datei einlesen." +
                   untouched;
        default:
            break;
    }
    if (phase == Phase::Writing &&
        (error.Number() == err::PermissionDenied || error.Number() == err::PathFileAccess)) {
        return head + "Der Programmordner " + quotedPath(folder) + " ist schreibgeschützt (" +
               error.what() +
               "). Bitte dort Schreibrechte geben: Bodypart.mdb wird ersetzt, die alte Datei "
               "als Bodypart.jet.mdb aufbewahrt." +
               restart + untouched;
    }
    if (phase == Phase::Reading) {
        return head + "Die Datei kann nicht gelesen werden oder ist beschädigt (" + error.what() +
               "). Bitte sie in Access mit \"Datenbank komprimieren und reparieren\" prüfen oder " +
               "die Katalogdatei aus der Datensicherung zurückholen." + restart + untouched;
    }
    return head + error.what() + "." + restart + untouched;
}

CatalogueTakeOver takeOver(const fs::path& folder, const fs::path& file, Phase& phase) {
    CatalogueTakeOver result;
    phase = Phase::Writing;
    const FileLock lock(folder / TakeOverLockName);
    phase = Phase::Reading;
    // Another workstation may have taken it over while this one waited for the lock.
    if (JetFormatOfFile(file) == JetFormat::NotJet) return result;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(folder / JetLockFileName, ec))) {
        throw AppError(err::JetHeldOpen, Utf8Path(file) + " ist in Access geöffnet (" +
                                             JetLockFileName + " liegt daneben)");
    }
    const std::string old = ReadFileBytes(file);
    const std::vector<CatalogueRow> rows = ReadJetCatalogue(file);

    phase = Phase::Writing;
    const int mode = modeOf(file);
    StagedFile catalogue(file, CatalogueFileImage(rows), mode);
    bool alreadyKept = false;
    const fs::path kept = keptName(folder, old, alreadyKept);
    if (!alreadyKept) {
        // Named while still locked (no sweep takes it), and without replacing anything; the
        // staged file then lets go of it.
        StagedFile copy(kept, old, mode);
        if (RenameNoReplace(copy.Temporary(), kept) != RenameOutcome::Done) {
            throw AppError(err::PathFileAccess,
                           "Die Kopie " + Utf8Path(kept) + " konnte nicht angelegt werden");
        }
        copy.Keep();
        FlushFolder(folder);
    }
    // The old file must be the one that was read: an edit meanwhile would be lost.
    if (ReadFileBytes(file) != old) {
        throw AppError(err::JetHeldOpen, Utf8Path(file) + " wurde während der Übernahme geändert");
    }
    catalogue.Commit();

    result.outcome = CatalogueTakeOver::Outcome::TakenOver;
    result.bodyParts = rows.size();
    result.kept = kept;
    result.message = "Der Körperteilkatalog wurde aus der Jet-Datenbank (Access) übernommen: " +
                     std::to_string(rows.size()) +
                     (rows.size() == 1 ? " Körperteil" : " Körperteile") +
                     ". Die alte Datei liegt unverändert unter " + quotedPath(kept) + ".";
    return result;
}

}  // namespace

CatalogueTakeOver TakeOverJetCatalogue(const fs::path& programFolder, ErrorLog& log) {
    const fs::path file = programFolder / CatalogueFileName;
    Phase phase = Phase::Reading;
    try {
        std::error_code ec;
        if (!fs::exists(file, ec) && !ec) return {};  // the catalogue's own open says so
        JetFormat format = JetFormat::NotJet;
        try {
            format = JetFormatOfFile(file);
        } catch (const AppError& e) {
            // Not even its first bytes could be read, so nobody knows what it is: nothing here
            // may say it is a Jet file. The catalogue's own open reports a lasting failure.
            log.LogError(trapname::StartUp, e.Number(),
                         "Übernahme des Jet-Katalogs nicht geprüft: " + std::string(e.what()));
            return {};
        }
        if (format == JetFormat::NotJet) return {};
        CatalogueTakeOver result = takeOver(programFolder, file, phase);
        if (result.outcome == CatalogueTakeOver::Outcome::TakenOver) {
            log.LogError(trapname::StartUp, err::CatalogueTakenOver,
                         std::to_string(result.bodyParts) + " Körperteile aus der Jet-Datenbank " +
                             Utf8Path(file) + " übernommen, die alte Datei liegt unter " +
                             Utf8Path(result.kept));
        }
        return result;
    } catch (const std::exception& e) {
        const auto* known = dynamic_cast<const AppError*>(&e);
        const AppError error = known ? *known : AppError(err::InternalError, e.what());
        log.LogError(trapname::StartUp, error.Number(),
                     "Übernahme des Jet-Katalogs: " + std::string(e.what()));
        CatalogueTakeOver result;
        result.outcome = CatalogueTakeOver::Outcome::Refused;
        result.message = refusal(programFolder, phase, error);
        return result;
    }
}

}  // namespace morvik
