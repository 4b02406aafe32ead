// The command table: which ids make a task, and the exit delay each one sets.
#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>

#include "CEURegulationRSE.h"
#include "CMDTPopup.h"
#include "CNDFPopup.h"
#include "CNWErrorPopup.h"
#include "CNWWiFiList.h"
#include "CTCPDumpTask.h"
#include "CTaskManager.h"
#include "CTestTaskFactory.h"
#include "HostFixture.h"
#include "NWLowPowerHandler.h"
#include "NW_Hidden_Key.h"

using brelta::test::HostFixture;

namespace {

class CTestTaskFactoryTest : public HostFixture {
protected:
    std::unique_ptr<ITask> Get(const std::string& id) {
        return std::unique_ptr<ITask>(CTestTaskFactory::GetTask(&manager, id));
    }
    CTaskManager manager{nullptr};
};

TEST_F(CTestTaskFactoryTest, UnknownIdsMakeNoTaskAndKeepTheDelayAtFive) {
    for (const char* id : {"", "brelta.keycombination.wifilist", "brelta.keycombination.GATEWAY",
                           "brelta.keycombination.gateway ", " brelta.keycombination.gateway",
                           "brelta.keycombination", "brelta.keycombination.mdt\n", "%s%n%s%n"}) {
        CTaskManager::timeout = 120;
        EXPECT_EQ(Get(id), nullptr) << "id: " << id;
        EXPECT_EQ(CTaskManager::timeout, 5) << "id: " << id;
    }
}

TEST_F(CTestTaskFactoryTest, EveryRowMakesItsTaskAndSetsItsDelay) {
    struct Row {
        const char* id;
        const std::type_info& type;
        int delay;
    };
    const Row rows[] = {
        {"brelta.keycombination.tcpdumpstop", typeid(CTCPDumpTask), 5},
        {"brelta.keycombination.tcpdumpstart", typeid(CTCPDumpTask), 5},
        {"brelta.keycombination.gateway", typeid(CNWHiddenKey), 5},
        {"brelta.keycombination.ndf", typeid(CNDFPopup), 5},
        {"brelta.keycombination.rse", typeid(CEURegulationRSE), 5},
        {"brelta.keycombination.wifilow", typeid(NWLowPowerHandler), 5},
        {"brelta.keycombination.nwerrorpopup", typeid(CNWErrorPopup), 5},
        {"brelta.keycombination.WiFiList", typeid(CNWWiFiList), 5},
        {"brelta.keycombination.mdt", typeid(CMDTPopup), 120},
    };
    for (const Row& row : rows) {
        // Start from the other delay, so a row that forgets to set it shows.
        CTaskManager::timeout = row.delay == 5 ? 120 : 5;
        std::unique_ptr<ITask> task = Get(row.id);
        ASSERT_NE(task, nullptr) << row.id;
        const ITask& made = *task;
        EXPECT_EQ(typeid(made), row.type) << row.id;
        EXPECT_EQ(CTaskManager::timeout, row.delay) << row.id;
    }
    // After the MDT row, any other lookup puts the delay back to 5.
    EXPECT_EQ(Get("unknown"), nullptr);
    EXPECT_EQ(CTaskManager::timeout, 5);
    // Each task writes one record with an empty message when made and one when deleted.
    auto made = SystemLog().ByFunction("CNWHiddenKey");
    auto gone = SystemLog().ByFunction("~CNWHiddenKey");
    ASSERT_EQ(made.size(), 1u);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(made[0].text, "");
    EXPECT_EQ(made[0].file, "NW_Hidden_Key.cpp");
}

}  // namespace
