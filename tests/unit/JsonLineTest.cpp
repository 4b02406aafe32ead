// Journal lines: every reader's JSON parser must get back what was written, in order.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <utility>

#include "JsonLine.h"

using brelta::host::JsonLine;

namespace {

TEST(JsonLine, NestedValuesAreSeparatedAndCompact) {
    JsonLine line;
    line.BeginObject();
    line.Member("op").String("delete_all").Member("ids").BeginArray().Int(3).Int(-4).EndArray();
    line.Member("empty").BeginArray().EndArray();
    line.Member("extra").BeginArray();
    line.BeginArray().String("k").String("v").EndArray();
    line.BeginArray().String("k2").StringOrNull(nullptr).EndArray();
    line.EndArray();
    line.Member("obj").BeginObject().Member("a").Null().EndObject();
    line.Member("n").IntOrNull(std::nullopt).Member("m").IntOrNull(7);
    line.EndObject();
    EXPECT_EQ(line.Text(),
              R"({"op":"delete_all","ids":[3,-4],"empty":[],"extra":[["k","v"],["k2",null]],)"
              R"("obj":{"a":null},"n":null,"m":7})");
}

// Bytes that are not UTF-8 would make the whole line unreadable: they become U+FFFD.
TEST(JsonLine, StringsSurviveAParserWhateverTheirBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"quote \" backslash \\ slash /", ""},
        {"new\nline\ttab\rreturn\x01\x1f\x7f", ""},
        {"<font_size=70 color=#0000FF><align=center>NETWORK TEST : PASS</align>", ""},
        {"\xc3\xa9t\xc3\xa9 \xe2\x9c\x93", ""},
        {"a\xff\xfe"
         "b",
         "a\xef\xbf\xbd\xef\xbf\xbd"
         "b"},
    };
    for (const auto& [text, expected] : cases) {
        std::string written = JsonLine().BeginObject().Member("t").String(text).EndObject().Text();
        EXPECT_EQ(written.find('\n'), std::string::npos) << "a journal line is one line";
        nlohmann::json node = nlohmann::json::parse(written, nullptr, false);
        ASSERT_TRUE(node.is_object() && node["t"].is_string()) << written;
        EXPECT_EQ(node["t"].get<std::string>(), expected.empty() ? text : expected) << written;
    }
}

}  // namespace
