// What presses, drags, clicks, right-button releases and typed text do to
// the data model, without a window.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "editor/panel_editing.h"

namespace {

// Every integer point of a box and a ring of points just outside it.
std::vector<PanelPoint> Inside(HitBox box) {
  std::vector<PanelPoint> points;
  for (int y = box.top; y <= box.bottom; ++y)
    for (int x = box.left; x <= box.right; ++x) points.push_back({x, y});
  return points;
}
std::vector<PanelPoint> JustOutside(HitBox box) {
  std::vector<PanelPoint> points;
  for (int x = box.left - 1; x <= box.right + 1; ++x) {
    points.push_back({x, box.top - 1});
    points.push_back({x, box.bottom + 1});
  }
  for (int y = box.top; y <= box.bottom; ++y) {
    points.push_back({box.left - 1, y});
    points.push_back({box.right + 1, y});
  }
  return points;
}

struct PressRegion {
  int32_t page;
  HitBox box;
  int32_t target;
};

const PressRegion kPressRegions[] = {
    {kArticulationPage, {15, 130, 45, 160}, kDragIcon},
    {kArticulationPage, {110, 130, 152, 160}, kDragKeyswitch},
    {kArticulationPage, {158, 130, 190, 160}, kDragModwheel},
    {kArticulationPage, {194, 130, 226, 160}, kDragUacc},
    {kControllerPage, {174, 105, 230, 125}, kDragDynamics},
    {kControllerPage, {12, 127, 46, 161}, 7},
    {kControllerPage, {57, 127, 91, 161}, 8},
    {kControllerPage, {102, 127, 136, 161}, 9},
    {kControllerPage, {147, 127, 181, 161}, 10},
};

TEST(PressTargets, EachRegionGrabsItsTargetOnItsPageOnly) {
  for (const PressRegion& region : kPressRegions) {
    for (PanelPoint p : Inside(region.box)) {
      ASSERT_EQ(PressTargetAt(region.page, p), region.target) << p.x << "," << p.y;
      for (int32_t other = 0; other < 3; ++other) {
        if (other != region.page) {
          ASSERT_NE(PressTargetAt(other, p), region.target);
        }
      }
    }
    for (PanelPoint p : JustOutside(region.box)) {
      EXPECT_NE(PressTargetAt(region.page, p), region.target) << p.x << "," << p.y;
    }
  }
}

TEST(PressTargets, PortAndChannelOnEveryPage) {
  for (int32_t page : {0, 1, 2, 7, -1}) {
    for (PanelPoint p : Inside({156, 190, 190, 215})) ASSERT_EQ(PressTargetAt(page, p), kDragPort);
    for (PanelPoint p : Inside({198, 190, 224, 215}))
      ASSERT_EQ(PressTargetAt(page, p), kDragChannel);
    EXPECT_EQ(PressTargetAt(page, {155, 200}), kDragNone);
    EXPECT_EQ(PressTargetAt(page, {225, 200}), kDragNone);
    EXPECT_EQ(PressTargetAt(page, {194, 200}), kDragNone);
  }
  EXPECT_EQ(PressTargetAt(kSettingsPage, {20, 140}), kDragNone);
  EXPECT_EQ(PressTargetAt(kControllerPage, {200, 140}), kDragNone) << "Hold is a switch";
}

TEST(DragArithmetic, KeyswitchRisesOneStepPerEightPixelsWithoutShift) {
  EditorDragState drag;
  AccumulateDrag(drag, 0, -8, DragDivisor(false));
  EXPECT_FLOAT_EQ(drag.verticalAccumulator, 4.0f);
  EXPECT_EQ(DragValue(kDragKeyswitch, 60, drag.verticalAccumulator, 0), 61);
  AccumulateDrag(drag, 0, 1, DragDivisor(false));
  EXPECT_EQ(DragValue(kDragKeyswitch, 60, drag.verticalAccumulator, 0), 60) << "3.5 / 4 is 0";
}

TEST(DragArithmetic, WithShiftSeventyTwoPixelsMakeOneStep) {
  EditorDragState drag;
  AccumulateDrag(drag, 0, -71, DragDivisor(true));
  EXPECT_EQ(DragValue(kDragKeyswitch, 60, drag.verticalAccumulator, 0), 60);
  AccumulateDrag(drag, 0, -1, DragDivisor(true));
  EXPECT_EQ(DragValue(kDragKeyswitch, 60, drag.verticalAccumulator, 0), 61);
}

TEST(DragArithmetic, AccumulatorsAreSinglePrecision) {
  // 72 one-pixel steps of 1/18: 4.0000014 in single precision, just under
  // 4 in double. The value rises only with the single-precision sum.
  EditorDragState drag;
  for (int i = 0; i < 72; ++i) AccumulateDrag(drag, 0, -1, DragDivisor(true));
  EXPECT_GT(drag.verticalAccumulator, 4.0f);
  EXPECT_EQ(DragValue(kDragKeyswitch, 10, drag.verticalAccumulator, 0), 11);
  // Six three-pixel steps of 3/18 on a knob: exactly 1 in single precision.
  EditorDragState knob;
  for (int i = 0; i < 6; ++i) AccumulateDrag(knob, 0, -3, DragDivisor(true));
  EXPECT_EQ(DragValue(7, 100, knob.verticalAccumulator, 0), 101);
}

TEST(DragArithmetic, RightwardIsHorizontalAndUpwardIsVertical) {
  EditorDragState drag;
  AccumulateDrag(drag, 10, 0, DragDivisor(false));
  EXPECT_FLOAT_EQ(drag.horizontalAccumulator, 5.0f);
  EXPECT_FLOAT_EQ(drag.verticalAccumulator, 0.0f);
  EXPECT_EQ(DragValue(kDragDynamics, 100, drag.verticalAccumulator, drag.horizontalAccumulator),
            105);
  EditorDragState up;
  AccumulateDrag(up, 0, -10, DragDivisor(false));
  EXPECT_EQ(DragValue(8, 100, up.verticalAccumulator, up.horizontalAccumulator), 105);
  EXPECT_EQ(DragValue(kDragDynamics, 100, up.verticalAccumulator, up.horizontalAccumulator), 100)
      << "the slider ignores vertical travel";
  EXPECT_EQ(DragValue(8, 100, 0.0f, 50.0f), 100) << "knobs ignore horizontal travel";
}

TEST(DragArithmetic, TruncationIsTowardZero) {
  EXPECT_EQ(DragValue(kDragPort, 10, -7.9f, 0), 9) << "-7.9 / 4 truncates to -1";
  EXPECT_EQ(DragValue(kDragPort, 10, 7.9f, 0), 11);
  EXPECT_EQ(DragValue(9, 10, -2.5f, 0), 8);
  EXPECT_EQ(DragValue(kDragDynamics, 10, 0, -0.9f), 10);
}

TEST(DragArithmetic, EveryTargetStopsAtItsRange) {
  struct Case {
    int32_t target, low, high;
  };
  const Case cases[] = {{kDragIcon, 0, 127},
                        {kDragKeyswitch, -1, 127},
                        {kDragModwheel, -1, 127},
                        {kDragUacc, -1, 127},
                        {kDragPort, 0, 255},
                        {kDragChannel, 0, 15},
                        {kDragDynamics, 0, 127},
                        {7, 0, 127},
                        {10, 0, 127}};
  for (const Case& c : cases) {
    EXPECT_EQ(DragValue(c.target, 5, -1e9f, -1e9f), c.low) << c.target;
    EXPECT_EQ(DragValue(c.target, 5, 1e9f, 1e9f), c.high) << c.target;
    EXPECT_EQ(DragValue(c.target, 5, 3e38f, 3e38f), c.high) << "no overflow " << c.target;
    EXPECT_EQ(DragRange(c.target).low, c.low);
    EXPECT_EQ(DragRange(c.target).high, c.high);
  }
  EXPECT_EQ(DragValue(kDragKeyswitch, 0, -400.0f, 0), -1) << "stops at -1, shown as ----";
}

TEST(DragArithmetic, SyntheticMoveCoordinates) {
  EXPECT_EQ(AbsoluteInputCoordinate(600, 1280), 30719);  // 65534 / 1280 * 600 = 30719.06
  EXPECT_EQ(AbsoluteInputCoordinate(500, 1024), 31999);  // 31999.02
  EXPECT_EQ(AbsoluteInputCoordinate(0, 1280), 0);
  EXPECT_EQ(AbsoluteInputCoordinate(1280, 1280), 65534);
  EXPECT_EQ(AbsoluteInputCoordinate(100, 0), 0) << "no screen size, no division by zero";
  EXPECT_EQ(AbsoluteInputCoordinate(-10, 1280), -511);
}

TEST(DragState, NoDragUntilAReferenceIsSet) {
  EditorDragState drag;
  EXPECT_FALSE(drag.Dragging());
  EXPECT_EQ(drag.dragTarget, kDragNone);
  EXPECT_EQ(drag.pointerPoint, kNoPoint);
  EXPECT_EQ(drag.warpGuard, 0);
  drag.dragReference = {-1, 5};
  EXPECT_TRUE(drag.Dragging()) << "either coordinate off -1 counts";
  drag.dragReference = {0, -1};
  EXPECT_TRUE(drag.Dragging());
}

TEST(DragState, ReleaseWithinFivePixelsIsAClick) {
  EXPECT_TRUE(IsClick({100, 100}, {105, 95}));
  EXPECT_TRUE(IsClick({100, 100}, {95, 105}));
  EXPECT_FALSE(IsClick({100, 100}, {106, 100}));
  EXPECT_FALSE(IsClick({100, 100}, {100, 94}));
  EXPECT_FALSE(IsClick({INT_MIN, 0}, {INT_MAX, 0})) << "no overflow";
}

TEST(TargetValues, ReadAndStoreTheShownSlotAndTheAddress) {
  DataModel model;
  model.selectedSlot = 3;
  model.bank.keyswitch[3] = 40;
  EXPECT_EQ(TargetValue(model, kDragKeyswitch), 40);
  EXPECT_EQ(TargetValue(model, kDragIcon), 55);
  model.controllers.value[2] = 90;
  EXPECT_EQ(TargetValue(model, 8), 90);
  model.output.port = 4;
  EXPECT_EQ(TargetValue(model, kDragPort), 4);

  EXPECT_TRUE(StoreTargetValue(model, kDragUacc, 12));
  EXPECT_EQ(model.bank.uacc[3], 12);
  EXPECT_FALSE(StoreTargetValue(model, kDragUacc, 12)) << "unchanged";
  EXPECT_FALSE(StoreTargetValue(model, 8, 5)) << "controllers go through ProcessParam";
  EXPECT_EQ(model.controllers.value[2], 90);
}

TEST(TargetValues, ANewPortOrChannelForgetsWhatWasSent) {
  DataModel model;
  model.currentSlot = 6;
  model.sent = {60, 3, 4};
  EXPECT_FALSE(StoreTargetValue(model, kDragPort, 0));
  EXPECT_EQ(model.currentSlot, 6) << "an unchanged port forgets nothing";
  EXPECT_TRUE(StoreTargetValue(model, kDragPort, 1));
  EXPECT_EQ(model.currentSlot, 0);
  EXPECT_EQ(model.sent.lastKeyswitch, 255);
  EXPECT_EQ(model.sent.lastUacc, 255);
  EXPECT_EQ(model.sent.lastModwheel, 255);
  model.currentSlot = 2;
  model.sent = {1, 2, 3};
  EXPECT_TRUE(StoreTargetValue(model, kDragChannel, 9));
  EXPECT_EQ(model.output.channel, 9);
  EXPECT_EQ(model.currentSlot, 0);
  EXPECT_EQ(model.sent.lastUacc, 255);
}

TEST(TargetValues, ASelectedSlotOutsideTheBankEditsTheShownSlot) {
  DataModel model;
  model.selectedSlot = 400;
  EXPECT_TRUE(StoreTargetValue(model, kDragModwheel, 7));
  EXPECT_EQ(model.bank.modwheel[15], 7);
  model.selectedSlot = -9;
  StorePromptNumber(model, kPromptKeyswitch, 30);
  EXPECT_EQ(model.bank.keyswitch[0], 30);
  EXPECT_EQ(PromptFieldValue(model, kPromptKeyswitch), 30);
}

TEST(Clicks, SlotsTabsOptionsAndHold) {
  EXPECT_EQ(ClickActionAt(1, {9, 53}).kind, ClickAction::kSelectSlot);
  EXPECT_EQ(ClickActionAt(1, {9, 53}).index, 8);
  EXPECT_EQ(ClickActionAt(2, {229, 92}).index, 15);
  EXPECT_EQ(ClickActionAt(0, {51, 200}).kind, ClickAction::kSelectPage);
  EXPECT_EQ(ClickActionAt(0, {51, 200}).index, 0);
  EXPECT_EQ(ClickActionAt(0, {96, 200}).index, 1);
  EXPECT_EQ(ClickActionAt(0, {141, 230}).index, 2);
  EXPECT_EQ(ClickActionAt(0, {142, 230}).kind, ClickAction::kNone);

  for (PanelPoint p : Inside({10, 126, 110, 136})) {
    ASSERT_EQ(ClickActionAt(kSettingsPage, p).kind, ClickAction::kToggleGhosting);
    ASSERT_EQ(ClickActionAt(kControllerPage, p).kind, ClickAction::kNone);
  }
  for (PanelPoint p : Inside({10, 158, 110, 170})) {
    ASSERT_EQ(ClickActionAt(kSettingsPage, p).kind, ClickAction::kTogglePreserve);
    ASSERT_EQ(ClickActionAt(kArticulationPage, p).kind, ClickAction::kNone);
  }
  EXPECT_EQ(ClickActionAt(kSettingsPage, {10, 142}).kind, ClickAction::kNone)
      << "MIDI Extend has no region";
  EXPECT_EQ(ClickActionAt(kSettingsPage, {111, 130}).kind, ClickAction::kNone);
  for (PanelPoint p : Inside({192, 127, 226, 161})) {
    ASSERT_EQ(ClickActionAt(kControllerPage, p).kind, ClickAction::kToggleHold);
    ASSERT_EQ(ClickActionAt(kSettingsPage, p).kind, ClickAction::kNone);
  }
  for (PanelPoint p : JustOutside({192, 127, 226, 161})) {
    EXPECT_NE(ClickActionAt(kControllerPage, p).kind, ClickAction::kToggleHold);
  }
  EXPECT_EQ(ClickActionAt(kControllerPage, {30, 140}).kind, ClickAction::kNone)
      << "a knob has no click";
}

TEST(RightButton, ControllerPageMenus) {
  struct Case {
    HitBox box;
    int32_t parameter;
  };
  const Case cases[] = {{{174, 105, 230, 125}, 0},  {{12, 127, 46, 161}, 1},
                        {{57, 127, 91, 161}, 10},   {{102, 127, 136, 161}, 15},
                        {{147, 127, 181, 161}, 20}, {{192, 127, 226, 161}, 63}};
  for (const Case& c : cases) {
    for (PanelPoint p : Inside(c.box)) {
      const RightClickAction action = RightClickActionAt(kControllerPage, p);
      ASSERT_EQ(action.kind, RightClickAction::kParameterMenu);
      ASSERT_EQ(action.value, c.parameter);
    }
  }
  EXPECT_EQ(RightClickActionAt(kControllerPage, {170, 200}).kind, RightClickAction::kNone)
      << "the port box prompts on the articulation page only";
}

TEST(RightButton, ArticulationPagePromptsAndNothingOnTheSettingsPage) {
  struct Case {
    HitBox box;
    PromptField field;
    const char* caption;
  };
  const Case cases[] = {{{15, 130, 45, 160}, kPromptIcon, "Icon ID"},
                        {{110, 130, 152, 160}, kPromptKeyswitch, "Keyswitch"},
                        {{158, 130, 190, 160}, kPromptModwheel, "Modwheel"},
                        {{194, 130, 226, 160}, kPromptUacc, "UACC"},
                        {{156, 190, 190, 215}, kPromptPort, "Port"},
                        {{198, 190, 224, 215}, kPromptChannel, "Channel"},
                        {{6, 102, 103, 124}, kPromptName, "Articulation name"}};
  for (const Case& c : cases) {
    for (PanelPoint p : Inside(c.box)) {
      const RightClickAction action = RightClickActionAt(kArticulationPage, p);
      ASSERT_EQ(action.kind, RightClickAction::kPrompt);
      ASSERT_EQ(action.value, c.field);
    }
    EXPECT_STREQ(PromptCaption(c.field), c.caption);
  }
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 240; ++x) {
      ASSERT_EQ(RightClickActionAt(kSettingsPage, {x, y}).kind, RightClickAction::kNone);
      ASSERT_EQ(RightClickActionAt(5, {x, y}).kind, RightClickAction::kNone);
    }
  }
}

