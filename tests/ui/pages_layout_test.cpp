// The Microphone, Effects and Output sheets as built: every control of their slot maps with its
// range and kind, the band strips and their scrolling, the controls that stay hidden, frames
// that hold their controls, the texts of both languages, and the switch pictures.

#include <set>
#include <string>

#include <QAbstractButton>
#include <QGroupBox>
#include <QImage>
#include <QTabWidget>

#include "edit/translatable.h"
#include "model/display_kind.h"
#include "model/slot_map.h"
#include "ui/switch_button.h"
#include "ui_fixture.h"

namespace kdsp::testing {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), s.size()); }

/// The sheets of these pages, the tab that opens each, and the view pages their controls edit.
struct SheetOfPages {
  const char* sheet;
  int tab;
  std::vector<int> pages;
};
const SheetOfPages kSheets[] = {
    {"AdvTabSheet2_mic", 2, {1}},
    {"AdvTabSheet3_Eff", 4, {3, 4}},
    {"AdvTabSheet4_Main", 5, {5, 7, 15, 19}},
};

/// Controls of these slot maps that live elsewhere: the strip above the graph and the
/// auxiliary page.
const std::set<std::string> kElsewhere = {"MusEQAllpassBtn", "SameBtn", "MICAEffectEdit",
                                          "MICAEffectSpinButtons"};

class PagesTest : public WindowTest {
 protected:
  QWidget* Sheet(const char* name) { return Find<QWidget>(name); }
  void OpenTab(int tab) { Window().Channels().FormMusTabBtnClick(tab); }

  /// Widgets under `root` shown on screen right now.
  static std::vector<QWidget*> Shown(QWidget* root) {
    std::vector<QWidget*> out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
      if (w->isVisible()) out.push_back(w);
    }
    return out;
  }

  /// Every label of the open sheets whose text is wider than the label.
  std::vector<QString> CutOffLabels() {
    std::vector<QString> out;
    for (const auto& s : kSheets) {
      OpenTab(s.tab);
      for (int sub : {0, 2}) {
        if (s.tab == 4) Window().Channels().EchoAToolButtonClick(sub);
        for (QWidget* w : Shown(Sheet(s.sheet))) {
          auto* label = qobject_cast<QLabel*>(w);
          if (label == nullptr || label->text().isEmpty()) continue;
          const QString first_line = label->text().split('\n').first();
          if (label->fontMetrics().horizontalAdvance(first_line) > label->contentsRect().width()) {
            out.push_back(label->objectName() + ": " + label->text());
          }
        }
        if (s.tab != 4) break;
      }
    }
    return out;
  }
};

