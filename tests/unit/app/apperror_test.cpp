#include <gtest/gtest.h>

#include "app/saver/apperror.h"
#include "platform/errors.h"

namespace vtl {
namespace {

TEST(ApplicationError, TextFormat) {
    struct {
        const char* message;
        std::uintptr_t address;
        const char* expected;
    } cases[] = {
        {"Cannot open file C:\\x\\vtl3d.pak", 0x4A2F10,
         "Exception EFOpenError in module vtl3d.scr at 004A2F10.\nCannot open file C:\\x\\vtl3d.pak."},
        {"Stream read error.", 0xDEADBEEF,
         "Exception EFOpenError in module vtl3d.scr at DEADBEEF.\nStream read error."},
        {"", 0, "Exception EFOpenError in module vtl3d.scr at 00000000.\n."},
        {"x", 0xFFFFFFFFu, "Exception EFOpenError in module vtl3d.scr at FFFFFFFF.\nx."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatApplicationError("EFOpenError", "vtl3d.scr", c.address, c.message), c.expected);
    // Only where addresses are wider than the Windows program's: never cut.
    if constexpr (sizeof(std::uintptr_t) > 4) {
        const auto wide = static_cast<std::uintptr_t>(0x140001234ull);
        EXPECT_EQ(FormatApplicationError("EFOpenError", "vtl3d.scr", wide, "x"),
                  "Exception EFOpenError in module vtl3d.scr at 140001234.\nx.");
    }
}

TEST(ApplicationError, DescribesProjectAndStandardErrors) {
    const auto project = DescribeException(std::make_exception_ptr(EReadError("Stream read error")));
    EXPECT_EQ(project.typeName, "EReadError");
    EXPECT_EQ(project.message, "Stream read error");
    const auto standard = DescribeException(std::make_exception_ptr(std::runtime_error("boom")));
    EXPECT_EQ(standard.typeName, "runtime_error");
    EXPECT_EQ(standard.message, "boom");
    EXPECT_EQ(DescribeException(std::make_exception_ptr(42)).typeName, "Exception");
}

}  // namespace
}  // namespace vtl
