#include <gtest/gtest.h>

#include <string>

#include "protocol/token_message.h"
#include "protocol/tokens.h"
#include "support/messages.h"

namespace quorvel {
namespace {

using namespace tok;

TEST(StandardMapMessage, SplitsAsTheMapDefinitionReadsIt) {
  const TokenMessage mdf = testing::standard_map_message();
  ASSERT_EQ(mdf.sub_message_count(), 4);
  EXPECT_EQ(mdf.first_token(), MDF);
  EXPECT_EQ(mdf.sub_message(1).sub_message_count(), 7);

  const TokenMessage provinces = mdf.sub_message(2);
  ASSERT_EQ(provinces.sub_message_count(), 2);
  const TokenMessage centres = provinces.sub_message(0);
  ASSERT_EQ(centres.sub_message_count(), 8);
  EXPECT_EQ(centres.sub_message(7).first_token(), UNO);
  EXPECT_EQ(centres.sub_message(7).sub_message_count(), 13);
  EXPECT_EQ(provinces.sub_message(1).sub_message_count(), 41);

  const TokenMessage adjacencies = mdf.sub_message(3);
  ASSERT_EQ(adjacencies.sub_message_count(), 75);
  int centre_count = 0;
  for (int i = 0; i < 8; ++i)
    centre_count += centres.sub_message(i).sub_message_count() - 1;
  EXPECT_EQ(centre_count, 34);

  // St Petersburg: the armies' list and one fleet list per coast.
  const TokenMessage stp = adjacencies.sub_message(60);
  ASSERT_EQ(stp.first_token(), STP);
  ASSERT_EQ(stp.sub_message_count(), 4);
  EXPECT_EQ(stp.sub_message(1).first_token(), AMY);
  const TokenMessage north = stp.sub_message(2);
  EXPECT_EQ(north.sub_message(0), FLT + NCS);
  EXPECT_EQ(north.sub_message(1), TokenMessage(BAR));
  EXPECT_EQ(north.sub_message(2), TokenMessage(NWY));
  EXPECT_EQ(stp.sub_message(3).sub_message(0), FLT + SCS);

  // A position inside a nested element maps back into the whole message.
  const int in_adjacencies = mdf.sub_message_start(3);
  const int in_stp = in_adjacencies + adjacencies.sub_message_start(60);
  EXPECT_EQ(mdf.token_at(in_stp), STP);
}

}  // namespace
}  // namespace quorvel
