#include "maildef/MailData.h"

#include <gtest/gtest.h>

#include "tests/support/ScratchDir.h"

namespace {

TEST(MailDataEntries, SplitAtFirstEquals) {
    tvl::TMailData data;
    data.AddTo("Taro", "a@example.jp");
    data.AddTo("a=b", "x@example.jp");
    data.AddTo("", "c@example.jp");
    data.AddCc(" spaced ", " kept ");
    ASSERT_EQ(data.ToCount(), 3u);
    EXPECT_EQ(data.ToName(0), "Taro");
    EXPECT_EQ(data.ToAddress(0), "a@example.jp");
    // A name holding "=" loses its tail to the address.
    EXPECT_EQ(data.ToName(1), "a");
    EXPECT_EQ(data.ToAddress(1), "b=x@example.jp");
    EXPECT_EQ(data.ToName(2), "");
    EXPECT_EQ(data.ToAddress(2), "c@example.jp");
    ASSERT_EQ(data.CcCount(), 1u);
    EXPECT_EQ(data.CcName(0), " spaced ");
    EXPECT_EQ(data.CcAddress(0), " kept ");

    data.ClearTo();
    EXPECT_EQ(data.ToCount(), 0u);
    EXPECT_EQ(data.CcCount(), 1u);
    data.ClearCc();
    EXPECT_EQ(data.CcCount(), 0u);
}

TEST(MailDataAttachment, TakesOnlyAnExistingFile) {
    testutil::ScratchDir dir;
    std::string file = dir.write("report.pdf", "%PDF");
    std::filesystem::create_directory(dir.path("folder"));

    tvl::TMailData data;
    data.SetAttachment(dir.path("missing.pdf"));
    EXPECT_EQ(data.AttachFile(), "");
    data.SetAttachment(file);
    EXPECT_EQ(data.AttachFile(), file);
    for (const std::string& other :
         {dir.path("missing.pdf"), dir.path("folder"), file + " ", file + "/x", std::string()}) {
        data.SetAttachment(other);
        EXPECT_EQ(data.AttachFile(), file) << other;
    }
}

}  // namespace