TEST(PromptText, StandardDecimalConversion) {
  auto parse = [](const char* text) { return ParsePromptNumber(text, std::strlen(text) + 1); };
  EXPECT_EQ(parse("300"), 300);
  EXPECT_EQ(parse("-3"), -3);
  EXPECT_EQ(parse("  \t+12x"), 12);
  EXPECT_EQ(parse("abc"), 0);
  EXPECT_EQ(parse(""), 0);
  EXPECT_EQ(parse("-"), 0);
  EXPECT_EQ(parse("1 2"), 1);
  EXPECT_EQ(parse("99999999999"), INT_MAX);
  EXPECT_EQ(parse("-99999999999"), INT_MIN);
  EXPECT_EQ(parse("-2147483648"), INT_MIN);
  EXPECT_EQ(ParsePromptNumber(nullptr, 10), 0);
}

TEST(PromptText, ReadsNoFurtherThanTheBuffer) {
  // 256 blanks and then, past the buffer, a digit that must not be seen.
  std::string text(kPromptBufferSize, ' ');
  text += "5";
  EXPECT_EQ(ParsePromptNumber(text.data(), kPromptBufferSize), 0);
  std::string digits(kPromptBufferSize, '7');
  digits += "9";
  EXPECT_EQ(ParsePromptNumber(digits.data(), kPromptBufferSize), INT_MAX);
  std::string small = std::string(kPromptBufferSize - 2, ' ') + "42";
  EXPECT_EQ(ParsePromptNumber(small.data(), kPromptBufferSize), 42);
}

