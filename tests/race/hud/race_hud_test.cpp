// Tests of the race HUD: race-time text, position rows, place and lap texts, stunt lines, tally and drawing.
#include "race/hud/race_hud.h"

#include "geometry/path.h"
#include "hud_test_support.h"

namespace race {
namespace {

using hud_test::HudFixture;

HudRacerView Racer(const std::string& name, int32_t position, bool player = false) {
  HudRacerView view;
  view.driverName = name;
  view.racePosition = position;
  view.isPlayer = player;
  return view;
}

TEST(FormatRaceTime, MinutesSecondsAndHundredthsCappedAtTheLargestText) {
  EXPECT_EQ(FormatRaceTime(0.0f), "00:00'00");
  EXPECT_EQ(FormatRaceTime(83.456f), "01:23'45");
  EXPECT_EQ(FormatRaceTime(59.999f), "00:59'99");
  EXPECT_EQ(FormatRaceTime(3600.0f), "60:00'00");
  EXPECT_EQ(FormatRaceTime(5999.99f), "99:59'99");
  EXPECT_EQ(FormatRaceTime(6000.0f), "99:99'99");
  EXPECT_EQ(FormatRaceTime(1e12f), "99:99'99") << "times beyond 32 bits of hundredths do not wrap";
  EXPECT_EQ(FormatRaceTime(-3.0f), "00:00'00");
}

TEST(OrdinalText, SuffixesByNumber) {
  EXPECT_EQ(OrdinalText(1), "1st");
  EXPECT_EQ(OrdinalText(2), "2nd");
  EXPECT_EQ(OrdinalText(3), "3rd");
  EXPECT_EQ(OrdinalText(5), "5th");
  EXPECT_EQ(OrdinalText(21), "21th") << "the table has only 1, 2 and 3 as special numbers";
  EXPECT_EQ(OrdinalText(40), "40th") << "numbers past the table read th rather than past its end";
}

TEST_F(HudFixture, LoadsTheHudPicturesFontAndSounds) {
  const RaceDefinition definition = Definition(kRaceLap);
  RaceHud& hud = MakeHud(definition);
  for (render::ImageResource* image : {hud.panelImage, hud.minimapImage, hud.pointerImage, hud.focusedPointerImage,
                                       hud.mirrorImage, hud.startEndImage, hud.fontImage}) {
    EXPECT_GT(render::GetImageWidth(image), 0u);
  }
  EXPECT_NE(hud.tallySound, platform::audio::kNoSample);
  EXPECT_NE(hud.start1Sound, platform::audio::kNoSample);
  EXPECT_NE(hud.start2Sound, platform::audio::kNoSample);
  EXPECT_EQ(hud.panelSprites.Count(), 3u) << "two top panels and the position-list header";
  EXPECT_EQ(hud.panelLabels.Count(), 3u + 2u + 10u + 6u);
  hud.BuildPositionRows(device_, 4);
  EXPECT_EQ(hud.panelSprites.Count(), 7u);
  ASSERT_NE(hud.panelSprites.head, nullptr);
  EXPECT_FLOAT_EQ(hud.panelSprites.head->object->y, 103.0f + 19.0f * 3) << "the last row added is drawn first";
  EXPECT_FLOAT_EQ(hud.panelSprites.head->object->quad[0].v, (19.0f * 3 + 13.0f) / 128.0f);
}

TEST_F(HudFixture, DestructionGivesBackEveryPictureFontAndSound) {
  const RaceDefinition definition = Definition(kRaceLap);
  RaceHud& hud = MakeHud(definition);
  geometry::Path path("AIPATH", true, platform::Vec3{});
  path.AddPoint({0, 0, 0});
  path.AddPoint({100, 0, 0});
  path.AddPoint({100, 0, 100});
  hud.CreateMinimap(device_, path);
  app::ScreenFlow flow;
  hud.StartCountdown(flow);
  for (int frame = 0; frame < 30; ++frame) hud.Tick(flow, 0.05f);  // "3" shown, owned by the HUD
  hud.tallyTarget = 500;
  hud.UpdateTally(0.1f);  // the tally sound is playing
  EXPECT_GT(resources_->Count(render::ResourceKind::kImage), 0u);
  hud_.reset();
  resources_->PurgeUnused();
  EXPECT_EQ(resources_->Count(render::ResourceKind::kImage), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kFont), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kSample), 0u);
}

