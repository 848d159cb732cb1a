// The window program's command line: a structure file to open and an anode line to choose.
#pragma once

#include <QStringList>
#include <string>

namespace kalidos::app {

struct StartOptions {
    std::string structureFile; // absolute, as the program may change its folder
    std::string anodeLine;
};

// Reads the arguments (the program's name first); --help and --version print their text and end
// the program, an unknown option ends it with the usage.
StartOptions read_start_options(const QStringList& arguments);

}  // namespace kalidos::app
