#include <gtest/gtest.h>

#include "base/log/execute_context.h"
#include "base/log/log_manager.h"
#include "base/log/sink_switches.h"

namespace wc {

TEST(SinkSwitches, LevelsOutsideTheTableReachNoSinkAndCannotBeSwitchedOn) {
  unsigned char table[kSinkTableSize + 1] = {};
  table[kSinkTableSize] = 0x5A;  // a guard byte behind the table
  SinkSwitches::fillDefaults(table, true);
  SinkSwitches s(table);
  for (int level : {-1, 6, 7, 100}) {
    s.setConsole(level, true);
    s.setEventLog(level, true);
    EXPECT_FALSE(s.console(level)) << level;
    EXPECT_FALSE(s.eventLog(level)) << level;
  }
  EXPECT_FALSE(s.consoleHasOutput());
  EXPECT_EQ(table[kSinkTableSize], 0x5A);
}

TEST(ExecuteContext, AdoptsTheFirstPublishedContextWithOneMoreReference) {
  ExecuteContext theirs;
  ExecuteContext later;
  ExecuteContext* empty = nullptr;
  ExecuteContext* first = &theirs;
  ExecuteContext* second = &later;
  ExecuteContext* own = nullptr;
  ExecuteContext* adopted = acquireExecuteContext({&empty, &first, &second}, own);
  EXPECT_EQ(adopted, &theirs);
  EXPECT_EQ(theirs.references.load(), 2);
  EXPECT_EQ(later.references.load(), 1);
  EXPECT_EQ(own, nullptr);  // nothing published: the context is someone else's

  releaseExecuteContext(adopted, own);
  EXPECT_EQ(theirs.references.load(), 1);
}

TEST(ExecuteContext, CreatesAndPublishesItsOwnWhenNoModuleHasOne) {
  ExecuteContext* empty = nullptr;
  ExecuteContext* own = nullptr;
  ExecuteContext* created = acquireExecuteContext({&empty, &own}, own);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(own, created);
  EXPECT_EQ(created->references.load(), 1);
  EXPECT_EQ(created->sinkTable, nullptr);

  // A second module now finds it through our slot.
  ExecuteContext* otherOwn = nullptr;
  EXPECT_EQ(acquireExecuteContext({&own, &otherOwn}, otherOwn), created);
  EXPECT_EQ(otherOwn, nullptr);
  EXPECT_EQ(created->references.load(), 2);

  releaseExecuteContext(created, otherOwn);
  EXPECT_EQ(own, created);  // still referenced by us
  releaseExecuteContext(created, own);
  EXPECT_EQ(own, nullptr);  // the last reference freed it and emptied the slot
}

}  // namespace wc
