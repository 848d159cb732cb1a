#include "wavelengths/composition.hpp"

#include <cmath>

#include <gtest/gtest.h>

#include "model/wavelength_set.hpp"
#include "support/recording_messages.hpp"

namespace kalidos {
namespace {

using testing::RecordingMessages;

CompositionForm form_of(std::array<std::string, 4> lambdas, std::array<std::string, 4> intensities)
{
    CompositionForm form;
    form.wavelength = lambdas;
    form.intensity = intensities;
    return form;
}

std::unique_ptr<Workspace> workspace_with_two_elements()
{
    auto ws = make_workspace("/tmp");
    ws->model.elementCount = 2;
    ws->model.elementSymbols[1] = "CU";
    ws->model.elementSymbols[2] = "O";
    return ws;
}

}  // namespace

TEST(Composition, TwoLinesGiveTwoThirdsAndOneThirdInEitherOrder)
{
    for (const auto& form0 : {form_of({"1.54056", "1.54439", "", ""}, {"100", "50", "", ""}),
                              form_of({"1.54439", "1.54056", "", ""}, {"50", "100", "", ""})}) {
        auto ws = workspace_with_two_elements();
        RecordingMessages messages;
        CompositionForm form = form0;
        const CompositionOutcome outcome = lit_composition(form, *ws, messages);
        EXPECT_TRUE(outcome.accepted);
        EXPECT_TRUE(messages.warnings.empty());
        const WavelengthSet& set = ws->model.wavelengths;
        ASSERT_EQ(set.count, 2);
        EXPECT_DOUBLE_EQ(set.values[1], 1.54056);
        EXPECT_DOUBLE_EQ(set.values[2], 1.54439);
        EXPECT_DOUBLE_EQ(set.weights[1], 2.0 / 3);
        EXPECT_DOUBLE_EQ(set.weights[2], 1.0 / 3);
        EXPECT_DOUBLE_EQ(set.shortest, 1.54056);
        EXPECT_DOUBLE_EQ(set.longest, 1.54439);
        EXPECT_DOUBLE_EQ(ws->model.typedWavelength, 1.54056);
        EXPECT_EQ(ws->anomalousGrid.columns(), 5);
    }
}

TEST(Composition, CuKThenOkGivesThreeSortedLines)
{
    auto ws = workspace_with_two_elements();
    ws->model.fPrime[3][2] = 4.5;  // left from an earlier reading
    CompositionForm form;
    form.wavelength[3] = "";
    fill_composition_from_anode(form, ws->model, 1);
    EXPECT_EQ(ws->model.anodeSymbol, "Cu");
    EXPECT_EQ(form.wavelength[0], "1.54056");
    EXPECT_EQ(form.intensity[2], "10");
    RecordingMessages messages;
    ASSERT_TRUE(lit_composition(form, *ws, messages).accepted);
    const WavelengthSet& set = ws->model.wavelengths;
    ASSERT_EQ(set.count, 3);
    const double expected[3][2] = {{1.39222, 10.0 / 160}, {1.54056, 100.0 / 160}, {1.54439, 50.0 / 160}};
    for (int i = 1; i <= 3; ++i) {
        EXPECT_DOUBLE_EQ(set.values[i], expected[i - 1][0]);
        EXPECT_DOUBLE_EQ(set.weights[i], expected[i - 1][1]);
    }
    EXPECT_DOUBLE_EQ(ws->model.typedWavelength, 1.39222);
    EXPECT_EQ(ws->model.fPrime[3][2], 0);
    const double k = 0.00872664314;
    EXPECT_DOUBLE_EQ(ws->model.q1, kFourPi * std::sin(ws->model.twoTheta1 * k) / 1.54439);
    EXPECT_DOUBLE_EQ(ws->model.q2, kFourPi * std::sin(ws->model.twoTheta2 * k) / 1.39222);
    // Three wavelengths: seven columns, headed by the wavelengths.
    EXPECT_EQ(ws->anomalousGrid.columns(), 7);
    EXPECT_EQ(ws->anomalousGrid.cell(0, 5), " 1.5444");
    EXPECT_EQ(ws->anomalousGrid.cell(3, 6), " 0.000");
}

TEST(Composition, AnodeFillKeepsTheFourthRowAndIgnoresUnknownItems)
{
    StructureModel model;
    CompositionForm form = form_of({"a", "b", "c", "0.5"}, {"1", "2", "3", "7"});
    fill_composition_from_anode(form, model, 3);
    EXPECT_EQ(form.wavelength[0], "1.93604");
    EXPECT_EQ(form.wavelength[1], "1.93339");
    EXPECT_EQ(form.wavelength[3], "0.5");
    EXPECT_EQ(form.intensity[3], "7");
    fill_composition_from_anode(form, model, 5);
    EXPECT_EQ(model.anodeSymbol, "Fe");
    EXPECT_EQ(form.wavelength[0], "1.93604");
}

TEST(Composition, RowOfIntensityZeroIsDroppedAndEmptied)
{
    auto ws = workspace_with_two_elements();
    RecordingMessages messages;
    CompositionForm form = form_of({"1.5", "0.7", "2.0", ""}, {"30", "0", "10", ""});
    ASSERT_TRUE(lit_composition(form, *ws, messages).accepted);
    EXPECT_EQ(form.wavelength[1], "");
    EXPECT_EQ(form.intensity[1], "");
    ASSERT_EQ(ws->model.wavelengths.count, 2);
    EXPECT_DOUBLE_EQ(ws->model.wavelengths.values[1], 1.5);
    EXPECT_DOUBLE_EQ(ws->model.wavelengths.weights[2], 0.25);
}

TEST(Composition, RefusalsNameTheEditAndLeaveTheModelAlone)
{
    struct Case {
        CompositionForm form;
        const char* message;
        const char* focus;
    };
    const Case cases[] = {
        {form_of({"1.5", "1.6", "", ""}, {"100", "", "", ""}), "No percent on wavelength #2", "Edit6"},
        {form_of({"", "", "", "1.6"}, {"", "", "", " "}), "No percent on wavelength #4", "Edit8"},
        {form_of({"1.5", "1,6", "", ""}, {"100", "50", "", ""}), "Type error", "Edit2"},
        {form_of({"1.5", "", "", ""}, {"1OO", "", "", ""}), "Type error", "Edit5"},
        {form_of({"-1.5", "", "", ""}, {"100", "", "", ""}), "Type error", "Edit1"},
        {form_of({"1.5", "", "", ""}, {"-10", "", "", ""}), "Type error", "Edit5"},
        {form_of({"", " ", "", ""}, {"", "", "", ""}), "No Wavelength!", ""},
        {form_of({"1.5", "", "", ""}, {"0", "", "", ""}), "No Wavelength!", ""},
    };
    for (const Case& c : cases) {
        auto ws = workspace_with_two_elements();
        set_single_wavelength(ws->model, 0.7093);
        ws->model.fPrime[1][1] = 0.25;
        RecordingMessages messages;
        CompositionForm form = c.form;
        const CompositionOutcome outcome = lit_composition(form, *ws, messages);
        EXPECT_FALSE(outcome.accepted) << c.message;
        EXPECT_EQ(outcome.focusEdit, c.focus) << c.message;
        ASSERT_EQ(messages.warnings.size(), 1u);
        EXPECT_EQ(messages.warnings[0], c.message);
        EXPECT_EQ(ws->model.wavelengths.count, 1);
        EXPECT_DOUBLE_EQ(ws->model.wavelengths.values[1], 0.7093);
        EXPECT_EQ(ws->model.fPrime[1][1], 0.25);
    }
}

TEST(Composition, HarmonicsOfTheFirstWavelength)
{
    RecordingMessages messages;
    CompositionForm form = form_of({"1.54056", "x", "y", "z"}, {"1", "2", "3", "4"});
    EXPECT_FALSE(apply_harmonics(form, messages).accepted);
    EXPECT_EQ(form.wavelength[1], " 0.77028");
    EXPECT_EQ(form.wavelength[2], " 0.51352");
    EXPECT_EQ(form.wavelength[3], "");
    for (const auto& text : form.intensity)
        EXPECT_EQ(text, "");
    EXPECT_TRUE(messages.warnings.empty());

    // The intensities stay empty, so OK then asks for them.
    auto ws = workspace_with_two_elements();
    lit_composition(form, *ws, messages);
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.warnings[0], "No percent on wavelength #1");
}

TEST(Composition, HarmonicsOfAnUnreadableOrEmptyFirstWavelength)
{
    RecordingMessages messages;
    CompositionForm form = form_of({"1.5.4", "x", "y", "z"}, {"1", "2", "3", "4"});
    const CompositionOutcome outcome = apply_harmonics(form, messages);
    EXPECT_EQ(outcome.focusEdit, "Edit1");
    ASSERT_EQ(messages.warnings.size(), 1u);
    EXPECT_EQ(messages.warnings[0], "Read error");
    EXPECT_EQ(form.wavelength[1], "");  // edits 2-8 are emptied before the conversion
    EXPECT_EQ(form.intensity[0], "");

    CompositionForm untouched = form_of({"", "x", "", ""}, {"1", "", "", ""});
    apply_harmonics(untouched, messages);
    EXPECT_EQ(untouched.wavelength[1], "x");
    EXPECT_EQ(untouched.intensity[0], "1");
}

}  // namespace kalidos
