// The client's value texts: what an operator types must become exactly the value meant, and
// anything else must be refused before it reaches the test set.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ValueText.h"

using namespace radaltctl;

TEST(ValueText, ProfileLegsRoundTripWithLegNumbers) {
  auto legs = ParseLegs("1000:500:100, 500:500:30");
  ASSERT_EQ(2u, legs.length());
  EXPECT_EQ((std::vector<double>{1000, 500, 100, 1, 2}),
            (std::vector<double>{legs[0].Start_Alt, legs[0].Stop_Alt, legs[0].AltRate_Dur, double(legs[0].Leg_Number),
                                 double(legs[1].Leg_Number)}));
  EXPECT_EQ("1000:500:100, 500:500:30", DescribeLegs(legs));
  EXPECT_EQ(0u, ParseLegs("").length());
  EXPECT_EQ("(no legs)", DescribeLegs(ParseLegs(" ")));
}

TEST(ValueText, MalformedInputIsRefused) {
  EXPECT_THROW(ParseLegs("1000:500"), BadValue);
  EXPECT_THROW(ParseLegs("1000:500:1:2"), BadValue);
  EXPECT_THROW(ParseLegs("a:b:c"), BadValue);
  EXPECT_THROW(ParseDouble("12abc"), BadValue);
  EXPECT_THROW(ParseDouble("nan"), BadValue);
  EXPECT_THROW(ParseDouble("inf"), BadValue);
  EXPECT_THROW(ParseLong("1.5"), BadValue);
  EXPECT_THROW(ParseLong("99999999999"), BadValue);
  EXPECT_THROW(ParseBool("maybe"), BadValue);
  EXPECT_EQ(-55.5, ParseDouble(" -55.5 "));
  EXPECT_TRUE(ParseBool("On"));
  EXPECT_FALSE(ParseBool("0"));
}

TEST(ValueText, EnumeratorsByLabelOrValue) {
  Velmarin::EngineAttribEnumParams p;
  p.length(2);
  p[0].value = 0;
  p[0].label = CORBA::string_dup("Automatic");
  p[1].value = 1;
  p[1].label = CORBA::string_dup("Manual");
  EXPECT_EQ(1, ParseEnum("manual", p));
  EXPECT_EQ(0, ParseEnum("AUTOMATIC", p));
  // A number outside the list is left for the engine to refuse with its limits.
  EXPECT_EQ(7, ParseEnum("7", p));
  EXPECT_THAT([&] { ParseEnum("sideways", p); }, testing::ThrowsMessage<BadValue>(testing::HasSubstr("1=Manual")));
}

TEST(ValueText, RecordsShowValueAndUnitAndOnRequestEveryField) {
  VALUE_DOUBLE::VALUE v{-40.5, -130.0, -10.0, 1, Velmarin::Units::DBM, true};
  CORBA::Any a;
  a <<= v;
  EXPECT_EQ("-40.5 dBm", Describe(a));
  EXPECT_EQ("-40.5 dBm (min -130, max -10, resolution 1, unit 2, valid true)", Describe(a, true));
  CORBA::Any none;
  EXPECT_EQ("-", Describe(none));
}

TEST(ValueText, PublishedRecordsReadLikeValues) {
  EXPECT_EQ("351.019 ft", DescribeSampleText("val=351.0194073 min=-20 max=10000 resolution=1 unit=3 valid=true"));
  EXPECT_EQ("4300 MHz", DescribeSampleText("val=4300 min=4200 max=4400 step=1 unit=5 valid=true"));
  EXPECT_EQ("true", DescribeSampleText("true"));
  EXPECT_EQ("val=oops", DescribeSampleText("val=oops"));
}
