#include "wavelengths/rietveld_lambda.hpp"

#include <gtest/gtest.h>

#include "support/recording_messages.hpp"

namespace kalidos {

using testing::RecordingMessages;

TEST(RietveldLambda, ListShowsTheDialogsOwnValues)
{
    RietveldLambdaForm form;
    clicklistbox(form, 3);
    EXPECT_EQ(form.anodeItem, 3);
    EXPECT_EQ(form.edit51, " 1.93339");
    EXPECT_EQ(form.edit54, " 1.93730");
    EXPECT_EQ(form.edit57, " 1.93604");
    clicklistbox(form, 0);
    EXPECT_EQ(form.edit51, " 0.70930");
    EXPECT_EQ(form.edit57, " 0.71070");
    clicklistbox(form, 5);
    EXPECT_EQ(form.anodeItem, 0);
}

TEST(RietveldLambda, ChosenAnodeSetsTheScansWavelengths)
{
    RietveldLambdaForm form;
    clicklistbox(form, 1);
    form.edit57 = "1.5406";  // the mean may be edited
    RawScan scan;
    RecordingMessages messages;
    int reads = 0;
    EXPECT_EQ(lit_lambda(form, [&] { ++reads; return true; }, scan, messages), RietveldLambdaOutcome::Accepted);
    EXPECT_EQ(reads, 1);
    EXPECT_TRUE(messages.warnings.empty());
    EXPECT_DOUBLE_EQ(scan.meanLambda, 1.5406);
    EXPECT_DOUBLE_EQ(scan.lambda1, 1.54056);
    EXPECT_DOUBLE_EQ(scan.lambda2, 1.54439);
    EXPECT_EQ(scan.anode, "Cu");
    EXPECT_EQ(scan.ratio, 0.5);
}

TEST(RietveldLambda, TypedMeanWithoutAnode)
{
    RietveldLambdaForm form;
    form.edit57 = " 0.8 ";
    RawScan scan;
    RecordingMessages messages;
    EXPECT_EQ(lit_lambda(form, [] { return true; }, scan, messages), RietveldLambdaOutcome::Accepted);
    EXPECT_DOUBLE_EQ(scan.meanLambda, 0.8);
    EXPECT_EQ(scan.lambda1, 0);
    EXPECT_EQ(scan.lambda2, 0);
    EXPECT_EQ(scan.anode, "?");
    EXPECT_EQ(scan.ratio, 1);
}

TEST(RietveldLambda, RefusalsKeepTheScan)
{
    struct Case {
        bool readable;
        const char* e51;
        const char* e54;
        const char* e57;
        RietveldLambdaOutcome outcome;
        const char* message;
    };
    const Case cases[] = {
        {false, "1", "1", "1", RietveldLambdaOutcome::FileUnreadable, "Read error in the Rietveld file!"},
        {true, "1", "1", "", RietveldLambdaOutcome::Stay, "Lambda error!"},
        {true, "1", "1", "0", RietveldLambdaOutcome::Stay, "Lambda error!"},
        {true, "1", "1", "1.5a", RietveldLambdaOutcome::Stay, "Lambda error!"},
        {true, "x", "1", "1.5", RietveldLambdaOutcome::Stay, "Lambda1 error!"},
        {true, "", "1..", "1.5", RietveldLambdaOutcome::Stay, "Lambda2 error!"},
    };
    for (const Case& c : cases) {
        RietveldLambdaForm form{c.e51, c.e54, c.e57, 2};
        RawScan scan;
        scan.meanLambda = 9;
        scan.anode = "Ag";
        RecordingMessages messages;
        EXPECT_EQ(lit_lambda(form, [&] { return c.readable; }, scan, messages), c.outcome) << c.message;
        ASSERT_EQ(messages.warnings.size(), 1u);
        EXPECT_EQ(messages.warnings[0], c.message);
        EXPECT_EQ(scan.meanLambda, 9);
        EXPECT_EQ(scan.anode, "Ag");
    }
}

TEST(RietveldLambda, EmptyLineWavelengthsReadZero)
{
    RietveldLambdaForm form{"", "  ", "1.79", 2};
    RawScan scan;
    RecordingMessages messages;
    EXPECT_EQ(lit_lambda(form, [] { return true; }, scan, messages), RietveldLambdaOutcome::Accepted);
    EXPECT_EQ(scan.lambda1, 0);
    EXPECT_EQ(scan.lambda2, 0);
    EXPECT_EQ(scan.anode, "Co");
}

}  // namespace kalidos
