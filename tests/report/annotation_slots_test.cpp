// The slots of report.html: filled, refilled, and refused when broken.
#include "report/annotation_slots.h"

#include <gtest/gtest.h>

namespace {

TEST(AnnotationSlotsTest, FillingReplacesOnlyWhatIsBetweenTheMarkers) {
  const std::string page = "<p>a" + annotationSlot(slot::NAV) + "</p>" + annotationSlot(slot::row(7)) + "end";
  std::string once, twice, error;
  const auto content = [](const std::string& key) { return "[" + key + "]"; };
  ASSERT_TRUE(fillAnnotationSlots(page, content, &once, &error)) << error;
  EXPECT_EQ(once,
            "<p>a<!--trellis2-annotate:nav-->[nav]<!--/trellis2-annotate:nav--></p>"
            "<!--trellis2-annotate:row 7-->[row 7]<!--/trellis2-annotate:row 7-->end");
  ASSERT_TRUE(fillAnnotationSlots(
      once, [](const std::string&) { return "x"; }, &twice, &error));
  EXPECT_EQ(twice,
            "<p>a<!--trellis2-annotate:nav-->x<!--/trellis2-annotate:nav--></p>"
            "<!--trellis2-annotate:row 7-->x<!--/trellis2-annotate:row 7-->end");
}

TEST(AnnotationSlotsTest, PagesWithoutSlotsOrWithABrokenOneAreRefused) {
  std::string out, error;
  const auto content = [](const std::string&) { return "x"; };
  EXPECT_FALSE(fillAnnotationSlots("<p>old report</p>", content, &out, &error));
  EXPECT_EQ(error, "no annotation slots");
  EXPECT_FALSE(fillAnnotationSlots("ab<!--trellis2-annotate:nav-->cd", content, &out, &error));
  EXPECT_EQ(error, "annotation slot without its end at byte 2");
  EXPECT_FALSE(fillAnnotationSlots(
      "<!--trellis2-annotate:nav--><!--trellis2-annotate:head--><!--/trellis2-annotate:head-->"
      "<!--/trellis2-annotate:nav-->",
      content, &out, &error));
  EXPECT_FALSE(fillAnnotationSlots("<!--trellis2-annotate:nav", content, &out, &error));
}

}  // namespace
