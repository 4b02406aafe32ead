// Reading the notification journal back: what is on screen, and posts rebuilt as records.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/JsonLine.h"
#include "notification/NotificationRecord.h"
#include "NotificationReplay.h"

using brelta::host::JsonJournalReader;
using brelta::host::JsonLine;
using brelta::host::NotificationRecord;
using brelta::host::NotificationReplay;

namespace {

std::string PostLine(const NotificationRecord& record, long long pid) {
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

TEST(NotificationReplay, OnScreenIsPostedAndNeitherDeletedNorEnded) {
    std::string deep = std::string(100000, '[') + std::string(100000, ']');
    NotificationReplay screen;
    size_t parsed = 0;
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
             // Ids the service never gives: not narrowed into another notification's id.
             R"({"op":"post","id":9999999999999,"pid":13})",
             R"({"op":"post","id":4294967298,"pid":13})",
             "[1,2]",
             "{\"op\":\"post\",\"id\":5,\"pid\":13,\"x\":" + deep + "}",
         }) {
        bool tooDeep = false;
        auto line = JsonJournalReader::Parse(text, &tooDeep);
        EXPECT_EQ(tooDeep, text.size() > deep.size()) << text.substr(0, 40);
        if (!line) continue;
        screen.Apply(*line);
        ++parsed;
    }
    EXPECT_EQ(parsed, 12u);
    std::vector<std::pair<int, long long>> shown;
    for (const auto& entry : screen.Now()) shown.emplace_back(entry.id, entry.pid);
    EXPECT_EQ(shown, (std::vector<std::pair<int, long long>>{{2, 10}, {1, 10}}));
    EXPECT_EQ(screen.Now()[1].record->FindText(0)->text, "one again");
}

TEST(NotificationReplay, APostLineRebuildsTheRecordThatWroteIt) {
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
    auto parsed = JsonJournalReader::Parse(line);
    ASSERT_TRUE(parsed);
    // Written again, it is the same line: nothing is lost or added on the way.
    EXPECT_EQ(PostLine(*NotificationReplay::RecordFromPost(*parsed), 99), line);
}

}  // namespace
