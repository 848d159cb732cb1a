// The JSON writer: escaping, nesting, numbers that read back exactly, misuse refused.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "json_writer.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {
namespace {

std::string squeeze(const std::string& text)
{
    std::string out;
    for (const char c : text)
        if (c != '\n' && c != ' ')
            out += c;
    return out;
}

TEST(JsonWriter, NestsObjectsAndArraysWithCommas)
{
    std::ostringstream out;
    JsonWriter json(out);
    json.begin_object().field("a", 1).key("b").begin_array().value(1.5).value("x").null().end_array();
    json.key("c").begin_array().begin_object().field("h", -2).end_object().begin_object().end_object().end_array();
    json.key("d").begin_object().end_object().field("e", true).end_object();
    EXPECT_TRUE(json.complete());
    EXPECT_EQ(squeeze(out.str()), R"({"a":1,"b":[1.5,"x",null],"c":[{"h":-2},{}],"d":{},"e":true})");
}

// JSON Lines records are the indented documents without their line breaks and indentation;
// spaces inside a line, and in strings, stay.
TEST(JsonWriter, OneLineLayoutLeavesOutOnlyTheLineBreaksAndTheirIndentation)
{
    const auto write = [](JsonLayout layout) {
        std::string text;
        JsonWriter json(text, layout);
        json.begin_object().field("a", "x\ny").key("b").begin_array().value(1);
        json.begin_object().field("c", 2).field("d", "  e").end_object().end_array();
        json.key("f").begin_object().field("g", true).end_object().end_object();
        return text;
    };
    const std::string indented = R"({
  "a": "x\ny",
  "b": [1,
    {"c": 2, "d": "  e"}],
  "f": {"g": true}
}
)";
    EXPECT_EQ(write(JsonLayout::Indented), indented);
    EXPECT_EQ(write(JsonLayout::OneLine), R"({"a": "x\ny","b": [1,{"c": 2, "d": "  e"}],"f": {"g": true}})");
}

TEST(JsonWriter, EscapesQuotesBackslashesAndControlCharacters)
{
    EXPECT_EQ(json_escape("a\"b\\c"), "a\\\"b\\\\c");
    EXPECT_EQ(json_escape("l1\nl2\t"), "l1\\nl2\\t");
    EXPECT_EQ(json_escape(std::string("\x01", 1)), "\\u0001");
    EXPECT_EQ(json_escape("Å f′"), "Å f′");
}

TEST(JsonWriter, RealsReadBackExactlyAndNonFiniteBecomesNull)
{
    for (const double x : {0.1, 1.0 / 3.0, 1.54056, -2.5e-300, 6.02214076e23}) {
        std::ostringstream out;
        JsonWriter(out).value(x);
        EXPECT_EQ(std::stod(out.str()), x) << out.str();
    }
    std::ostringstream out;
    JsonWriter json(out);
    json.begin_array().value(std::numeric_limits<double>::quiet_NaN()).value(INFINITY).end_array();
    EXPECT_EQ(out.str(), "[null,null]\n");
}

TEST(JsonWriter, RefusesMisuse)
{
    std::ostringstream out;
    JsonWriter json(out);
    json.begin_object();
    EXPECT_THROW(json.value(1), std::logic_error);  // a value without a key
    EXPECT_THROW(json.end_array(), std::logic_error);
    json.key("k");
    EXPECT_THROW(json.key("again"), std::logic_error);
    EXPECT_THROW(json.end_object(), std::logic_error);  // a key without a value
    json.value(2).end_object();
    EXPECT_THROW(json.begin_object(), std::logic_error);  // a second document
    EXPECT_TRUE(json.complete());
}

TEST(StreamMessages, PrintsOneLinePerMessageAndAnswersTheOverwriteQuestion)
{
    std::ostringstream err;
    StreamMessages cautious(err, false);
    cautious.beep();
    cautious.warning("No atom site found");
    cautious.warning("two\nlines ");
    EXPECT_EQ(cautious.ask("This file already exists. Do you want to continue?"), Answer::No);
    EXPECT_EQ(err.str(), "No atom site found\ntwo lines\nThis file already exists. Do you want to continue? No\n");
    EXPECT_EQ(cautious.texts().size(), 3u);
    EXPECT_EQ(cautious.beeps(), 1);

    std::ostringstream err2;
    StreamMessages bold(err2, true);
    EXPECT_EQ(bold.ask("This file already exists. Do you want to continue?"), Answer::Yes);
    EXPECT_EQ(err2.str(), "This file already exists. Do you want to continue? Yes\n");
}

}  // namespace
}  // namespace kalidos::batch
