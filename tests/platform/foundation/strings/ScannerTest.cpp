// NSScanner: hexadecimal and decimal scanning as Foundation's scanner does it, including the
// cases colour parsing depends on (a "#" that does not scan, a prefix without digits, overflow).
#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "foundation/runtime/NSAutoreleasePool.h"
#include "foundation/strings/NSScanner.h"

namespace {

class Scanning : public ::testing::Test {
protected:
  // The scanned value, or nullopt; location receives where the scanner stopped.
  std::optional<unsigned> hex(const std::u16string& text, NSUInteger* location = nullptr) {
    auto* scanner =
        NSScanner::scannerWithString(NSString::stringWithCharacters(text.data(), text.size()));
    unsigned value = 0xDEADBEEF;
    const bool scanned = scanner->scanHexInt(&value);
    if (location) *location = scanner->scanLocation();
    if (!scanned) {
      EXPECT_EQ(value, 0xDEADBEEFu) << "a failed scan leaves the result alone";
      return std::nullopt;
    }
    return value;
  }

  NSAutoreleasePool pool;
};

TEST_F(Scanning, HexWithAndWithoutPrefix) {
  EXPECT_EQ(hex(u"FF8000"), 0xFF8000u);
  EXPECT_EQ(hex(u"0xFF8000"), 0xFF8000u);
  EXPECT_EQ(hex(u"0Xff8000"), 0xFF8000u);
  EXPECT_EQ(hex(u"AAFF8000"), 0xAAFF8000u);
  NSUInteger location = 0;
  EXPECT_EQ(hex(u"FF8000zz", &location), 0xFF8000u);
  EXPECT_EQ(location, 6u);
  // "0x" without a digit after it scans as the number 0, leaving the "x".
  EXPECT_EQ(hex(u"0x", &location), 0u);
  EXPECT_EQ(location, 1u);
  EXPECT_EQ(hex(u"0xg"), 0u);
}

TEST_F(Scanning, HexFailuresLeaveTheLocation) {
  NSUInteger location = 99;
  EXPECT_EQ(hex(u"#FF8000", &location), std::nullopt);
  EXPECT_EQ(location, 0u);
  EXPECT_EQ(hex(u""), std::nullopt);
  EXPECT_EQ(hex(u" \n\t "), std::nullopt);
  EXPECT_EQ(hex(u"-1"), std::nullopt);
  EXPECT_EQ(hex(u"xFF"), std::nullopt);
  unsigned value = 7;
  EXPECT_FALSE(NSScanner::scannerWithString(nullptr)->scanHexInt(&value));
  EXPECT_EQ(value, 7u);
}

TEST_F(Scanning, HexOverflowClampsAndConsumesEveryDigit) {
  NSUInteger location = 0;
  EXPECT_EQ(hex(u"123456789", &location), 0xFFFFFFFFu);
  EXPECT_EQ(location, 9u);
  EXPECT_EQ(hex(u"FFFFFFFFFFFFFFFFFFFFFFFF1"), 0xFFFFFFFFu);
  EXPECT_EQ(hex(u"FFFFFFFF"), 0xFFFFFFFFu);
}

TEST_F(Scanning, WhitespaceAndNewlinesAreSkippedIncludingUnicodeSpaces) {
  EXPECT_EQ(hex(u" \t\r\n\u00A0\u3000\u2028 1a"), 0x1Au);
  EXPECT_EQ(hex(u"\u200B1a"), std::nullopt); // zero width space is not white space
  auto* scanner = NSScanner::scannerWithString(NSSTR("  1a"));
  scanner->setCharactersToBeSkipped(nullptr);
  EXPECT_FALSE(scanner->scanHexInt(nullptr));
  scanner->setScanLocation(2);
  EXPECT_TRUE(scanner->scanHexInt(nullptr)); // a null result pointer is allowed
  EXPECT_TRUE(scanner->isAtEnd());
}

TEST_F(Scanning, DecimalIntegers) {
  auto* scanner = NSScanner::scannerWithString(NSSTR("  -42x +7 - 5 99999999999 -99999999999"));
  int value = 0;
  EXPECT_TRUE(scanner->scanInt(&value));
  EXPECT_EQ(value, -42);
  EXPECT_FALSE(scanner->scanInt(&value)); // "x"
  scanner->setScanLocation(scanner->scanLocation() + 1);
  EXPECT_TRUE(scanner->scanInt(&value));
  EXPECT_EQ(value, 7);
  const NSUInteger beforeSign = scanner->scanLocation();
  EXPECT_FALSE(scanner->scanInt(&value)); // no white space between sign and digits
  EXPECT_EQ(scanner->scanLocation(), beforeSign);
  scanner->setScanLocation(beforeSign + 2);
  EXPECT_TRUE(scanner->scanInt(&value));
  EXPECT_EQ(value, 5);
  EXPECT_TRUE(scanner->scanInt(&value));
  EXPECT_EQ(value, INT_MAX);
  EXPECT_TRUE(scanner->scanInt(&value));
  EXPECT_EQ(value, INT_MIN);
  EXPECT_TRUE(scanner->isAtEnd());
  scanner->setScanLocation(1000);
  EXPECT_EQ(scanner->scanLocation(), scanner->string()->length());
}

} // namespace
