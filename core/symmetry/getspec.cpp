// The only file of the program that includes gemmi's space-group tables (slow to compile).
#include "symmetry/getspec.hpp"

#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>
#include <optional>

#include <gemmi/symmetry.hpp>

#include "symmetry/symbol_text.hpp"

namespace kalidos {
namespace {

struct Group {
    std::string name;  // the table's own symbol, or the Hall symbol as given
    std::string hall;
    gemmi::GroupOps ops;
};

bool starts_with_digit(const std::string& text)
{
    return !text.empty() && std::isdigit(static_cast<unsigned char>(text[0])) != 0;
}

// Hall symbols write the lattice letter in upper case and everything else in lower case;
// an upper-cased symbol ("-P 2YBC") is put back in that form.
std::string hall_spelling(const std::string& symbol)
{
    std::string hall = symtext::trim(symbol);
    bool latticeSeen = false;
    for (char& c : hall) {
        if (std::isalpha(static_cast<unsigned char>(c)) == 0)
            continue;
        c = static_cast<char>(latticeSeen ? std::tolower(static_cast<unsigned char>(c))
                                          : std::toupper(static_cast<unsigned char>(c)));
        latticeSeen = true;
    }
    return hall;
}

// Hermann-Mauguin first (gemmi's table ignores case and blanks and knows the short
// symbols), then Hall. Numbers are not symbols.
std::optional<Group> resolve(const std::string& symbol)
{
    if (symbol.empty() || starts_with_digit(symbol))
        return std::nullopt;
    if (const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_name(symbol))
        return Group{sg->xhm(), sg->hall, sg->operations()};
    const std::string hall = hall_spelling(symbol);
    try {
        return Group{hall, hall, gemmi::symops_from_hall(hall.c_str())};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool is_inversion(const gemmi::Op& op)
{
    return op.rot == gemmi::Op::identity().negated_rot() && op.tran == gemmi::Op::Tran{0, 0, 0};
}

// Each representative may be replaced by any of its centred copies; the inversion through
// the origin is taken when the group has it, so that the file names it.
void normalise_representatives(gemmi::GroupOps& ops)
{
    for (gemmi::Op& op : ops.sym_ops) {
        op.wrap();
        for (const gemmi::Op::Tran& shift : ops.cen_ops) {
            const gemmi::Op copy = op.add_centering(shift);
            if (is_inversion(copy))
                op = copy;
        }
    }
}

std::string fixed7(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 7);
    return std::string(buffer, result.ptr);
}

std::string numbers_line(const gemmi::Op& op)
{
    std::string line;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            line += (op.rot[i][j] < 0 ? " -" : "  ") + std::to_string(std::abs(op.rot[i][j]) / gemmi::Op::DEN);
        line += "  " + fixed7(static_cast<double>(op.tran[i]) / gemmi::Op::DEN);
    }
    return line;
}

// "X, Y, Z+1/2": coordinates separated by ", " so that only the inversion through the
// origin, written "-X,-Y,-Z", contains that text.
std::string operator_text(const gemmi::Op& op)
{
    if (is_inversion(op))
        return "-X,-Y,-Z";
    std::string triplet = symtext::upper(op.triplet());
    std::string text;
    for (char c : triplet)
        text += c == ',' ? std::string(", ") : std::string(1, c);
    return text;
}

std::string padded_number(std::size_t n)
{
    std::string text = std::to_string(n);
    return std::string(text.size() < 5 ? 5 - text.size() : 0, ' ') + text + "  ";
}

bool write_scfs(const Group& group, std::ostream& out)
{
    out << "Space group " << group.name << "   Hall " << group.hall << '\n';
    for (const gemmi::Op& op : group.ops.sym_ops)
        out << numbers_line(op) << '\n';
    out << '\n';
    out << "Hall symbol       " << group.hall << '\n';
    out << "Centring vectors  " << group.ops.cen_ops.size() - 1 << '\n';
    out << "Representatives   " << group.ops.sym_ops.size() << '\n';
    out << "General positions " << group.ops.order() << '\n';
    for (std::size_t i = 0; i < group.ops.sym_ops.size(); ++i)
        out << padded_number(i + 1) << operator_text(group.ops.sym_ops[i]) << '\n';
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace

SymbolCodes symbol_codes(const std::string& symbol)
{
    SymbolCodes codes;
    codes.fill(' ');
    for (std::size_t k = 0; k < codes.size() && k < symbol.size(); ++k)
        codes[k] = static_cast<unsigned char>(symbol[k]);
    return codes;
}

InterpreterStatus getspec(const SymbolCodes& codes, std::ostream& out)
{
    std::string symbol;
    for (int code : codes)
        symbol += static_cast<char>(code);
    std::optional<Group> group = resolve(symtext::trim(symbol));
    if (!group)
        return InterpreterStatus::UnknownSymbol;
    normalise_representatives(group->ops);
    return write_scfs(*group, out) ? InterpreterStatus::Written : InterpreterStatus::WriteFailed;
}

InterpreterStatus getspec(const SymbolCodes& codes, const std::filesystem::path& directory)
{
    std::ostringstream text;
    const InterpreterStatus status = getspec(codes, text);
    if (status != InterpreterStatus::Written)
        return status;
    std::ofstream out(directory / "scfs.dat");
    out << text.str();
    out.flush();
    return out ? InterpreterStatus::Written : InterpreterStatus::WriteFailed;
}

}  // namespace kalidos
