#include "computation/listing_header.hpp"

#include "util/pascal_format.hpp"

namespace kalidos {
namespace {

std::string cell_values(const CellParameters& c)
{
    std::string text;
    for (const double v : {c.a, c.b, c.c, c.alpha, c.beta, c.gamma})
        text += fmt_fixed(v, 8, 3);
    return text;
}

// Symbol, label, x, y, z, B, population and multiplicity: the start of every atom row.
std::string atom_position(const StructureModel& m, int n)
{
    return fmt_text(m.atomSymbol[n], 2) + fmt_text(m.atomLabel[n], 2) + fmt_fixed(m.atomX[n], 9, 5) +
           fmt_fixed(m.atomY[n], 9, 5) + fmt_fixed(m.atomZ[n], 9, 5) + fmt_fixed(m.atomB[n], 6, 2) +
           fmt_fixed(m.atomPopulation[n], 8, 3) + fmt_fixed(m.atomMultiplicity[n], 8, 3);
}

double anomalous(const Table<Table<double, kMaxElements>, kAnomalousWavelengths>& table, int w, int e)
{
    return w <= kAnomalousWavelengths ? table[w][e] : 0.0;  // no f', f'' beyond the fourth wavelength
}

// The tube's monochromator, which the Lp column includes; nothing without one.
void write_monochromator(const StructureModel& m, std::ostream& out)
{
    const IntensityCorrections& c = m.profile.corrections;
    if (c.monochromatorTwoTheta > 0)
        out << "Monochromator 2Theta=" << fmt_fixed(c.monochromatorTwoTheta, 7, 2)
            << (c.monochromatorPlace == MonochromatorPlace::Incident ? " (incident beam)\n" : " (diffracted beam)\n");
}

void write_source_lines(const StructureModel& m, std::ostream& out)
{
    if (m.radiation == kNeutrons) {
        out << " KALIDOS : Powder diffraction diagram (Source: Neutrons)\n" << ' ' << std::string(55, '-') << '\n';
    } else if (m.xraySource == kSynchrotronSource) {
        out << "KALIDOS. Powder diffraction diagram (Source: Synchrotron)\n" << std::string(57, '-') << "\n\n";
        out << "Polarisation p=" << fmt_fixed(m.polarisation, 7, 2) << '\n';
    } else {
        out << "KALIDOS. Powder diffraction diagram (Source: X ray tube)\n" << std::string(56, '-') << '\n';
        write_monochromator(m, out);
    }
}

void write_symmetry(const StructureModel& m, std::ostream& out)
{
    out << "S.Group: " << m.spaceGroupSymbol << '\n';
    out << "Syst.  : " << m.crystalSystem << '\n';
    out << "Bravais: " << m.latticeLetter << '\n';
    out << (m.centrosymmetric ? "Centro" : "Non Centro") << '\n';
    out << "\nSpace group positions:\n";
    for (int j = 1; j <= m.operatorCount; ++j)
        out << m.operatorTexts[j] << '\n';
    if (m.centringCount >= 2) {
        out << "\nBravais lattice translations:\n";
        for (int v = 1; v <= m.centringCount; ++v)
            out << fmt_fixed(m.centringVectors[v].x, 10, 6) << fmt_fixed(m.centringVectors[v].y, 10, 6)
                << fmt_fixed(m.centringVectors[v].z, 10, 6) << '\n';
    }
}

void write_xray_scattering_data(const StructureModel& m, std::ostream& out)
{
    out << "\nAtomic scattering factors \n      f(0)";
    for (int w = 1; w <= m.wavelengths.count; ++w)
        out << "        f'        f\"";
    out << '\n';
    for (int e = 1; e <= m.elementCount; ++e) {
        const CromerCoefficients& f = m.cromer[e];
        out << listed_element(m.elementSymbols[e]) << fmt_fixed(f.c + f.a[1] + f.a[2] + f.a[3] + f.a[4], 10, 4);
        for (int w = 1; w <= m.wavelengths.count; ++w)
            out << fmt_fixed(anomalous(m.fPrime, w, e), 10, 4) << fmt_fixed(anomalous(m.fSecond, w, e), 10, 4);
        out << '\n';
    }
    out << "\nCromer Factors\n";
    out << "       c       a1     b1       a2      b2      a3      b3      a4      b4\n";
    for (int e = 1; e <= m.elementCount; ++e) {
        const CromerCoefficients& f = m.cromer[e];
        out << listed_element(m.elementSymbols[e]) << fmt_fixed(f.c, 8, 4);
        for (int i = 1; i <= 4; ++i)
            out << fmt_fixed(f.a[i], 8, 4) << fmt_fixed(f.b[i], 8, 4);
        out << '\n';
    }
}

}  // namespace

std::string listing_date(const Workspace& workspace)
{
    return workspace.clock ? workspace.clock() : current_date_time_text();
}

std::string listed_element(const std::string& symbol)
{
    return symbol.size() >= 4 ? symbol : symbol + std::string(4 - symbol.size(), ' ');
}

void write_detailed_header(const Workspace& workspace, std::ostream& out)
{
    const StructureModel& m = workspace.model;
    write_source_lines(m, out);
    out << '\n' << listing_date(workspace) << '\n' << m.title << '\n';
    out << "Cell   : " << cell_values(m.cell) << '\n';
    out << "Lambda : " << fmt_fixed(m.wavelengths.current, 10, 5) << '\n';
    write_symmetry(m, out);
    out << "\nAsymetric unit content:\n";
    if (m.radiation == kNeutrons) {
        out << "       x        y        z      B      Pop.   Mult.   Fermi\n";
        for (int n = 1; n <= m.atomCount; ++n)
            out << atom_position(m, n) << fmt_fixed(m.atomFermiLength[n], 8, 3) << '\n';
        out << '\n';
        return;
    }
    out << "         x        y        z      B      Pop.   Mult. Elem. Nb.\n";
    for (int n = 1; n <= m.atomCount; ++n)
        out << atom_position(m, n) << fmt_int(m.atomElementIndex[n], 5) << '\n';
    write_xray_scattering_data(m, out);
}

void write_short_header(const Workspace& workspace, std::ostream& out)
{
    const StructureModel& m = workspace.model;
    const bool neutrons = m.radiation == kNeutrons;
    if (neutrons) {
        out << "KALIDOS : Powder diffraction diagram (Source: Neutrons)\n" << std::string(55, '-') << '\n';
    } else {
        const bool synchrotron = m.xraySource == kSynchrotronSource;
        out << "KALIDOS : Calculated powder diffraction diagram (Source: "
            << (synchrotron ? "Synchrotron" : "Xray tube") << ")\n"
            << std::string(76, '-') << '\n';
        if (synchrotron)
            out << "\nPolarisation p=" << fmt_fixed(m.polarisation, 7, 2) << '\n';
        else
            write_monochromator(m, out);
    }
    out << '\n' << listing_date(workspace) << "\n\nResults for:" << m.title << '\n';
    out << (neutrons ? "Cell     : " : "Cell    : ") << cell_values(m.cell) << '\n';
    out << (neutrons ? "Sp. group: " : "Sp.Group: ") << m.spaceGroupSymbol << '\n';
    out << (neutrons ? "System   : " : "System  : ") << m.crystalSystem << '\n';
    out << (neutrons ? "Lattice  : " : "Lattice : ") << m.latticeLetter << '\n';
    out << "2Theta Min =" << fmt_fixed(m.twoTheta1, 7, 2) << '\n';
    out << "2Theta Max =" << fmt_fixed(m.twoTheta2, 7, 2) << '\n';
    out << "Asymetric unit content:\n";
    if (neutrons) {
        out << "       Nb     x        y        z      B      Pop.   Mult.   B Fermi \n";
        for (int n = 1; n <= m.atomCount; ++n)
            out << fmt_text(m.atomSymbol[n], 2) << fmt_text(m.atomLabel[n], 2) << fmt_int(m.atomElementIndex[n], 5)
                << fmt_fixed(m.atomX[n], 9, 5) << fmt_fixed(m.atomY[n], 9, 5) << fmt_fixed(m.atomZ[n], 9, 5)
                << fmt_fixed(m.atomB[n], 6, 2) << fmt_fixed(m.atomPopulation[n], 8, 3)
                << fmt_fixed(m.atomMultiplicity[n], 8, 3) << fmt_fixed(m.atomFermiLength[n], 8, 2) << '\n';
    } else {
        out << "         x        y        z      B      Pop.   Mult. Elem. Nb.\n";
        for (int n = 1; n <= m.atomCount; ++n)
            out << atom_position(m, n) << fmt_int(m.atomElementIndex[n], 5) << '\n';
    }
    out << '\n';
}

}  // namespace kalidos