TEST(PromptText, SlotFieldsAreHeldInTheirRanges) {
  DataModel model;
  model.selectedSlot = 2;
  StorePromptNumber(model, kPromptIcon, 200);
  EXPECT_EQ(model.bank.iconId[2], 127);
  StorePromptNumber(model, kPromptIcon, -4);
  EXPECT_EQ(model.bank.iconId[2], 0);
  StorePromptNumber(model, kPromptIcon, 90);
  EXPECT_EQ(model.bank.iconId[2], 90);
  for (PromptField field : {kPromptKeyswitch, kPromptModwheel, kPromptUacc}) {
    StorePromptNumber(model, field, 500);
    EXPECT_EQ(PromptFieldValue(model, field), 127) << field;
    StorePromptNumber(model, field, -7);
    EXPECT_EQ(PromptFieldValue(model, field), -1) << field;
    StorePromptNumber(model, field, 0);
    EXPECT_EQ(PromptFieldValue(model, field), 0) << field;
    StorePromptNumber(model, field, INT_MIN);
    EXPECT_EQ(PromptFieldValue(model, field), -1) << field;
  }
  EXPECT_EQ(model.bank.keyswitch[1], -1) << "other slots untouched";
}

TEST(PromptText, PortAndChannelOutsideTheirRangesBecomeTheTop) {
  DataModel model;
  StorePromptNumber(model, kPromptPort, 300);
  EXPECT_EQ(model.output.port, 255);
  StorePromptNumber(model, kPromptPort, 0);
  EXPECT_EQ(model.output.port, 0);
  StorePromptNumber(model, kPromptPort, -1);
  EXPECT_EQ(model.output.port, 255);
  StorePromptNumber(model, kPromptChannel, -3);
  EXPECT_EQ(model.output.channel, 15);
  StorePromptNumber(model, kPromptChannel, 16);
  EXPECT_EQ(model.output.channel, 15);
  StorePromptNumber(model, kPromptChannel, 4);
  EXPECT_EQ(model.output.channel, 4);

  model.currentSlot = 9;
  model.sent = {1, 2, 3};
  StorePromptNumber(model, kPromptChannel, 4);
  EXPECT_EQ(model.currentSlot, 0) << "a confirmed entry always forgets";
  EXPECT_EQ(model.sent.lastKeyswitch, 255);
}

