// kalidos-batch: the powder-diagram calculation of KALIDOS, driven from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "batch_options.hpp"
#include "batch_run.hpp"
#include "stream_messages.hpp"
#include "util/data_location.hpp"

int main(int argc, char** argv)
{
    using namespace kalidos::batch;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    ParsedCommandLine parsed = parse_command_line(arguments);
    if (parsed.options.help) {
        std::cout << usage_text();
        return kExitSuccess;
    }
    if (parsed.options.version) {
        std::cout << "kalidos-batch " << KALIDOS_VERSION << '\n';
        return kExitSuccess;
    }
    if (!parsed.error.empty()) {
        std::cerr << "kalidos-batch: " << parsed.error << "\nTry 'kalidos-batch --help' for more information.\n";
        return kExitUsage;
    }
    if (parsed.options.dataDirectory.empty())
        parsed.options.dataDirectory = kalidos::default_data_directory("/proc/self/exe").string();
    StreamMessages messages(std::cerr, parsed.options.overwrite);
    try {
        return run_batch(parsed.options, messages, std::cout);
    } catch (const std::exception& error) {
        // Input/output errors end the operation under way, as in the window.
        messages.note(error.what());
        return kExitRefused;
    }
}
