#include "ui/system_lock.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/app_title.h"
#include "ui/control_factory.h"
#include "ui/system_env.h"
#include "ui/system_widgets.h"

namespace kdsp::ui {

namespace {
constexpr int kPasswordLength = 4;
}  // namespace

SystemLock::SystemLock(SystemEnv& env, QObject* parent) : QObject(parent), env_(env) {}

QWidget* SystemLock::BuildLockScreen(QWidget* main_area) {
  auto* frame = MakeFrame(main_area, QRect(0, 0, 280, 96), "FirstCheckGrop");
  frame->setAttribute(Qt::WA_StyledBackground, true);
  frame->setStyleSheet(
      "#FirstCheckGrop { background: white; border: 2px solid #f39800; border-radius: 6px; }"
      "#FirstCheckPane { color: #f39800; font-weight: bold; font-size: 13px; }");
  // The pane text is the same in both languages.
  auto* pane = new QLabel(QString::fromUtf8("输入解锁密码："), frame);
  pane->setObjectName("FirstCheckPane");
  pane->setGeometry(16, 12, 248, 20);
  auto* edit = new DigitEdit(frame, 6, true);
  edit->setObjectName("PanelPassWordEdit");
  edit->setGeometry(16, 44, 160, 26);
  MakeButton(frame, "RzBmpButton4", QRect(186, 44, 78, 26), QString::fromUtf8("确定"));
  frame->hide();
  return frame;
}

void SystemLock::Connect() {
  screen_ = env_.Find<QWidget>("FirstCheckGrop");
  if (auto* ok = env_.Find<QPushButton>("RzBmpButton22")) {
    connect(ok, &QPushButton::clicked, this, &SystemLock::ConfirmOldPassword);
  }
  if (auto* modify = env_.Find<QPushButton>("RzBmpButton23")) {
    connect(modify, &QPushButton::clicked, this, &SystemLock::ModifyPassword);
  }
  if (auto* unlock = env_.Find<QPushButton>("RzBmpButton4")) {
    connect(unlock, &QPushButton::clicked, this, &SystemLock::Unlock);
  }
  // Enter in an edit does what its button does.
  if (auto* old_password = env_.Find<QLineEdit>("PassPanelLabel1")) {
    connect(old_password, &QLineEdit::returnPressed, this, &SystemLock::ConfirmOldPassword);
  }
  if (auto* new_password = env_.Find<QLineEdit>("NewPassLabel1")) {
    connect(new_password, &QLineEdit::returnPressed, this, &SystemLock::ModifyPassword);
  }
  if (auto* lock = env_.Find<QLineEdit>("PanelPassWordEdit")) {
    connect(lock, &QLineEdit::returnPressed, this, &SystemLock::Unlock);
  }
}

bool SystemLock::MatchesPassword(const QString& typed) const {
  if (env_.link == nullptr) return false;
  const QString password = QString::fromStdString(env_.link->UserPasswordText());
  return password.size() == kPasswordLength && typed == password;
}

void SystemLock::ConfirmOldPassword() {
  auto* old_password = env_.Find<QLineEdit>("PassPanelLabel1");
  auto* new_password = env_.Find<QLineEdit>("NewPassLabel1");
  if (old_password == nullptr || new_password == nullptr) return;
  if (!MatchesPassword(old_password->text())) return;
  new_password->setEnabled(true);
  old_password->clear();
}

void SystemLock::ModifyPassword() {
  auto* old_password = env_.Find<QLineEdit>("PassPanelLabel1");
  auto* new_password = env_.Find<QLineEdit>("NewPassLabel1");
  if (old_password == nullptr || new_password == nullptr) return;
  if (new_password->text().size() != kPasswordLength) return;
  const std::string text = new_password->text().toStdString();
  if (env_.link != nullptr) {
    env_.link->SetUserPasswordText(text);
    env_.link->SendUserPassword(text);
  }
  new_password->clear();
  new_password->setEnabled(false);
  old_password->clear();
}

void SystemLock::Unlock() {
  auto* edit = env_.Find<QLineEdit>("PanelPassWordEdit");
  auto* lock = env_.Find<QWidget>("FirstCheckGrop");
  if (edit == nullptr || lock == nullptr) return;
  const bool right = MatchesPassword(edit->text());
  edit->clear();
  if (!right) return;
  lock->hide();
  for (const char* name : {"FormPageItem", "AdvPanel1", "AdvPageControl1"}) {
    if (auto* w = env_.Find<QWidget>(name)) w->setEnabled(true);
  }
  // The keys belong to the window again, not to the hidden password edit.
  if (auto* sink = env_.Find<QWidget>("Examplexx")) sink->setFocus(Qt::OtherFocusReason);
  env_.dialogs->Inform(QString::fromUtf8(kAppTitle), env_.Text({"解锁成功!", "unlocked Success!"}));
}

}  // namespace kdsp::ui