TEST_F(PagesTest, EveryControlOfTheSlotMapsSitsOnItsSheetWithItsRangeAndKind) {
  int checked = 0;
  for (const auto& s : kSheets) {
    QWidget* sheet = Sheet(s.sheet);
    for (int page : s.pages) {
      for (const SlotEntry& e : EntriesOfPage(page)) {
        std::vector<std::string> names = {e.primary, e.display};
        names.insert(names.end(), e.extras.begin(), e.extras.end());
        for (const std::string& name : names) {
          if (name.empty() || kElsewhere.count(name) != 0) continue;
          SCOPED_TRACE(name);
          const QString qname = QString::fromStdString(name);
          ASSERT_NE(sheet->findChild<QWidget*>(qname), nullptr) << "not on " << s.sheet;
          EXPECT_EQ(Window().findChildren<QWidget*>(qname).size(), 1);
          ++checked;
        }
        if (kElsewhere.count(e.primary) != 0) continue;
        SCOPED_TRACE(e.primary);
        QWidget* primary = sheet->findChild<QWidget*>(QString::fromStdString(e.primary));
        switch (e.primary_class) {
          case ControlClass::kTrackbar: {
            auto* bar = qobject_cast<ParamTrackBar*>(primary);
            ASSERT_NE(bar, nullptr);
            EXPECT_EQ(bar->minimum(), e.raw_min);
            EXPECT_EQ(bar->maximum(), e.raw_max);
            auto* pane = sheet->findChild<StatusPane*>(QString::fromStdString(e.display));
            ASSERT_NE(pane, nullptr);
            EXPECT_EQ(pane->Kind(), e.display_kind);
            break;
          }
          case ControlClass::kPhaseSwitch:
          case ControlClass::kMuteSwitch: {
            auto* sw = qobject_cast<ui::SwitchButton*>(primary);
            ASSERT_NE(sw, nullptr);
            EXPECT_EQ(sw->SwitchKind(), e.primary_class == ControlClass::kPhaseSwitch
                                            ? ui::SwitchButton::Kind::kPhase
                                            : ui::SwitchButton::Kind::kMute);
            break;
          }
          case ControlClass::kEdit:
            ASSERT_NE(qobject_cast<ParamEdit*>(primary), nullptr);
            EXPECT_EQ(qobject_cast<ParamEdit*>(primary)->Kind(), e.display_kind);
            break;
          case ControlClass::kBandTypeSelector:
          case ControlClass::kHighPassTypeSelector:
          case ControlClass::kLowPassTypeSelector: {
            auto* box = qobject_cast<ParamSelector*>(primary);
            ASSERT_NE(box, nullptr);
            ASSERT_EQ(box->count(), static_cast<int>(e.items.size()));
            for (int i = 0; i < box->count(); ++i) EXPECT_EQ(box->itemText(i), Q(e.items[i]));
            break;
          }
          default:
            break;
        }
        // A band's gain trackbar spans the gain's range; its type labels read BY, P, LS, HS.
        if (auto* gain_bar = qobject_cast<ParamTrackBar*>(
                sheet->findChild<QWidget*>(QString::fromStdString(e.extras[0])))) {
          EXPECT_EQ(gain_bar->maximum(), 180);
          EXPECT_EQ(gain_bar->orientation(), Qt::Vertical);
        }
        if (e.extra_class == ControlClass::kTypeLabel) {
          for (int k = 0; k < 4; ++k) {
            auto* label = sheet->findChild<TypeLabel*>(QString::fromStdString(e.extras[k]));
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->text(), Q(kTypeLabelCaptions[k]));
          }
        }
      }
    }
  }
  // 20 + 10 + 10 + 10 band columns of about eleven controls each, plus the other rows.
  EXPECT_GT(checked, 50 * 11);
}

TEST_F(PagesTest, BandStripsScrollByWholeColumnsAndHiddenControlsStayHidden) {
  struct Strip {
    int tab, sub;
    const char *frame, *scroll, *prefix;
    int bands, visible;
  };
  const Strip kStrips[] = {
      {2, -1, "MicEQGroupBox", "MicPanScrollBar", "Mic", 20, 8},
      {4, 0, "EchoEQGroupBox", "EchoPanScrollBar", "Echo", 10, 7},
      {4, 2, "RvbEQGroupBox", "RvbPanScrollBar", "Rvb", 10, 7},
      {5, -1, "MainEQGroupBox", "MainPanScrollBar", "Main", 10, 5},
  };
  for (const Strip& s : kStrips) {
    SCOPED_TRACE(s.frame);
    OpenTab(s.tab);
    if (s.sub >= 0) Window().Channels().EchoAToolButtonClick(s.sub);
    QWidget* frame = Find<QWidget>(s.frame);
    auto* scroll = Find<QSlider>(s.scroll);
    ASSERT_TRUE(frame->isVisible());
    EXPECT_EQ(scroll->maximum(), s.bands - s.visible);
    auto gain_x = [&](int band) {
      const QString name = QString("%1GainEdit%2").arg(s.prefix).arg(band);
      return Find<QWidget>(name.toLatin1().constData())->mapTo(frame, QPoint(0, 0)).x();
    };
    for (int b = 1; b < s.bands; ++b) EXPECT_EQ(gain_x(b + 1) - gain_x(b), 65) << b;
    // The window shows `visible` columns right of the row titles; at the last position the
    // last band is the window's last column and the first band has left it.
    // The window shows `visible` columns right of the row titles; the strip moves under it by
    // whole columns.
    QWidget* window = Find<QWidget>((QString(s.frame) + "View").toLatin1().constData());
    const int window_left = window->mapTo(frame, QPoint(0, 0)).x();
    EXPECT_EQ(window->width(), s.visible * 65);
    EXPECT_LE(window_left + window->width(), frame->width());
    for (int p : {scroll->maximum(), 0}) {
      scroll->setValue(p);
      for (int b = 1; b <= s.bands; ++b) {
        const int column = (gain_x(b) - window_left) / 65 - (gain_x(b) < window_left ? 1 : 0);
        EXPECT_EQ(column, b - 1 - p) << "band " << b << " at " << p;
      }
    }
    // The type selectors stay under the columns; the type labels stand for them.
    EXPECT_FALSE(
        Find<QWidget>(QString("%1ModeBox1").arg(s.prefix).toLatin1().constData())->isVisible());
    EXPECT_TRUE(
        Find<QWidget>(QString("%1PEQBtn1").arg(s.prefix).toLatin1().constData())->isVisible());
  }
  OpenTab(2);
  EXPECT_TRUE(Find<QWidget>("MicNoiseLevelBar")->isVisible());
  EXPECT_FALSE(Find<QWidget>("MicNoiseAttackBar")->isVisible());
  EXPECT_FALSE(Find<QWidget>("MicNoiseAttackPane")->isVisible());
  OpenTab(4);
  EXPECT_TRUE(Find<QWidget>("EchoAToolButton")->isVisible());
  EXPECT_TRUE(Find<QWidget>("RvbToolButton")->isVisible());
  EXPECT_FALSE(Find<QWidget>("EchoBToolButton")->isVisible());
  EXPECT_TRUE(Find<QTabWidget>("EffPageControl")->isVisible());
}

