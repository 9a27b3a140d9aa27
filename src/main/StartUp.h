#pragma once

namespace morvik {

class CatalogueDatabase;
class ErrorLog;
class MainWindow;
class Splash;

// The start-up sequence: load the main window (settings, drives, request), show it and the
// splash, set up the list columns, take a Jet catalogue over (or say in the catalogue area why
// not), fill the catalogue from the database, close the splash and leave the main window active;
// a take-over is then told to the operator once. A failure is logged under "Sub Main"; the main
// window is then shown with whatever loaded, so the operator can still work. Returns false after a
// failure.
bool StartProgram(MainWindow& window, Splash& splash, CatalogueDatabase& catalogue, ErrorLog& log);

}  // namespace morvik
