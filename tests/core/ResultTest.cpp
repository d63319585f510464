// The result type of the error convention: a value or the error text, never both.
#include <gtest/gtest.h>

#include <string>

#include "core/Result.h"

namespace vorlaxis {
namespace {

Result<int> Half(int n) {
    if (n % 2 != 0) return Failure("odd: " + std::to_string(n));
    return n / 2;
}

TEST(Result, CarriesTheValueOrTheErrorText) {
    const Result<int> half = Half(10);
    ASSERT_TRUE(half);
    EXPECT_EQ(half.Value(), 5);
    EXPECT_EQ(half.Error(), "");
    const Result<int> odd = Half(7);
    EXPECT_FALSE(odd.Ok());
    EXPECT_EQ(odd.Error(), "odd: 7");
    EXPECT_THROW(static_cast<void>(odd.Value()), std::bad_variant_access);
    EXPECT_EQ(Result<std::string>(std::string("text")).Value(), "text");
}

}  // namespace
}  // namespace vorlaxis