TEST_F(PagesTest, ControlsStayInsideTheirFramesWithoutCoveringEachOther) {
  for (const auto& s : kSheets) {
    OpenTab(s.tab);
    for (int sub : {0, 2}) {
      if (s.tab == 4) Window().Channels().EchoAToolButtonClick(sub);
      for (QWidget* w : Shown(Sheet(s.sheet))) {
        QWidget* parent = w->parentWidget();
        // The strip of band columns is wider than its window by design: it scrolls.
        if (parent->objectName().endsWith("View")) continue;
        EXPECT_TRUE(parent->rect().contains(w->geometry()))
            << w->objectName().toStdString() << " " << w->metaObject()->className() << " leaves "
            << parent->objectName().toStdString();
        for (QObject* o : parent->children()) {
          auto* sibling = qobject_cast<QWidget*>(o);
          if (sibling == nullptr || sibling == w || !sibling->isVisible()) continue;
          if (!w->isWindow() && w->geometry().intersects(sibling->geometry())) {
            ADD_FAILURE() << w->objectName().toStdString() << " (" << w->metaObject()->className()
                          << ") covers " << sibling->objectName().toStdString() << " ("
                          << sibling->metaObject()->className() << ") in "
                          << parent->objectName().toStdString();
          }
        }
      }
      if (s.tab != 4) break;
    }
  }
}

TEST_F(PagesTest, TextsFitInBothLanguages) {
  EXPECT_EQ(CutOffLabels(), std::vector<QString>{});
  Window().RzToolButton11Click();
  ASSERT_EQ(Window().UiLanguage(), 0);
  EXPECT_EQ(CutOffLabels(), std::vector<QString>{});
  // The longest value texts of every trackbar fit their panes.
  link_.online = false;
  for (const auto& s : kSheets) {
    OpenTab(s.tab);
    for (auto* bar : Sheet(s.sheet)->findChildren<ParamTrackBar*>()) {
      auto* pane = qobject_cast<StatusPane*>(Ctx().registry.Display(bar->Tag()));
      if (pane == nullptr) continue;
      for (int v = bar->minimum(); v <= bar->maximum(); ++v) {
        bar->setValue(v);
        ASSERT_LE(pane->fontMetrics().horizontalAdvance(pane->text()), pane->contentsRect().width())
            << pane->objectName().toStdString() << " " << pane->text().toStdString();
      }
    }
  }
}

