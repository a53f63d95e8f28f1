#include "support/ByteBuffer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

// A buffer too small for a 2 MiB page, and one that holds several.
struct Reservation {
    const char* name;
    std::size_t capacity;
};

void PrintTo(const Reservation& row, std::ostream* os) { *os << row.name; }

class ReserveBytesTest : public testing::TestWithParam<Reservation> {};

TEST_P(ReserveBytesTest, KeepsTheBytesAndTakesEveryByteUpToTheCapacity) {
    std::string bytes = "kept\r\n";
    klv::ReserveBytes(bytes, GetParam().capacity);
    EXPECT_EQ(bytes, "kept\r\n");
    ASSERT_GE(bytes.capacity(), GetParam().capacity);

    const char* const buffer = bytes.data();
    for (std::size_t i = bytes.size(); i < GetParam().capacity; ++i)
        bytes.push_back(static_cast<char>(i % 251));
    EXPECT_EQ(bytes.data(), buffer) << "filling up to the capacity moved the buffer";
    EXPECT_EQ(bytes.compare(0, 6, "kept\r\n"), 0);
    std::size_t wrong = 0;
    for (std::size_t i = 6; i < bytes.size(); ++i)
        wrong += bytes[i] != static_cast<char>(i % 251);
    EXPECT_EQ(wrong, 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, ReserveBytesTest,
                         testing::Values(Reservation{"Small", 1000},
                                         Reservation{"SeveralHugePages", (9u << 20) + 5}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
