#include "support/about/VersionFormat.h"

#include <gtest/gtest.h>

#include "support/Exceptions.h"
#include "support/about/AboutForm.h"

namespace klv {
namespace {

struct SetterCase {
    const char* name;
    TVersionFormat from;
    TVersionFormat value;
    TVersionFormat expected;
};
void PrintTo(const SetterCase& c, std::ostream* os) { *os << c.name; }

class VersionFormatSetter : public testing::TestWithParam<SetterCase> {};

TEST_P(VersionFormatSetter, KeepsTheSetConsistent) {
    const SetterCase& c = GetParam();
    TKAboutForm about;
    about.SetVersionFormat(c.from);
    ASSERT_EQ(about.VersionFormat(), c.from) << "starting set must be a stable one";
    about.SetVersionFormat(c.value);
    EXPECT_EQ(about.VersionFormat(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VersionFormatSetter,
    testing::Values(
        SetterCase{"DefaultToReleaseDropsMajorMinorRelease", vfDefaultFormat, vfRelease, vfBuild},
        SetterCase{"DefaultToEmptyKeepsBuild", vfDefaultFormat, 0, vfBuild},
        SetterCase{"BuildToReleaseBringsInMinorAndMajor", vfBuild, vfRelease,
                   vfMajor | vfMinor | vfRelease},
        SetterCase{"DroppingMinorDropsRelease", vfDefaultFormat, vfMajor | vfRelease | vfBuild,
                   vfMajor | vfBuild},
        SetterCase{"DroppingBuildDropsSeparation", vfAllFormat,
                   vfMajor | vfMinor | vfRelease | vfBuildSeparation,
                   vfMajor | vfMinor | vfRelease},
        SetterCase{"DroppingTheOnlyBuildLeavesRelease", vfBuild, 0,
                   vfMajor | vfMinor | vfRelease},
        SetterCase{"SeparationBringsInBuild", vfDefaultFormat, vfDefaultFormat | vfBuildSeparation,
                   vfAllFormat},
        SetterCase{"AddingPartsKeepsThem", vfMajor | vfBuild, vfDefaultFormat, vfDefaultFormat}),
    [](const testing::TestParamInfo<SetterCase>& info) { return std::string(info.param.name); });

TEST(VersionFormatDefault, StartsAsTheFourNumbers) {
    EXPECT_EQ(TKAboutForm().VersionFormat(), vfMajor | vfMinor | vfRelease | vfBuild);
}

TEST(AdjustVersionFormat, EmptyResultBecomesTheFullSet) {
    // Unreachable through the setter from a stable set, but the rule still holds.
    EXPECT_EQ(AdjustVersionFormat(vfRelease, 0), vfAllFormat);
}

struct FormatCase {
    const char* name;
    TVersionFormat format;
    const char* version;
    const char* expected;
};
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class FormatVersion : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatVersion, WritesTheChosenParts) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatVersionText(c.format, c.version), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatVersion,
    testing::Values(FormatCase{"AllFour", vfDefaultFormat, "1.2.3.4", "1.2.3.4"},
                    FormatCase{"SeparatedBuild", vfAllFormat, "1.2.3.4", "1.2.3 Build 4"},
                    FormatCase{"BuildAlone", vfBuild, "1.2.3.4", "Build 4"},
                    FormatCase{"MajorMinor", vfMajor | vfMinor, "10.20.30.40", "10.20"},
                    FormatCase{"HexadecimalAndSign", vfDefaultFormat, "$A.-2.0x10.7",
                               "10.-2.16.7"}),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

class FormatVersionError : public testing::TestWithParam<const char*> {};

TEST_P(FormatVersionError, RaisesConvertError) {
    EXPECT_THROW(FormatVersionText(vfDefaultFormat, GetParam()), EConvertError);
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatVersionError,
                         testing::Values("", "1.2.3", "1.2.3.4.5", "1.a.3.4", "1..3.4"));

TEST(FormatFileVersion, ReadsTheProgramsOwnVersionBlock) {
    std::string text = "stale";
    FormatFileVersion(vfDefaultFormat, text);
    EXPECT_EQ(text, "1.1.0.0");
    FormatFileVersion(vfAllFormat, text);
    EXPECT_EQ(text, "1.1.0 Build 0");
}

}  // namespace
}  // namespace klv
