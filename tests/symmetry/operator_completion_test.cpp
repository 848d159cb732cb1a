#include <gtest/gtest.h>

#include "symmetry/operator_completion.hpp"

namespace kalidos {
namespace {

void set_identity(SymmetryOperator& op, double t1, double t2, double t3)
{
    op = SymmetryOperator{};
    op.m[0][0] = op.m[1][1] = op.m[2][2] = 1;
    op.m[0][3] = t1;
    op.m[1][3] = t2;
    op.m[2][3] = t3;
}

TEST(CompleteByInversion, SecondHalfNegatesRotationsKeepsTranslations)
{
    StructureModel model;
    model.operatorCount = 2;
    set_identity(model.operators[1], 0, 0, 0);
    set_identity(model.operators[2], 0.5, 0, 0.25);
    model.operators[2].m[0][1] = 1;
    ASSERT_TRUE(complete_by_inversion(model));
    EXPECT_EQ(model.operatorCount, 4);
    EXPECT_TRUE(model.centrosymmetric);
    EXPECT_EQ(model.operators[4].m[0][0], -1);
    EXPECT_EQ(model.operators[4].m[0][1], -1);
    EXPECT_EQ(model.operators[4].m[2][2], -1);
    EXPECT_EQ(model.operators[4].m[0][3], 0.5);
    EXPECT_EQ(model.operators[4].m[2][3], 0.25);
}

TEST(AddCentringTranslations, FCentredGroupFillsTheTable)
{
    StructureModel model;
    model.latticeLetter = "F";
    model.operatorCount = 48;
    for (int i = 1; i <= 48; ++i)
        set_identity(model.operators[i], 0, 0, 0);
    ASSERT_TRUE(add_centring_translations(model));
    EXPECT_EQ(model.operatorCount, 192);
    EXPECT_EQ(model.centringCount, 3);
    EXPECT_EQ(model.operators[49].m[1][3], 0.5);
    EXPECT_EQ(model.operators[145].m[2][3], 0);
    EXPECT_EQ(model.operators[145].m[0][3], 0.5);

    // One more representative would pass the capacity: refused, table unchanged.
    model.operatorCount = 49;
    EXPECT_FALSE(add_centring_translations(model));
    EXPECT_EQ(model.operatorCount, 49);
}

TEST(AddCentringTranslations, HalfPlusHalfStaysOne)
{
    StructureModel model;
    model.latticeLetter = "I";
    model.operatorCount = 1;
    set_identity(model.operators[1], 0.5, 0.75, 0);
    ASSERT_TRUE(add_centring_translations(model));
    EXPECT_EQ(model.operatorCount, 2);
    EXPECT_EQ(model.operators[2].m[0][3], 1.0);
    EXPECT_EQ(model.operators[2].m[1][3], 0.25);
    EXPECT_EQ(model.operators[2].m[2][3], 0.5);
}

TEST(AddCentringTranslations, RhombohedralDependsOnTheSystem)
{
    StructureModel model;
    model.latticeLetter = "R";
    model.crystalSystem = "RHOM";
    model.operatorCount = 1;
    set_identity(model.operators[1], 0, 0, 0);
    ASSERT_TRUE(add_centring_translations(model));
    EXPECT_EQ(model.operatorCount, 1);
    EXPECT_EQ(model.centringCount, 0);

    model.crystalSystem = "HEXA";
    ASSERT_TRUE(add_centring_translations(model));
    EXPECT_EQ(model.operatorCount, 3);
    EXPECT_EQ(model.centringCount, 2);
    EXPECT_NEAR(model.operators[2].m[0][3], 1.0 / 3, 1e-9);
    EXPECT_NEAR(model.operators[3].m[2][3], 1.0 / 3, 1e-9);
    EXPECT_NEAR(model.centringVectors[1].y, 2.0 / 3, 1e-9);
}

TEST(AddCentringTranslations, LetterGivesTheVectors)
{
    StructureModel model;
    model.operatorCount = 1;
    set_identity(model.operators[1], 0, 0, 0);
    const struct {
        const char* letter;
        Vector3 v;
    } cases[] = {{"A", {0, 0.5, 0.5}}, {"B", {0.5, 0, 0.5}}, {"C", {0.5, 0.5, 0}}};
    for (const auto& c : cases) {
        model.operatorCount = 1;
        model.latticeLetter = c.letter;
        ASSERT_TRUE(add_centring_translations(model));
        EXPECT_EQ(model.operatorCount, 2) << c.letter;
        EXPECT_EQ(model.operators[2].m[0][3], c.v.x) << c.letter;
        EXPECT_EQ(model.operators[2].m[1][3], c.v.y) << c.letter;
        EXPECT_EQ(model.operators[2].m[2][3], c.v.z) << c.letter;
    }
    model.operatorCount = 1;
    model.latticeLetter = "P";
    ASSERT_TRUE(add_centring_translations(model));
    EXPECT_EQ(model.operatorCount, 1);
    EXPECT_EQ(model.centringCount, 0);
}

}  // namespace
}  // namespace kalidos
