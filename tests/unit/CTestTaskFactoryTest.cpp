// The command table: which ids make a task, and the exit delay each one sets.
#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>

#include "CTaskManager.h"
#include "CTestTaskFactory.h"
#include "HostFixture.h"

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

}  // namespace
