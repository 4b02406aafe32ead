// Reading the notification journal back: what is on screen, and posts rebuilt as records.
#include <gtest/gtest.h>

#include <json-glib/json-glib.h>

#include <string>
#include <vector>

#include "JsonLine.h"
#include "NotificationScreen.h"
#include "NotificationRecord.h"

using brelta::host::JsonLine;
using brelta::host::NotificationRecord;
using brelta::host::NotificationScreen;

namespace {

std::string PostLine(const NotificationRecord& record, long pid) {
    JsonLine line;
    line.BeginObject().Member("op").String("post");
    line.Member("id").Int(record.Id()).Member("pid").Int(pid);
    record.AddPostMembers(line);
    return line.EndObject().Text();
}

NotificationRecord Titled(int id, const char* title) {
    NotificationRecord record(0);
    record.SetId(id);
    record.SetText(0, title, nullptr);
    return record;
}

TEST(NotificationScreen, OnScreenIsPostedAndNeitherDeletedNorEnded) {
    std::vector<JsonNode*> lines;
    for (const std::string& text : std::vector<std::string>{
             PostLine(Titled(1, "one"), 10),
             PostLine(Titled(2, "two"), 10),
             PostLine(Titled(3, "three"), 11),
             R"({"op":"event","id":1,"pid":10,"event":0})",
             R"({"op":"delete_all","pid":11,"type":0,"ids":[3,"x",null]})",
             PostLine(Titled(4, "four"), 12),
             // A re-post shows a notification again, with what it holds now, in its new place.
             PostLine(Titled(1, "one again"), 10),
             R"({"op":"event","id":4,"pid":12,"event":101})",
             R"({"op":"event","pid":12})",
             R"({"op":"mystery","id":2})",
             "[1,2]",
         })
        lines.push_back(json_from_string(text.c_str(), nullptr));
    auto shown = NotificationScreen::OnScreen(lines);
    for (JsonNode* node : lines)
        if (node != nullptr) json_node_unref(node);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].id, 2);
    EXPECT_EQ(shown[0].pid, 10);
    EXPECT_EQ(shown[1].id, 1);
    EXPECT_EQ(shown[1].record->FindText(0)->text, "one again");
}

TEST(NotificationScreen, APostLineRebuildsTheRecordThatWroteIt) {
    NotificationRecord record(0);
    record.SetId(7);
    record.SetText(0, "TCP Dump tool", "TITLE");
    record.SetText(1, "line with \"quotes\" and ü", nullptr);
    record.SetImage(0, "/icons/x.png");
    record.AddButton(1);
    record.AddButton(2);
    record.SetText(NotificationRecord::ButtonTextType(1), "OK", nullptr);
    record.SetText(NotificationRecord::ButtonTextType(2), "Cancel", nullptr);
    record.SetDefaultButton(2);
    record.SetDisplayApplist(16);
    record.SetHideTimeout(60);
    std::string line = PostLine(record, 99);
    JsonNode* node = json_from_string(line.c_str(), nullptr);
    ASSERT_NE(node, nullptr);
    auto rebuilt = NotificationScreen::RecordFromPost(json_node_get_object(node));
    json_node_unref(node);
    // Written again, it is the same line: nothing is lost or added on the way.
    EXPECT_EQ(PostLine(*rebuilt, 99), line);
}

}  // namespace