TEST_F(HudFixture, RowsFollowRacePositionsAndOnlyRowsInUseAreReset) {
  const RaceDefinition definition = Definition(kRaceLap);
  RaceHud& hud = MakeHud(definition);
  hud.Update({Racer("Ann", 2), Racer("Me", 1, true), Racer("Bob", 3)});
  hud.UpdateTexts();
  EXPECT_EQ(hud.RowLabel(0).text, "Me");
  EXPECT_TRUE(hud.RowLabel(0).highlight);
  EXPECT_EQ(hud.RowLabel(1).text, "Ann");
  EXPECT_FALSE(hud.RowLabel(1).highlight);
  EXPECT_EQ(hud.RowLabel(2).text, "Bob");
  EXPECT_EQ(hud.RowLabel(3).text, "") << "rows beyond the racers keep their empty name";
  EXPECT_EQ(hud.rowsFilled, 3u);
  EXPECT_EQ(hud.PlaceLabel()->text, "1st/3");

  hud.Update({Racer("Ann", 1), Racer("Me", 2, true), Racer("Bob", 0)});
  hud.UpdateTexts();
  EXPECT_EQ(hud.RowLabel(2).text, "----") << "a row no racer fills this frame is reset";
  EXPECT_EQ(hud.PlaceLabel()->text, "2nd/3");
  EXPECT_FALSE(hud.RowLabel(0).highlight);
  EXPECT_TRUE(hud.RowLabel(1).highlight);

  std::vector<HudRacerView> eight;
  for (int i = 1; i <= 8; ++i) eight.push_back(Racer("R" + std::to_string(i), i, i == 8));
  hud.Update(eight);
  hud.UpdateTexts();
  EXPECT_EQ(hud.RowLabel(5).text, "R6");
  EXPECT_EQ(hud.PlaceLabel()->text, "8th/8") << "racers past six are counted but get no row";
}

TEST_F(HudFixture, LapTextNeverPassesTheLapCount) {
  const RaceDefinition definition = Definition(kRaceLap, 3);
  RaceHud& hud = MakeHud(definition);
  HudRacerView me = Racer("Me", 1, true);
  hud.UpdateTexts();
  EXPECT_EQ(hud.LapLabel()->text, "Lap 1/3");
  me.bestLap = 1;
  hud.Update({me});
  hud.UpdateTexts();
  EXPECT_EQ(hud.LapLabel()->text, "Lap 2/3");
  me.bestLap = 3;
  hud.Update({me});
  hud.UpdateTexts();
  EXPECT_EQ(hud.LapLabel()->text, "Lap 3/3");
  me.bestLap = -4;
  hud.Update({me});
  hud.UpdateTexts();
  EXPECT_EQ(hud.LapLabel()->text, "Lap 1/3");
}