TEST_F(PagesTest, PageTextsInBothLanguages) {
  struct Text {
    const char* sheet;
    const char* zh;
    const char* en;
  };
  const Text kTexts[] = {
      {"AdvTabSheet2_mic", "输入电平", "Input Level"},
      {"AdvTabSheet2_mic", "啸叫抑制", "Feedback"},
      {"AdvTabSheet2_mic", "麦克风1压限", "MiC 1 Limit"},
      {"AdvTabSheet2_mic", "麦克风1 噪声门", "MIC1 Noise"},
      {"AdvTabSheet2_mic", "启动电平", "Threshold\n"},
      {"AdvTabSheet2_mic", "释放时间", "Release Time"},
      {"AdvTabSheet3_Eff", "回声", "Echo"},
      {"AdvTabSheet3_Eff", "混响", "Reverb"},
      {"AdvTabSheet3_Eff", "回声B", "Echo B"},
      {"AdvTabSheet3_Eff", "回声音量", "Echo Effect Vol"},
      {"AdvTabSheet3_Eff", "回声高低通", "Echo LHP "},
      {"AdvTabSheet3_Eff", "回声预延时", "Echo Pre-Delay"},
      {"AdvTabSheet3_Eff", "回声延时", "Echo Delay"},
      {"AdvTabSheet3_Eff", "回声重复比率", "Echo Repeat"},
      {"AdvTabSheet3_Eff", "右通道预延时", "Right Pre-delay"},
      {"AdvTabSheet3_Eff", "右通道延时", "Right delay"},
      {"AdvTabSheet3_Eff", "混响音量", "Rvb Effect Vol"},
      {"AdvTabSheet3_Eff", "混响直达声", "Rvb Direct Vol"},
      {"AdvTabSheet3_Eff", "混响预延时", "Rvb PreDelay"},
      {"AdvTabSheet3_Eff", "混响时间", "Rvb Time"},
      {"AdvTabSheet3_Eff", "混响高低通", "Rvb LHP "},
      {"AdvTabSheet4_Main", "音乐电平", "Music Level"},
      {"AdvTabSheet4_Main", "麦克风电平", "Mic Level"},
      {"AdvTabSheet4_Main", "回声效果电平", "Echo Level"},
      {"AdvTabSheet4_Main", "混响效果电平", "Rvb Effect Vol"},
      {"AdvTabSheet4_Main", "右通道延时 ", "Right Delay"},
      {"AdvTabSheet4_Main", "输出音量", "Out Gain "},
  };
  // Titles that several rows share: (sheet, Chinese, English, count).
  struct Shared {
    const char* sheet;
    const char* zh;
    const char* en;
    int count;
  };
  const Shared kShared[] = {
      {"AdvTabSheet2_mic", "压限启动电平", "Limit Level", 1},
      {"AdvTabSheet2_mic", "压缩比例", "Ratio", 1},
      {"AdvTabSheet4_Main", "压限启动时间", "Attack Time", 1},
      {"AdvTabSheet4_Main", "压限释放时间", "Release Time", 1},
      {"AdvTabSheet2_mic", "高通", "HP", 1},
      {"AdvTabSheet2_mic", "高通", "HPF", 1},
      {"AdvTabSheet2_mic", "低通", "LPF", 1},
      {"AdvTabSheet3_Eff", "高通", "HP", 2},
      {"AdvTabSheet3_Eff", "低通", "LP", 2},
      {"AdvTabSheet4_Main", "高通", "HP", 1},
      {"AdvTabSheet4_Main", "频率", "HPF", 1},
      {"AdvTabSheet4_Main", "频率", "LPF", 1},
      {"AdvTabSheet4_Main", "低通", "LP", 1},
  };
  auto translatable_with = [this](const char* sheet, const QString& shown, const QString& other) {
    std::vector<QWidget*> out;
    for (QWidget* w : Sheet(sheet)->findChildren<QWidget*>()) {
      if (IsTranslatable(w) && ShownText(w) == shown && OtherText(w) == other) out.push_back(w);
    }
    return out;
  };
  std::vector<std::pair<QWidget*, QString>> english;
  for (const Text& t : kTexts) {
    const auto found = translatable_with(t.sheet, QString::fromUtf8(t.zh), t.en);
    ASSERT_EQ(found.size(), 1u) << t.zh;
    english.emplace_back(found[0], t.en);
  }
  for (const Shared& t : kShared) {
    EXPECT_EQ(translatable_with(t.sheet, QString::fromUtf8(t.zh), t.en).size(), t.count)
        << t.zh << " " << t.en;
  }
  // The texts that are not translatable keep what they show.
  std::map<QObject*, QString> fixed;
  for (const auto& s : kSheets) {
    for (QLabel* l : Sheet(s.sheet)->findChildren<QLabel*>()) {
      if (!IsTranslatable(l)) fixed[l] = l->text();
    }
  }
  ASSERT_GT(fixed.size(), 50u * 5 + 30);  // band numbers, type letters, panes

  Window().RzToolButton11Click();
  for (const auto& [w, en] : english) EXPECT_EQ(ShownText(w), en);
  for (const auto& [l, text] : fixed) {
    EXPECT_EQ(static_cast<QLabel*>(l)->text(), text) << l->objectName().toStdString();
  }
  EXPECT_EQ(Find<QAbstractButton>("MainRmuteBtn")->text(), "R Mute");
  Window().RzToolButton11Click();
  EXPECT_EQ(Find<QAbstractButton>("MainRmuteBtn")->text(), QString::fromUtf8("右静音"));
  for (const Text& t : kTexts) {
    EXPECT_EQ(translatable_with(t.sheet, QString::fromUtf8(t.zh), t.en).size(), 1u) << t.zh;
  }
}

