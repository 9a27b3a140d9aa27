#include "main/CommandLine.h"

#include <QCommandLineParser>

#include "Version.h"

namespace morvik {

namespace {

constexpr int Ok = 0;

constexpr const char* Help =
    "Aufruf: morvik [--help | --version]\n"
    "Morvik zeigt die erste Patientenanforderung (GDT-Datei) aus dem Quellordner an und\n"
    "schreibt nach der Auswahl von Modalität und Körperteilen die Aufträge für die Bildgebung\n"
    "in den Zielordner. Settings.ini, Bodypart.mdb, AccNum.dat und Logs/ liegen im\n"
    "Programmordner (beim installierten Paket /opt/morvik).\n"
    "\n"
    "  -h, --help     zeigt diese Hilfe\n"
    "  -v, --version  zeigt die Version\n"
    "\n"
    "Andere Argumente werden nicht beachtet: Das Fenster öffnet sich wie ohne sie.\n";

}  // namespace

std::optional<int> AnswerCommandLine(const QStringList& arguments, std::ostream& out) {
    QCommandLineParser parser;
    // "-style fusion" is one option, as Qt reads it, not the letters s, t, y, l, e.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, "");
    const QCommandLineOption version({"v", "version"}, "");
    parser.addOption(help);
    parser.addOption(version);
    // An unknown option does not stop the parse, so --help is found among any others.
    parser.parse(arguments);

    if (parser.isSet(help)) {
        out << Help;
        return Ok;
    }
    if (parser.isSet(version)) {
        out << "morvik " << kVersionText << '\n';
        return Ok;
    }
    return std::nullopt;
}

}  // namespace morvik
