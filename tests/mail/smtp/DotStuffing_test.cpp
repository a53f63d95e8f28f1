#include "mail/smtp/DotStuffing.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace {

using ruzo::TDotStuffer;

struct StuffCase {
    const char* name;
    friend void PrintTo(const StuffCase& row, std::ostream* os) { *os << row.name; }
    std::vector<std::string> pieces;
    std::string wire;  // end-of-data line included
};

// Sends the pieces as the conversation does: chunks of at most `limit` wire bytes, the end
// line added to the last one.
std::string Stuff(const std::vector<std::string>& pieces, std::size_t limit) {
    TDotStuffer stuffer;
    std::string wire, chunk;
    std::size_t piece = 0, offset = 0;
    while (true) {
        chunk.clear();
        while (piece < pieces.size() && chunk.size() < limit) {
            offset += stuffer.Put(std::string_view(pieces[piece]).substr(offset), chunk, limit);
            if (offset == pieces[piece].size()) {
                ++piece;
                offset = 0;
            }
        }
        EXPECT_LE(chunk.size(), limit);
        if (piece == pieces.size()) {
            wire += chunk;
            wire += stuffer.EndOfData();
            return wire;
        }
        wire += chunk;
    }
}

std::vector<std::string_view> Views(const std::vector<std::string>& pieces) {
    return {pieces.begin(), pieces.end()};
}

class Transparency : public testing::TestWithParam<StuffCase> {};

TEST_P(Transparency, SameWireBytesForEveryChunkSize) {
    const StuffCase& c = GetParam();
    for (std::size_t limit : {1, 2, 3, 5, 8, 1 << 20}) {
        SCOPED_TRACE("chunk limit " + std::to_string(limit));
        EXPECT_EQ(Stuff(c.pieces, limit), c.wire);
    }
    EXPECT_EQ(TDotStuffer::WireLength(Views(c.pieces)), c.wire.size());
}

// Any cut of the data into two pieces gives the same bytes, so the header block and the
// body may meet anywhere.
TEST_P(Transparency, SameWireBytesForEveryCutIntoTwoPieces) {
    std::string all;
    for (const std::string& p : GetParam().pieces) all += p;
    for (std::size_t cut = 0; cut <= all.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const std::vector<std::string> two{all.substr(0, cut), all.substr(cut)};
        EXPECT_EQ(Stuff(two, 4), GetParam().wire);
        EXPECT_EQ(TDotStuffer::WireLength(Views(two)), GetParam().wire.size());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Transparency,
    testing::Values(
        StuffCase{"LoneDotLine", {"a\r\n.\r\nb\r\n"}, "a\r\n..\r\nb\r\n.\r\n"},
        StuffCase{"TwoDotLinesInARow", {"a\r\n.\r\n.\r\nb\r\n"}, "a\r\n..\r\n..\r\nb\r\n.\r\n"},
        StuffCase{"DotBeforeText", {"a\r\n.hidden\r\n"}, "a\r\n..hidden\r\n.\r\n"},
        StuffCase{"FirstLineStartsWithDot", {".x\r\nb\r\n"}, "..x\r\nb\r\n.\r\n"},
        StuffCase{"DotsOnly", {".."}, "...\r\n.\r\n"},
        StuffCase{"DotInsideLineUntouched", {"a.b\r\n"}, "a.b\r\n.\r\n"},
        StuffCase{"EndsWithCrLf", {"a\r\n"}, "a\r\n.\r\n"},
        StuffCase{"EndsWithoutCrLf", {"a\r\nb"}, "a\r\nb\r\n.\r\n"},
        StuffCase{"EndsWithLoneCr", {"a\r"}, "a\r\r\n.\r\n"},
        StuffCase{"BareLfThenDot", {"a\n.b\r\n"}, "a\n..b\r\n.\r\n"},
        StuffCase{"EndsWithBareLf", {"a\n"}, "a\n\r\n.\r\n"},
        StuffCase{"HeaderThenBodyWithDot", {"To: x\r\n\r\n", ".body\r\n"},
                  "To: x\r\n\r\n..body\r\n.\r\n"},
        StuffCase{"CrLfAcrossPieces", {"a\r", "\n"}, "a\r\n.\r\n"},
        StuffCase{"EmptyPieceBetween", {"a\r\n", "", ".b"}, "a\r\n..b\r\n.\r\n"},
        StuffCase{"NoData", {}, ".\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
