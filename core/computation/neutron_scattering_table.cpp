// Neutron coherent scattering (Fermi) lengths, 10⁻¹² cm, one row per nucleus name as the
// atom symbols key them (upper case, at most two letters; the dotted rows are isotopes kept for
// files that name them).
#include "computation/scattering.hpp"

namespace kalidos {

const std::array<NeutronScatteringRow, kNeutronTableRows>& neutron_scattering_table()
{
    static const std::array<NeutronScatteringRow, kNeutronTableRows> table{{
        {"LI", -0.203}, {"BE", 0.78}, {"B", 0.535}, {"C", 0.665}, {"N", 0.936}, {"O", 0.58}, {"F", 0.566},
        {"NE", 0.46}, {"NA", 0.363}, {"MG", 0.538}, {"AL", 0.345}, {"SI", 0.415}, {"P", 0.513},
        {"S", 0.285}, {"CL", 0.958}, {"AR", 0.18}, {"K", 0.371}, {"CA", 0.49}, {"SC", 1.215},
        {"TI", -0.337}, {"V", -0.041}, {"CR", 0.353}, {"MN", -0.373}, {"FE", 0.954}, {"CO", 0.278},
        {"NI", 1.03}, {"CU", 0.769}, {"ZN", 0.57}, {"GA", 0.72}, {"GE", 0.819}, {"AS", 0.673},
        {"SE", 0.795}, {"BR", 0.677}, {"KR", 0.791}, {"RB", 0.708}, {"SR", 0.688}, {"Y", 0.775},
        {"ZR", 0.7}, {"NB", 0.711}, {"MO", 0.695}, {"TC", 0.68}, {"RU", 0.721}, {"RH", 0.588}, {"PD", 0.6},
        {"AG", 0.602}, {"CD", 0.38}, {"IN", 0.408}, {"SN", 0.622}, {"SB", 0.564}, {"TE", 0.543},
        {"I", 0.528}, {"XE", 0.488}, {"CS", 0.542}, {"BA", 0.528}, {"LA", 0.827}, {"CE", 0.483},
        {"PR", 0.445}, {"ND", 0.78}, {"PM", 0}, {"SM", -0.5}, {"EU", 0.55}, {"GD", 1.5}, {"TB", 0.738},
        {"DY", 1.71}, {"HO", 0.85}, {"ER", 0.803}, {"TM", 0.705}, {"YB", 1.262}, {"LU", 0.73},
        {"HF", 0.777}, {"TA", 0.691}, {"W", 0.477}, {"RE", 0.92}, {"OS", 1.08}, {"IR", 1.06}, {"PT", 0.95},
        {"AU", 0.763}, {"HG", 1.266}, {"TL", 0.889}, {"PB", 0.94}, {"BI", 0.853}, {"PO", 0}, {"AT", 0},
        {"RN", 0}, {"FR", 0}, {"RA", 0}, {"AC", 0}, {"TH", 1.008}, {"PA", 1.3}, {"U", 0.861}, {"NP", 1.06},
        {"PU", 0.75}, {"AM", 0.76}, {"CM", 0.7}, {"BK", 0}, {"CF", 0}, {"H", -0.374}, {"D", 0.667},
        {"LI.", -0.22}, {"NI.", 1.44}, {"NI..", 0.28}, {"CU.", 1.109},
    }};
    return table;
}

}  // namespace kalidos