TEST_F(HudFixture, TimeTrialRowsShowTargetTimesAndPlaceIsTheBestUnpassedTarget) {
  RaceDefinition definition = Definition(kRaceTimeTrial);
  definition.targetTimes = {0, 60, 75, 90};
  RaceHud& hud = MakeHud(definition);
  EXPECT_FLOAT_EQ(hud.TimeLabel()->x, 580.0f) << "the timer moves to the right panel";
  EXPECT_FLOAT_EQ(hud.PlaceLabel()->x, 20.0f);
  const HudRacerView me = Racer("Me", 1, true);

  hud.SetRaceTime(30.0f);
  hud.Update({me});
  hud.UpdateTexts();
  EXPECT_EQ(hud.place, 1u);
  EXPECT_EQ(hud.PlaceLabel()->text, "TIMETRIAL");
  EXPECT_EQ(hud.RowLabel(0).text, "01:00'00");
  EXPECT_EQ(hud.RowLabel(1).text, "01:15'00");
  EXPECT_EQ(hud.RowLabel(2).text, "01:30'00");
  EXPECT_FALSE(hud.RowLabel(0).highlight);
  EXPECT_EQ(hud.TimeLabel()->text, "00:30'00");

  hud.SetRaceTime(80.0f);
  hud.Update({me});
  hud.UpdateTexts();
  EXPECT_EQ(hud.place, 3u);
  EXPECT_TRUE(hud.RowLabel(0).highlight);
  EXPECT_TRUE(hud.RowLabel(1).highlight);
  EXPECT_FALSE(hud.RowLabel(2).highlight);

  hud.SetRaceTime(95.0f);
  hud.Update({me});
  EXPECT_EQ(hud.place, 4u) << "every target passed";

  RaceDefinition chicken = Definition(kRaceChicken);
  RaceHud& second = MakeHud(chicken);
  second.UpdateTexts();
  EXPECT_EQ(second.PlaceLabel()->text, "CHICKEN");
}

TEST_F(HudFixture, StuntLinesNameTheAwardsAndTheMultiplier) {
  const RaceDefinition definition = Definition(kRaceLap);
  RaceHud& hud = MakeHud(definition);
  HudRacerView me = Racer("Me", 1, true);
  me.hasStunts = true;
  me.stuntEvents = {{0, 120.5f}, {4, 300.2f}, {5, 999.0f}, {3, 49.4f}, {1, 10.0f}, {2, 250.0f}, {1, -1.0f}};
  me.scoringEvents = 1;
  me.stuntPoints = 1500;
  hud.Update({me});
  hud.UpdateTexts();
  EXPECT_EQ(hud.StuntLabel(0).text, "Air! 121");
  EXPECT_EQ(hud.StuntLabel(1).text, "Big Air! 300");
  EXPECT_EQ(hud.StuntLabel(2).text, "Huge Air! 999");
  EXPECT_EQ(hud.StuntLabel(3).text, "Two Wheels 49");
  EXPECT_EQ(hud.StuntLabel(4).text, "Powerslide 10");
  EXPECT_EQ(hud.StuntLabel(5).text, "Nice Pass! 250");
  EXPECT_EQ(hud.StuntLabel(6).text, "Powerslide") << "a wiped stunt shows its name alone";
  EXPECT_TRUE(hud.StuntLabel(6).highlight);
  EXPECT_FALSE(hud.StuntLabel(5).highlight);
  EXPECT_FLOAT_EQ(hud.StuntLabel(6).y, 260.0f + 20.0f * 6);
  EXPECT_EQ(hud.StuntLabel(7).text, "");
  EXPECT_EQ(hud.MultiplierLabel().text, "") << "a multiplier of 1 shows nothing";

  me.scoringEvents = 2;
  me.stuntEvents.assign(14, HudStuntEvent{0, 5.0f});
  me.stuntEvents.push_back({77, 1.0f});
  hud.Update({me});
  hud.UpdateTexts();
  EXPECT_EQ(hud.stuntTexts.size(), 10u) << "only the first ten events are shown";
  EXPECT_EQ(hud.MultiplierLabel().text, "2x Multiplier");
}

