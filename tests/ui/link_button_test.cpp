// The link button and the window's close request, through the real widgets, against the
// emulated box over loopback TCP and a pseudo-terminal.

#include "link_button_fixture.h"

namespace kdsp::testing {
namespace {

TEST_F(LinkButtonTest, UnlinksWithAFarewellAndLinksAgainReadingEverything) {
  MessageCloser closer;
  ServeTcp();
  link_->Start();
  ASSERT_TRUE(WaitOnline());
  ASSERT_EQ(window_->LinkButton()->text(), QString::fromUtf8("断开"));

  // Unlink: the farewell reaches the box, the polls stop, the button offers to link.
  ClickLink();
  EXPECT_FALSE(bridge_->IsOnline());
  EXPECT_TRUE(WaitUntil([this] { return box().Counters().byes == 1; }, 5000));
  EXPECT_EQ(window_->LinkButton()->text(), QString::fromUtf8("联机"));
  EXPECT_EQ(LinkText(), QString::fromUtf8("设备未连接"));
  const auto heard = box().Counters().frames_received;
  QTest::qWait(3 * kPollMs);
  EXPECT_EQ(box().Counters().frames_received, heard) << "the console still polls";

  // Link again: a new search, the handshake and a full read bring the box's values in.
  box().SetParam(0, 15, 120);
  const auto hellos = box().Counters().hellos;
  ClickLink();
  ASSERT_TRUE(WaitOnline());
  EXPECT_GT(box().Counters().hellos, hellos);
  EXPECT_EQ(window_->findChild<QSlider*>("MusEQGainBar1")->value(), 120);
  EXPECT_EQ(LinkText(), QString::fromUtf8("设备已连接"));
  EXPECT_EQ(window_->LinkButton()->text(), QString::fromUtf8("断开"));
  // ... and the polls go on again.
  const auto after = box().Counters().frames_received;
  EXPECT_TRUE(WaitUntil([&] { return box().Counters().frames_received > after; }, 5000));
  EXPECT_TRUE(closer.texts.isEmpty()) << closer.texts.join(", ").toStdString();
}

TEST_F(LinkButtonTest, ABoxSwitchedOnAfterAFailedSearchIsFoundByTheNextClick) {
  MessageCloser closer;
  link_->Start();
  ASSERT_TRUE(WaitUntil([&] { return !closer.texts.isEmpty(); }, 10000));
  EXPECT_EQ(closer.texts, QStringList{QString::fromUtf8("连接失败!")});
  EXPECT_EQ(window_->LinkButton()->text(), QString::fromUtf8("联机"));
  EXPECT_FALSE(popup_.isVisible());

  ServeTcp();
  ClickLink();
  ASSERT_TRUE(WaitOnline());
  EXPECT_GE(box().Counters().hellos, 1);
  EXPECT_EQ(closer.texts.size(), 1);
}

// Closing while online: the farewell is pushed out before the program ends, even when the
// port or the socket goes right after the close without another turn of the event loop.
TEST_F(LinkButtonTest, ClosingSaysFarewellBeforeTheEndOverTheSerialPortAndTheNetwork) {
  MessageCloser closer;  // none is expected; one would only stop the test from failing
  for (const LinkKind kind : {LinkCom, LinkTcp}) {
    if (kind == LinkTcp) {
      ServeTcp();
      ports_.clear();
      link_ = std::make_unique<LinkComponent>(device_, *bridge_, std::make_unique<NoUsb>(), Fast());
      bridge_->Attach(link_.get());
      link_->SetTcpEndpoint("127.0.0.1", QString::number(port_));
      window_->show();
    } else {
      boxsim::ServerOptions options;
      options.tcp = false;
      options.pty = true;
      ASSERT_TRUE(server_.Start(options)) << server_.Error();
      ports_ = {server_.PtyPath()};
    }
    link_->Start();
    ASSERT_TRUE(WaitOnline());
    ASSERT_EQ(link_->machine().kind(), kind);
    ASSERT_TRUE(WaitUntil([this] { return link_->machine().state().ReadyToSend; }, 5000));

    const auto byes = box().Counters().byes;
    QTest::mouseClick(window_->findChild<QWidget*>("RzBmpButton3"), Qt::LeftButton);
    link_.reset();  // the program ends: the port or socket closes with the component
    EXPECT_TRUE(WaitUntil([&] { return box().Counters().byes == byes + 1; }, 3000)) << int(kind);
    EXPECT_FALSE(window_->isVisible());
    server_.Stop();
  }
  EXPECT_TRUE(closer.texts.isEmpty()) << closer.texts.join(", ").toStdString();
}

}  // namespace
}  // namespace kdsp::testing
