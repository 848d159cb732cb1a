// The diagram window's indexing: the Index window and an indexed cell added to the Phases window.
#include "diagram/tfindex.hpp"
#include "diagram/tfphases.hpp"
#include "diagram/tfplecran.hpp"

namespace kalidos::app {

void Tfplecran::show_index()
{
    indexing_->start();
}

bool Tfplecran::add_indexed_phase(const StructureModel& structure, const std::string& name)
{
    show_phases();
    return phases_->add_phase_structure(structure, name);
}

}  // namespace kalidos::app
