#include "ui/splash_windows.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include "ui/accessibility.h"
#include "ui/pictures.h"
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
  image->setPixmap(SvgPicture(QString(":/sequence/") + picture, {}, window->devicePixelRatioF()));
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

SplashWindow::SplashWindow(launch::SoundPlayer& sound, const char* picture, const char* firstCue, const char* secondCue,
                           int timer2Ms, int timer1Ms, TimerMode mode, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_sound(sound),
      m_image(MakeImage(this, picture)),
      m_first{firstCue},
      m_second{secondCue} {
  setWindowTitle(QString());
  setAttribute(Qt::WA_QuitOnClose, false);
  CentreOnScreen(*this, {480, 320});
  connect(new Ticker(this, "Timer2", timer2Ms, mode), &Ticker::ticked, this, &SplashWindow::OnTimer2);
  connect(new Ticker(this, "Timer1", timer1Ms, mode), &Ticker::ticked, this, &SplashWindow::OnTimer1);
}

void SplashWindow::OnTimer2() {
  m_first.Play(m_sound);
  m_second.Play(m_sound);
}

void SplashWindow::OnTimer1() {
  if (m_done) return;
  // Set first: the shrink lets events run, and with them this timer again.
  m_done = true;
  if (ShrinkWindow(*this)) emit finished();
}

void SplashWindow::Finish() {
  if (m_done) return;
  m_done = true;
  hide();
  emit finished();
}

void SplashWindow::resizeEvent(QResizeEvent*) { m_image->setGeometry(rect()); }

Intro::Intro(launch::SoundPlayer& sound, TimerMode mode, const CloseEntryRemover& removeCloseEntry, QWidget* parent)
    : SplashWindow(sound, "intro.svg", app::kAsscan2Wav, app::kSgun1Wav, kIntroTimer2Ms, kIntroTimer1Ms, mode, parent) {
  setObjectName("Intro");
  if (removeCloseEntry) removeCloseEntry(*this);
}

void Intro::closeEvent(QCloseEvent* event) { event->ignore(); }

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
  NameControls(*this);
  connect(new Ticker(this, "Timer1", kStartTimer1Ms, mode), &Ticker::ticked, this, [this] { m_cue.Play(m_sound); });
}

// Its only way on is the workspace load, whichever way the user leaves it:
// closed bare, the fields would stay empty for the write buttons.
void StartButton::closeEvent(QCloseEvent* event) {
  event->ignore();
  emit rockOn();
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
  connect(new Ticker(this, "Timer1", kSoundFormTimer1Ms, mode), &Ticker::ticked, this, [this] { m_cue.Play(m_sound); });
}

Bye::Bye(launch::SoundPlayer& sound, TimerMode mode, QWidget* parent)
    : SplashWindow(sound, "bye.svg", app::kSgun1Wav, app::kAsscan2Wav, kByeTimer2Ms, kByeTimer1Ms, mode, parent) {
  setObjectName("bye");
}

// Closing it from its title bar only cuts the farewell short: the program
// must still end rather than leave its hidden windows behind.
void Bye::closeEvent(QCloseEvent* event) {
  event->ignore();
  Finish();
}

}  // namespace quorvane::ui
