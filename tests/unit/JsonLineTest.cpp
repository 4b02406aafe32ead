// Journal lines: every reader's JSON parser must get back what was written, in order.
#include <gtest/gtest.h>

#include <json-glib/json-glib.h>

#include <string>

#include "JsonLine.h"

using brelta::host::JsonLine;

namespace {

// The string member `name` of the object that `text` parses to ("<unparsed>" if it does not).
std::string ParsedString(const std::string& text, const char* name) {
    JsonNode* node = json_from_string(text.c_str(), nullptr);
    if (node == nullptr || !JSON_NODE_HOLDS_OBJECT(node)) return "<unparsed>";
    std::string value = json_object_get_string_member(json_node_get_object(node), name);
    json_node_unref(node);
    return value;
}

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

TEST(JsonLine, StringsSurviveAParserWhateverTheirBytes) {
    const std::string texts[] = {
        "plain",
        "quote \" backslash \\ slash /",
        "new\nline\ttab\rreturn\x01\x1f\x7f",
        "<font_size=70 color=#0000FF><align=center>NETWORK TEST : PASS</align>",
        "\xc3\xa9t\xc3\xa9 \xe2\x9c\x93",
    };
    for (const std::string& text : texts) {
        std::string written = JsonLine().BeginObject().Member("t").String(text).EndObject().Text();
        EXPECT_EQ(written.find('\n'), std::string::npos) << "a journal line is one line";
        EXPECT_EQ(ParsedString(written, "t"), text) << written;
    }
    // Bytes that are not UTF-8 would make the whole line unreadable: they become U+FFFD.
    std::string written = JsonLine()
                              .BeginObject()
                              .Member("t")
                              .String(
                                  "a\xff\xfe"
                                  "b")
                              .EndObject()
                              .Text();
    EXPECT_EQ(ParsedString(written, "t"),
              "a\xef\xbf\xbd\xef\xbf\xbd"
              "b")
        << written;
}

}  // namespace
