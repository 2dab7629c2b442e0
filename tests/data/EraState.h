#pragma once
// Keeps the process-wide era table and display switch of one test from the next.
#include <gtest/gtest.h>

#include "data/uAccDateCmp.h"
#include "data/uAccRecord.h"

class EraState : public ::testing::Test {
 protected:
  void SetUp() override {
    savedEras_ = GengoArray;
    savedSwitch_ = SystemDef.R4Bit10;
    InitGengoTable();
    SystemDef.R4Bit10 = 0;
  }
  void TearDown() override {
    GengoArray = savedEras_;
    SystemDef.R4Bit10 = savedSwitch_;
  }

 private:
  TGengoArray savedEras_;
  int32_t savedSwitch_ = 0;
};