TEST_F(HudFixture, TallyCountsTowardTheTargetBothWaysWithItsSound) {
  const RaceDefinition definition = Definition(kRaceLap);
  RaceHud& hud = MakeHud(definition);
  hud.tallyTarget = 150;
  hud.UpdateTally(0.1f);
  EXPECT_FLOAT_EQ(hud.tallyShown, 100.0f);
  EXPECT_NE(hud.tallyChannel, platform::audio::kNoChannel);
  EXPECT_TRUE(mixer_.IsPlaying(hud.tallyChannel));
  hud.UpdateTally(0.1f);
  EXPECT_FLOAT_EQ(hud.tallyShown, 150.0f) << "never beyond the target";
  hud.UpdateTexts();
  EXPECT_EQ(hud.ScoreLabel().text, "$150");
  const int channel = hud.tallyChannel;
  hud.UpdateTally(0.1f);
  EXPECT_EQ(hud.tallyChannel, platform::audio::kNoChannel) << "reaching the target stops the sound";
  EXPECT_FALSE(mixer_.IsPlaying(channel));

  hud.tallyTarget = 20;
  hud.UpdateTally(0.05f);
  EXPECT_FLOAT_EQ(hud.tallyShown, 100.0f) << "a lower target counts down at the same rate";
  hud.UpdateTally(0.5f);
  EXPECT_FLOAT_EQ(hud.tallyShown, 20.0f);
}

TEST_F(HudFixture, PlayerValuesReachTheGaugesAndTheMinimap) {
  const RaceDefinition definition = Definition(kRaceLap);
  RaceHud& hud = MakeHud(definition);
  geometry::Path path("AIPATH", true, platform::Vec3{});
  for (int i = 0; i < 8; ++i) path.AddPoint({static_cast<float>(i % 4) * 500.0f, 0, static_cast<float>(i / 4) * 500.0f});
  hud.CreateMinimap(device_, path);
  HudRacerView me = Racer("Me", 2, true);
  me.engineRpm = 4500;
  me.speedMph = 77.6f;
  me.gear = 3;
  me.nitrousRemaining = 5;
  me.nitrousCapacity = 10;
  me.position = {10, 0, 20};
  me.forwardAxis = {1, 0, 0};
  me.wrongWay = true;
  HudRacerView other = Racer("Ann", 1);
  other.nitrousCapacity = 0;
  hud.Update({other, me});
  EXPECT_FLOAT_EQ(hud.gauges->rpm, 4500);
  EXPECT_FLOAT_EQ(hud.gauges->nitrous, 0.5f);
  EXPECT_EQ(hud.gauges->gear, 3);
  EXPECT_TRUE(hud.wrongWay);
  ASSERT_EQ(hud.minimap->RacerCount(), 2u);
  EXPECT_TRUE(hud.minimap->racerHighlight[1]);
  EXPECT_FLOAT_EQ(hud.minimap->racerPositions[1].z, 20.0f);

  me.nitrousCapacity = 0;
  hud.Update({me});
  EXPECT_FLOAT_EQ(hud.gauges->nitrous, 0.0f) << "a car without nitrous shows an empty meter";
  EXPECT_EQ(hud.minimap->RacerCount(), 1u);
}

TEST_F(HudFixture, DrawShowsWrongWayOnlyWhenSetAndNothingButMessagesOnceHidden) {
  const RaceDefinition definition = Definition(kRaceLap);
  RaceHud& hud = MakeHud(definition);
  HudRacerView me = Racer("Me", 1, true);
  hud.Update({me});
  device_->ClearRecords();
  hud.Draw(device_);
  const size_t plain = device_->Draws().size();
  me.wrongWay = true;
  hud.Update({me});
  device_->ClearRecords();
  hud.Draw(device_);
  EXPECT_EQ(device_->Draws().size(), plain + 1) << "the WRONG WAY label";

  hud.ShowResults(definition);
  device_->ClearRecords();
  hud.Draw(device_);
  EXPECT_EQ(device_->Draws().size(), 3u) << "band, Race Complete and the result line only";
  device_->ClearRecords();
  hud.DrawMirror(device_, nullptr);
  EXPECT_TRUE(device_->Draws().empty()) << "no mirror after the finish";
}

}  // namespace
}  // namespace race
