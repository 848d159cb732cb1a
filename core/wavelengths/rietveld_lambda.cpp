#include "wavelengths/rietveld_lambda.hpp"

#include <optional>

#include "util/number_text.hpp"  // for parse_real
#include "util/pascal_format.hpp"

namespace kalidos {

const std::array<RietveldAnode, kRietveldAnodes>& rietveld_anode_table()
{
    static const std::array<RietveldAnode, kRietveldAnodes> table = {{
        {"Mo", 0.7093, 0.71359, 0.7107},
        {"Cu", 1.54056, 1.54439, 1.5418},
        {"Co", 1.78897, 1.79285, 1.7902},
        {"Fe", 1.93339, 1.9373, 1.93604},
        {"Cr", 2.2897, 2.29361, 2.2909},
    }};
    return table;
}

void clicklistbox(RietveldLambdaForm& form, int item)
{
    if (item < 0 || item >= kRietveldAnodes)
        return;
    const RietveldAnode& anode = rietveld_anode_table()[static_cast<std::size_t>(item)];
    form.anodeItem = item;
    form.edit51 = fmt_fixed(anode.lambda1, 8, 5);
    form.edit54 = fmt_fixed(anode.lambda2, 8, 5);
    form.edit57 = fmt_fixed(anode.lambda, 8, 5);
}

namespace {

// λ1 and λ2 are informative only: an empty edit reads 0.
std::optional<double> parse_or_zero(const std::string& text)
{
    return trim(text).empty() ? 0.0 : parse_real(text);
}

}  // namespace

// The mean wavelength must be positive: the import divides by it to give each point its Q.
RietveldLambdaOutcome lit_lambda(const RietveldLambdaForm& form, const std::function<bool()>& rereadFile,
                                 RawScan& scan, Messages& messages)
{
    if (!rereadFile()) {
        messages.warning("Read error in the Rietveld file!");
        return RietveldLambdaOutcome::FileUnreadable;
    }
    const auto mean = parse_real(form.edit57);
    if (!mean || *mean <= 0) {
        messages.warning("Lambda error!");
        return RietveldLambdaOutcome::Stay;
    }
    const auto lambda1 = parse_or_zero(form.edit51);
    if (!lambda1) {
        messages.warning("Lambda1 error!");
        return RietveldLambdaOutcome::Stay;
    }
    const auto lambda2 = parse_or_zero(form.edit54);
    if (!lambda2) {
        messages.warning("Lambda2 error!");
        return RietveldLambdaOutcome::Stay;
    }
    scan.meanLambda = *mean;
    const bool chosen = form.anodeItem >= 0 && form.anodeItem < kRietveldAnodes;
    scan.lambda1 = chosen ? *lambda1 : 0;
    scan.lambda2 = chosen ? *lambda2 : 0;
    scan.anode = chosen ? rietveld_anode_table()[static_cast<std::size_t>(form.anodeItem)].anode : "?";
    scan.ratio = chosen ? 0.5 : 1;
    return RietveldLambdaOutcome::Accepted;
}

}  // namespace kalidos
