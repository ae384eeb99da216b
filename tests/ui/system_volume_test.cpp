// The volume bars of the system page: coupling within a group, the one-step rise of the normal
// volume, the maximum markers with their drag, and the two-state pairs.

#include <QLabel>
#include <QSlider>

#include "eq/equaliser_graph.h"
#include "edit/volume_limits.h"
#include "system_test_fixture.h"
#include "ui/system_markers.h"
#include "ui/system_widgets.h"

namespace kdsp::testing {
namespace {

class VolumeTest : public SystemTest {
 protected:
  QSlider* Bar(const char* name) { return Find<QSlider>(name); }
  /// A key as the user types it: to the focused control, or to the window.
  void Press(Qt::Key key) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : &Window(), key);
  }
  bool Wrote(int page, int slot, int value) const {
    for (const auto& w : link_.writes) {
      if (w.first == MakeAddr(page, slot) && w.second == value) return true;
    }
    return false;
  }
};

TEST(VolumeMarkerMaths, MarkerEdgesAndPositionsFollowTheScale) {
  EXPECT_EQ(ui::VolumeMarker::kWidth, 9);
  EXPECT_EQ(VolumeLimits::MarkerLeft(0), 53);
  EXPECT_EQ(VolumeLimits::MarkerLeft(84), 212);  // 211.76
  EXPECT_EQ(VolumeLimits::MarkerLeft(50), 148);  // 147.5, a tie: to the even 148
  EXPECT_EQ(VolumeLimits::MarkerLeft(10), 72);   // 71.9
  EXPECT_EQ(VolumeLimits::MarkerLeft(30), 110);  // 109.7
  EXPECT_EQ(VolumeLimits::MarkerLeft(70), 185);  // 185.3
  EXPECT_EQ(VolumeLimits::PositionAt(148), 50);  // 95 / 1.89 = 50.3
  EXPECT_EQ(VolumeLimits::PositionAt(53), 0);
  EXPECT_EQ(VolumeLimits::PositionAt(212), 84);
  EXPECT_EQ(VolumeLimits::PositionAt(54), 1);   // 0.53
  EXPECT_EQ(VolumeLimits::PositionAt(50), -2);  // -1.59: the bar clamps it
  for (int p = 0; p <= 84; ++p) EXPECT_EQ(VolumeLimits::PositionAt(VolumeLimits::MarkerLeft(p)), p);
}

TEST_F(VolumeTest, NormalVolumeRisesOneStepAndTheMaximumHoldsTheGroup) {
  QSlider* normal = Bar("SysMusNormalVolBar");
  QSlider* start = Bar("SysMusStartVolBar");
  QSlider* maximum = Bar("SysMusMaxVolBar");
  // Before anything was read the first upward move of a normal bar gives 1.
  normal->setValue(40);
  EXPECT_EQ(normal->value(), 0);  // held at the maximum, still 0
  maximum->setValue(50);
  normal->setValue(40);
  EXPECT_EQ(normal->value(), 1);
  for (int i = 0; i < 9; ++i) Press(Qt::Key_Q);
  ASSERT_EQ(normal->value(), 10);
  normal->setValue(30);  // a drag far up: one step
  EXPECT_EQ(normal->value(), 11);
  for (int i = 0; i < 19; ++i) Press(Qt::Key_Q);
  EXPECT_EQ(normal->value(), 30);
  EXPECT_EQ(Find<QLabel>("SysMusNormalVolPane")->text(), "30");
  start->setValue(40);
  EXPECT_EQ(start->value(), 40);
  EXPECT_EQ(Find<QLabel>("musLabel")->text(), "40");  // the start bar's value
  EXPECT_FALSE(Find<QLabel>("musLabel")->isVisible());

  // Lowering the maximum to 20 takes start and normal with it; all three are written.
  link_.writes.clear();
  maximum->setValue(20);
  EXPECT_EQ(start->value(), 20);
  EXPECT_EQ(normal->value(), 20);
  EXPECT_TRUE(Wrote(25, 4, 20));
  EXPECT_TRUE(Wrote(25, 7, 20));
  EXPECT_TRUE(Wrote(25, 1, 20));
  EXPECT_EQ(Find<QWidget>("MusMaxImage")->x(), VolumeLimits::MarkerLeft(20));
  // Held at the maximum, falls freely; the other groups are untouched.
  for (int i = 0; i < 3; ++i) Press(Qt::Key_Q);
  EXPECT_EQ(normal->value(), 20);
  normal->setValue(2);
  EXPECT_EQ(normal->value(), 2);
  EXPECT_EQ(Bar("SysMicNormalVolBar")->value(), 0);
  EXPECT_EQ(Find<QWidget>("MicMaxImage")->x(), 53);
}

TEST_F(VolumeTest, ValuesFromTheBoxAreShownAsTheyAre) {
  device_.Set(25, 1, 60);  // music normal above
  device_.Set(25, 4, 50);  // its maximum
  device_.Set(25, 7, 70);  // and the start volume too
  Window().Refresh().RefreshPage(100);
  EXPECT_EQ(Bar("SysMusNormalVolBar")->value(), 60);
  EXPECT_EQ(Find<QLabel>("SysMusNormalVolPane")->text(), "60");
  EXPECT_EQ(Bar("SysMusStartVolBar")->value(), 70);
  EXPECT_EQ(Find<QLabel>("SysMusStartVolPane")->text(), "70");
  EXPECT_EQ(Find<QWidget>("MusMaxImage")->x(), 148);
  EXPECT_TRUE(link_.writes.empty());
  // The next step up from the accepted 60 is held at the maximum.
  Press(Qt::Key_Q);
  EXPECT_EQ(Bar("SysMusNormalVolBar")->value(), 50);
  EXPECT_EQ(device_.Get(25, 1), 50);
}

