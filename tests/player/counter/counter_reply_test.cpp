#include <gtest/gtest.h>

#include "player/counter/online_counter.h"

namespace trr {
namespace {

struct ReplyCase {
  const char* reply;
  const char* number;
};

const ReplyCase kReplies[] = {
    {"<span style=\"display:none>0128</span>", "128"},  // leading zeros dropped
    {"none>0128<", "128"},
    {"none>7<", "7"},
    {"none>0<", "0"},
    {"none>0000<", "0"},
    {"a none>12< b none>34<", "12"},  // the first marker counts
    {"none>12<none>34<", "12"},
    {"NONE>55<", "0"},                // letter case of the marker matters
    {"None>55<", "0"},
    {"none>abc<", "0"},               // not a number
    {"none><", "0"},                  // nothing between
    {"none>128", "0"},                // no "<" after the marker
    {"<b>128</b>", "0"},              // no marker at all
    {"", "0"},                        // failed request
    {"none>中文<", "0"},
    {"<x>none>2147483647<", "2147483647"},
    {"none> 42<", "42"},
};

TEST(CounterReply, NumberBetweenMarkerAndNextAngle) {
  for (const ReplyCase& c : kReplies) {
    SCOPED_TRACE(c.reply);
    EXPECT_EQ(ParseCounterReply(c.reply), c.number);
  }
}

TEST(CounterReply, LabelText) {
  EXPECT_EQ(CounterLabelText("128"), "当前在线:128人");
  EXPECT_EQ(CounterLabelText(ParseCounterReply("")), "当前在线:0人");
}

}  // namespace
}  // namespace trr
