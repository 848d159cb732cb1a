#include "program/start_options.hpp"

#include <QCommandLineParser>
#include <QFileInfo>

namespace kalidos::app {

StartOptions read_start_options(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("Powder diffraction diagrams simulated from a crystal structure.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption anode("anode", "Choose the line NAME of the Anode list (CuKa1, MoKa1, ...).", "NAME");
    parser.addOption(anode);
    parser.addPositionalArgument("file", "A structure file to open (.cry, .ins, .inp, .res, .cel, .lzy or .cif).",
                                 "[file]");
    parser.process(arguments);
    StartOptions options;
    if (!parser.positionalArguments().isEmpty())
        options.structureFile = QFileInfo(parser.positionalArguments().first()).absoluteFilePath().toStdString();
    options.anodeLine = parser.value(anode).toStdString();
    return options;
}

}  // namespace kalidos::app
