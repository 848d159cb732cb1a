#include "entry/model_entries.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "computation/scattering.hpp"

namespace kalidos {
namespace {

std::string entered_symbol(const std::string& symbol)
{
    const std::size_t first = symbol.find_first_not_of(' ');
    std::string text = first == std::string::npos ? std::string() : symbol.substr(first, kAtomSymbolLength);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Fermi lengths come from the nucleus of each atom; an unknown nucleus is reported as the
// window's atom display reports it.
bool fill_fermi_lengths(StructureModel& model, Messages& messages)
{
    bool complete = true;
    for (int atom = 1; atom <= model.atomCount; ++atom) {
        const int row = find_nucleus(model.atomSymbol[atom], messages);
        if (row == 0) {
            complete = false;
            continue;
        }
        model.atomFermiLength[atom] = neutron_scattering_table()[static_cast<std::size_t>(row - 1)].fermiLength;
    }
    return complete;
}

// Counts the warnings passed on: the element look-ups report a missing element only by warning.
class CountingMessages : public Messages {
public:
    explicit CountingMessages(Messages& inner) : inner_(inner) {}
    void warning(const std::string& text) override
    {
        ++warnings_;
        inner_.warning(text);
    }
    void beep() override { inner_.beep(); }
    Answer ask(const std::string& text) override { return inner_.ask(text); }
    int warnings() const { return warnings_; }

private:
    Messages& inner_;
    int warnings_ = 0;
};

}  // namespace

bool prepare_model_entries(StructureModel& model, Messages& messages)
{
    for (int atom = 1; atom <= model.atomCount; ++atom) {
        model.atomSymbol[atom] = entered_symbol(model.atomSymbol[atom]);
        model.atomLabel[atom] = short_text(model.atomLabel[atom], kAtomLabelLength);
        for (double* coordinate : {&model.atomX[atom], &model.atomY[atom], &model.atomZ[atom]})
            *coordinate -= std::trunc(*coordinate);
    }
    // Nuclei matter to neutrons only; an X-ray run is not told about them.
    const bool nucleiKnown = model.radiation != kNeutrons || fill_fermi_lengths(model, messages);
    if (!rebuild_element_table(model, messages))
        return false;
    CountingMessages counted(messages);
    load_element_scattering_data(model, nullptr, counted);
    const bool elementsKnown = counted.warnings() == 0;
    return model.radiation == kNeutrons ? nucleiKnown : elementsKnown;
}

}  // namespace kalidos
