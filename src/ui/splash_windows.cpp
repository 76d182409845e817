#include "ui/splash_windows.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include "platform/window_menu.h"
#include "ui/shrink.h"

// The pictures live in this static library's resources, which a program
// linking it must register before the first window needs them.
static void InitSequenceResources() { Q_INIT_RESOURCE(sequence); }

namespace quorvane::ui {

namespace {

constexpr int kIntroTimer2Ms = 300;
constexpr int kIntroTimer1Ms = 4500;
constexpr int kStartTimer1Ms = 1000;
constexpr int kSoundFormTimer1Ms = 750;
constexpr int kByeTimer2Ms = 1200;
constexpr int kByeTimer1Ms = 4500;

QLabel* MakeImage(QWidget* window, const char* picture) {
  InitSequenceResources();
  auto* image = new QLabel(window);
  image->setObjectName("Image1");
  image->setPixmap(QPixmap(QString(":/sequence/") + picture));
  image->setScaledContents(true);
  return image;
}

void CentreOnScreen(QWidget& window, QSize size) {
  window.resize(size);
  if (const QScreen* screen = window.screen()) {
    const QRect area = screen->availableGeometry();
    window.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
  }
}

}  // namespace

Intro::Intro(launch::SoundPlayer& sound, TimerMode mode, QWidget* parent)
    : QWidget(parent, Qt::Window), m_sound(sound), m_image(MakeImage(this, "intro.svg")) {
  setObjectName("Intro");
  setWindowTitle(QString());
  setAttribute(Qt::WA_QuitOnClose, false);
  CentreOnScreen(*this, {480, 320});
  platform::RemoveCloseEntry(*this);
  connect(new Ticker(this, "Timer2", kIntroTimer2Ms, mode), &Ticker::ticked, this, &Intro::OnTimer2);
  connect(new Ticker(this, "Timer1", kIntroTimer1Ms, mode), &Ticker::ticked, this, &Intro::OnTimer1);
}

void Intro::OnTimer2() {
  m_first.Play(m_sound);
  m_second.Play(m_sound);
}

void Intro::OnTimer1() {
  // The shrink lets events run, and with them this timer again.
  if (m_done) return;
  m_done = true;
  ShrinkWindow(*this);
  emit finished();
}

void Intro::closeEvent(QCloseEvent* event) { event->ignore(); }

void Intro::resizeEvent(QResizeEvent*) { m_image->setGeometry(rect()); }

StartButton::StartButton(launch::SoundPlayer& sound, TimerMode mode, QWidget* parent)
    : QWidget(parent, Qt::Window), m_sound(sound), m_image(MakeImage(this, "start.svg")) {
  setObjectName("StartButton");
  setWindowTitle(QString());
  setAttribute(Qt::WA_QuitOnClose, false);
  CentreOnScreen(*this, {420, 280});
  m_rockOn = new QPushButton("Let's Rock !!", this);
  m_rockOn->setObjectName("RockOn");
  QFont font("Comic Sans MS", 14);
  font.setBold(true);
  m_rockOn->setFont(font);
  m_rockOn->setDefault(true);
  connect(m_rockOn, &QPushButton::clicked, this, &StartButton::rockOn);
  connect(new Ticker(this, "Timer1", kStartTimer1Ms, mode), &Ticker::ticked, this,
          [this] { m_cue.Play(m_sound); });
}

void StartButton::resizeEvent(QResizeEvent*) {
  m_image->setGeometry(rect());
  const QSize button(180, 44);
  m_rockOn->setGeometry((width() - button.width()) / 2, height() - button.height() - 24, button.width(),
                        button.height());
}

SoundForm::SoundForm(launch::SoundPlayer& sound, TimerMode mode, QWidget* parent)
    : QWidget(parent, Qt::Window), m_sound(sound) {
  setObjectName("SoundForm");
  setWindowTitle("Form1");
  setAttribute(Qt::WA_QuitOnClose, false);
  connect(new Ticker(this, "Timer1", kSoundFormTimer1Ms, mode), &Ticker::ticked, this,
          [this] { m_cue.Play(m_sound); });
}

Bye::Bye(launch::SoundPlayer& sound, TimerMode mode, QWidget* parent)
    : QWidget(parent, Qt::Window), m_sound(sound), m_image(MakeImage(this, "bye.svg")) {
  setObjectName("bye");
  setWindowTitle(QString());
  setAttribute(Qt::WA_QuitOnClose, false);
  CentreOnScreen(*this, {480, 320});
  connect(new Ticker(this, "Timer2", kByeTimer2Ms, mode), &Ticker::ticked, this, &Bye::OnTimer2);
  connect(new Ticker(this, "Timer1", kByeTimer1Ms, mode), &Ticker::ticked, this, &Bye::OnTimer1);
}

void Bye::OnTimer2() {
  m_first.Play(m_sound);
  m_second.Play(m_sound);
}

void Bye::OnTimer1() {
  if (m_done) return;
  m_done = true;
  ShrinkWindow(*this);
  emit finished();
}

// Closing it from its title bar only cuts the farewell short: the program
// must still end rather than leave its hidden windows behind.
void Bye::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (m_done) return;
  m_done = true;
  hide();
  emit finished();
}

void Bye::resizeEvent(QResizeEvent*) { m_image->setGeometry(rect()); }

}  // namespace quorvane::ui
