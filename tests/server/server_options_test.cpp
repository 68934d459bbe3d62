#include "server/server_options.h"

#include <gtest/gtest.h>

namespace quorvel::server {
namespace {

TEST(ServerOptions, ValuesFollowTheirLetter) {
  const ParsedOptions parsed =
      parse_server_options({"-p0", "-o3", "-khold", "-y1910", "-m5", "-r2", "-b1", "-i4",
                            "-gout.txt", "-s42", "-l30", "-vNPB", "-vPTL=3", "-vPDA"});
  ASSERT_TRUE(parsed.errors.empty());
  const ServerOptions& o = parsed.options;
  EXPECT_EQ(o.port, 0);
  EXPECT_EQ(o.open_seats, 3);
  EXPECT_EQ(o.opponents, OpponentKind::kHolder);
  EXPECT_EQ(o.last_year, 1910);
  GameVariant variant;
  variant.level = 30;
  variant.move_seconds = 5;
  variant.retreat_seconds = 2;
  variant.build_seconds = 1;
  variant.partial_draws = true;
  variant.no_build_press = true;
  variant.press_time_limit = 3;
  EXPECT_EQ(o.variant, variant);
  EXPECT_EQ(o.im_seconds, 4);
  EXPECT_EQ(o.record, "out.txt");
  EXPECT_EQ(o.seed, 42u);
}

// A script's typo must stop the server rather than start a game other than the one asked for.
TEST(ServerOptions, OutOfRangeOrMalformedValuesAreRefused) {
  for (const char* bad :
       {"-p65536", "-p", "-p-1", "-p12x", "-p99999999999", "-o8", "-kgreed", "-y1900", "-i0", "-g",
        "-m1.5", "-x1", "p16713", "-", "-vXYZ", "-vPTL", "-vPTL=0", "-vpda"}) {
    EXPECT_EQ(parse_server_options({bad}).errors.size(), 1u) << bad;
  }
  // Options of press games in a game without press.
  EXPECT_EQ(parse_server_options({"-vNPR"}).errors.size(), 1u);
  EXPECT_EQ(parse_server_options({"-l5", "-vNPR"}).errors.size(), 1u);
  EXPECT_TRUE(parse_server_options({"--help"}).options.help);
}

}  // namespace
}  // namespace quorvel::server
