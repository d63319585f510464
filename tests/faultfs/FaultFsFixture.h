// A test with the fault file system mounted; skipped where FUSE cannot run.
#pragma once

#include <gtest/gtest.h>

#include "FaultFs.h"

namespace vorlaxis::test {

class FaultFsFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        VORLAXIS_REQUIRE_FUSE();
        ASSERT_TRUE(fs.Mount()) << fs.error();
    }

    FaultFs fs;
};

}  // namespace vorlaxis::test