TEST_F(VolumeTest, DraggingTheMaximumMarkerSetsTheMaximum) {
  QSlider* normal = Bar("SysMusNormalVolBar");
  QSlider* maximum = Bar("SysMusMaxVolBar");
  maximum->setValue(84);
  for (int i = 0; i < 60; ++i) Press(Qt::Key_Q);
  ASSERT_EQ(normal->value(), 60);
  auto* marker = Find<ui::VolumeMarker>("MusMaxImage");
  auto* label = Find<QLabel>("musLabel");
  ASSERT_EQ(marker->x(), 212);

  // Press at (4, 4) and move the pointer 64 pixels left: the left edge comes to 148.
  QTest::mousePress(marker, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
  EXPECT_TRUE(Window().Graph().DragActive());  // the drag state the graph shares
  QTest::mouseMove(marker, QPoint(4 - 64, 4));
  EXPECT_EQ(maximum->value(), 50);
  EXPECT_EQ(normal->value(), 50);
  EXPECT_EQ(device_.Get(25, 4), 50);
  EXPECT_TRUE(label->isVisible());
  EXPECT_EQ(label->text(), "50");
  EXPECT_EQ(marker->x(), 148);
  // Far beyond either end the maximum stops at 0 and 84.
  QTest::mouseMove(marker, QPoint(4 - 400, 4));
  EXPECT_EQ(maximum->value(), 0);
  EXPECT_EQ(marker->x(), 53);
  QTest::mouseMove(marker, QPoint(4 + 400, 4));
  EXPECT_EQ(maximum->value(), 84);
  EXPECT_EQ(label->text(), "84");
  QTest::mouseRelease(marker, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
  EXPECT_FALSE(Window().Graph().DragActive());
  EXPECT_FALSE(label->isVisible());
  EXPECT_EQ(marker->x(), 212);
  EXPECT_EQ(normal->value(), 0);  // limited to 0 on the way, it stays there

  // A move without a press does nothing; the right button starts no drag.
  QTest::mouseMove(marker, QPoint(-100, 4));
  EXPECT_EQ(maximum->value(), 84);
  QTest::mousePress(marker, Qt::RightButton, Qt::NoModifier, QPoint(4, 4));
  QTest::mouseMove(marker, QPoint(-100, 4));
  EXPECT_EQ(maximum->value(), 84);
  QTest::mouseRelease(marker, Qt::RightButton, Qt::NoModifier, QPoint(4, 4));
}

TEST_F(VolumeTest, TwoStatePairsWriteTheirStateAndShowTheStoredOne) {
  auto* lock_on = Find<PictureButton>("SysPanelBtn2");
  auto* lock_off = Find<PictureButton>("SysPanelBtn1");
  QTest::mouseClick(lock_on, Qt::LeftButton);
  EXPECT_EQ(link_.writes.back(), (std::pair<int, int>{MakeAddr(30, 4), 1}));
  EXPECT_EQ(lock_on->CurrentLook(), PictureButton::Look::kPressed);
  EXPECT_EQ(lock_off->CurrentLook(), PictureButton::Look::kDisabledLook);
  EXPECT_TRUE(lock_off->isEnabled());
  QTest::mouseClick(Find<QWidget>("SysVolRunBtn2"), Qt::LeftButton);
  EXPECT_EQ(link_.writes.back(), (std::pair<int, int>{MakeAddr(25, 9), 1}));
  QTest::mouseClick(Find<QWidget>("SysVolRunBtn1"), Qt::LeftButton);
  EXPECT_EQ(link_.writes.back(), (std::pair<int, int>{MakeAddr(25, 9), 0}));
  EXPECT_EQ(Find<PictureButton>("SysVolRunBtn1")->CurrentLook(), PictureButton::Look::kPressed);

  // A refresh shows what the box holds, sending nothing; the load group follows slot 21.
  link_.writes.clear();
  device_.Set(30, 4, 0);
  device_.Set(25, 9, 1);
  device_.Set(30, 21, 1);
  Window().Refresh().RefreshPage(100);
  EXPECT_EQ(lock_off->CurrentLook(), PictureButton::Look::kPressed);
  EXPECT_EQ(lock_on->CurrentLook(), PictureButton::Look::kDisabledLook);
  EXPECT_EQ(Find<PictureButton>("SysVolRunBtn2")->CurrentLook(), PictureButton::Look::kPressed);
  EXPECT_TRUE(Find<QWidget>("SysHintLoadGrop")->isHidden());
  EXPECT_TRUE(link_.writes.empty());
  device_.Set(30, 21, 0);
  Window().Refresh().RefreshPage(30);
  EXPECT_FALSE(Find<QWidget>("SysHintLoadGrop")->isHidden());
}

}  // namespace
}  // namespace kdsp::testing