/// Share of a picture's pixels close to the console's orange.
double OrangeShare(const QImage& image) {
  int orange = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      orange += std::abs(c.red() - 243) < 20 && std::abs(c.green() - 152) < 30 && c.blue() < 60;
    }
  }
  return static_cast<double>(orange) / (image.width() * image.height());
}

TEST_F(PagesTest, SwitchesShowAndWriteTheirState) {
  OpenTab(4);
  auto* phase = Find<ui::SwitchButton>("EchoEffPhaseBtn");
  ASSERT_TRUE(phase->isVisible());
  const QImage released = phase->grab().toImage();
  phase->click();
  EXPECT_EQ(phase->Hint(), "1");
  EXPECT_EQ(phase->CurrentLook(), PictureButton::Look::kPressed);
  EXPECT_EQ(device_.Get(3, 1), 1);
  const QImage pressed = phase->grab().toImage();
  EXPECT_NE(pressed, released);
  EXPECT_GT(OrangeShare(pressed), 0.6);
  EXPECT_LT(OrangeShare(released), 0.4);
  phase->click();
  EXPECT_EQ(phase->Hint(), "0");
  EXPECT_EQ(phase->grab().toImage(), released);
  EXPECT_EQ(link_.writes,
            (std::vector<std::pair<int, int>>{{MakeAddr(3, 1), 1}, {MakeAddr(3, 1), 0}}));

  // Mutes of the main output: the left on its own page, the right on the pair after it.
  OpenTab(5);
  link_.writes.clear();
  auto* left = Find<ui::SwitchButton>("MainLmuteBtn");
  auto* right = Find<ui::SwitchButton>("MainRmuteBtn");
  const QImage unmuted = left->grab().toImage();
  left->click();
  right->click();
  EXPECT_EQ(device_.Get(5, 17), 1);
  EXPECT_EQ(device_.Get(7, 17), 1);
  EXPECT_EQ(link_.writes,
            (std::vector<std::pair<int, int>>{{MakeAddr(5, 17), 1}, {MakeAddr(7, 17), 1}}));
  EXPECT_EQ(right->CurrentLook(), PictureButton::Look::kPressed);
  EXPECT_NE(left->grab().toImage(), unmuted);
  EXPECT_GT(OrangeShare(left->grab().toImage()), 0.4);
  // A refresh shows the stored states again, by the same pictures.
  device_.Set(5, 17, 0);
  Window().Refresh().RefreshPage(5);
  EXPECT_EQ(left->Hint(), "0");
  EXPECT_EQ(left->grab().toImage(), unmuted);
  EXPECT_EQ(right->Hint(), "1");
  // Disabled switches look different from enabled ones.
  Window().Channels().AutoModeBtnClick(0);
  EXPECT_FALSE(left->isEnabled());
  EXPECT_NE(left->grab().toImage(), unmuted);
}

}  // namespace
}  // namespace kdsp::testing