TEST(PromptText, NamesAreCutAtTheTerminatorOr255Bytes) {
  char buffer[kPromptBufferSize];
  std::memset(buffer, 'n', sizeof buffer);  // no terminator at all
  EXPECT_EQ(PromptName(buffer, sizeof buffer), std::string(255, 'n'));
  std::strcpy(buffer, "Legato");
  EXPECT_EQ(PromptName(buffer, sizeof buffer), "Legato");
  EXPECT_EQ(PromptName(nullptr, 10), "");
}

TEST(PromptText, StartingTexts) {
  char buffer[kPromptBufferSize];
  std::memset(buffer, 'x', sizeof buffer);
  FillNumberPrompt(buffer, -1);
  EXPECT_STREQ(buffer, "-1");
  EXPECT_EQ(buffer[kPromptBufferSize - 1], 0) << "zeroed first";
  FillNamePrompt(buffer, std::string(300, 'a'));
  EXPECT_EQ(std::strlen(buffer), 255u);
  FillNamePrompt(buffer, "Spiccato");
  EXPECT_STREQ(buffer, "Spiccato");
  DataModel model;
  model.output.channel = 3;
  EXPECT_EQ(PromptFieldValue(model, kPromptChannel), 3) << "the stored 0-based channel";
}

TEST(Texts, MessagesAndValues) {
  char message[kMessageSize];
  FormatControllerMessage(message, 1, 127);
  EXPECT_STREQ(message, "CC 1: 127");
  FormatControllerSetMessage(message, 64, 0);
  EXPECT_STREQ(message, "CC #64 set to 0");
  FormatControllerSetMessage(message, 21, 127);
  EXPECT_EQ(std::strlen(message), 17u) << "the longest text the editor forms";
  char value[16];
  FormatOptionalValue(value, -1);
  EXPECT_STREQ(value, "---");
  FormatOptionalValue(value, 0);
  EXPECT_STREQ(value, "0");
  FormatOptionalValue(value, INT_MIN);
  EXPECT_STREQ(value, "---");
  char name[32];
  FormatDefaultName(name, 4);
  EXPECT_STREQ(name, "Articulation 5");
}

}  // namespace
