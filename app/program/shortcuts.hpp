// The usual keys of desktop programs, on the menu items that had none, shown in the menus.
#pragma once

namespace kalidos::app {

class FileDialogs;
class Tfmain;
class Tfplecran;

// Main window: Ctrl+O File › Open › All structure files (added first in Open: one dialog for every
// structure format, the format taken from the extension), Ctrl+S File › Save, Ctrl+Q File › Quit
// (from either window), F5 "Calcul.". Diagram window: Ctrl+O File › Open › All diagram files,
// Ctrl+P File › Print.
void add_shortcuts(Tfmain& main, Tfplecran& diagram, FileDialogs& fileDialogs);

}  // namespace kalidos::app
