#include "platform/Encoding.h"

#include <gtest/gtest.h>

namespace {
TEST(EncodingTest, Utf8Validation)
{
    struct {
        QByteArray bytes;
        bool valid;
    } cases[] = {
        {"plain", true},
        {"caf\xc3\xa9", true},
        {"\xe2\x82\xac", true},      // euro sign
        {"\xf0\x9f\x98\x80", true},  // four-byte form
        {"caf\xe9", false},          // Latin-1 byte
        {"\xc3", false},             // cut short
        {"\xc0\xaf", false},         // overlong
        {"\xed\xa0\x80", false},     // surrogate
        {"\xf4\x90\x80\x80", false}, // beyond Unicode
        {"\x80", false},
    };
    for (auto& c : cases)
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes.toHex().toStdString();
}

TEST(EncodingTest, FallsBackToWindows1252)
{
    EXPECT_EQ(DecodeText("caf\xc3\xa9"), QString::fromUtf8("caf\xc3\xa9"));
    EXPECT_EQ(DecodeText("caf\xe9"), QString::fromUtf8("caf\xc3\xa9"));
    EXPECT_EQ(DecodeText("\x80\x93\x96\x9f"),
              QString::fromUtf8("\xe2\x82\xac\xe2\x80\x9c\xe2\x80\x93\xc5\xb8"));
    EXPECT_EQ(DecodeText(QByteArray()), QString());
}
} // namespace
