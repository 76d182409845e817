#pragma once
// The short-lived windows of start and end: Intro, StartButton, SoundForm, bye.
#include <QWidget>
#include <functional>

#include "app/sound_cues.h"
#include "launch/sound_player.h"
#include "ui/ticker.h"

class QLabel;
class QPushButton;

namespace quorvane::ui {

// Opening and closing windows: a picture, two sounds on the first tick of
// Timer2, and on the first tick of Timer1 the window shrinks away.
class SplashWindow : public QWidget {
  Q_OBJECT

 signals:
  // Shrunk away (or, for the closing window, closed by the user).
  void finished();

 protected:
  SplashWindow(launch::SoundPlayer& sound, const char* picture, const char* firstCue, const char* secondCue,
               int timer2Ms, int timer1Ms, TimerMode mode, QWidget* parent);
  void resizeEvent(QResizeEvent* event) override;
  // Ends the window at once, unless it has already ended.
  void Finish();

 private:
  void OnTimer1();
  void OnTimer2();

  launch::SoundPlayer& m_sound;
  QLabel* m_image;
  app::OnceCue m_first;
  app::OnceCue m_second;
  bool m_done = false;
};

// Takes the Close entry off a window's system menu; false when it has none.
using CloseEntryRemover = std::function<bool(QWidget& window)>;

// Opening window; it cannot be closed by the user.
class Intro : public SplashWindow {
  Q_OBJECT

 public:
  Intro(launch::SoundPlayer& sound, TimerMode mode, const CloseEntryRemover& removeCloseEntry,
        QWidget* parent = nullptr);

 protected:
  void closeEvent(QCloseEvent* event) override;
};

// Start window in front of the main window.
class StartButton : public QWidget {
  Q_OBJECT

 public:
  StartButton(launch::SoundPlayer& sound, TimerMode mode, QWidget* parent = nullptr);

 signals:
  void rockOn();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  launch::SoundPlayer& m_sound;
  QLabel* m_image;
  QPushButton* m_rockOn;
  app::OnceCue m_cue{app::kSaveme2Wav};
};

// Never shown: plays the log-in sound a little after the workspace load.
class SoundForm : public QWidget {
  Q_OBJECT

 public:
  SoundForm(launch::SoundPlayer& sound, TimerMode mode, QWidget* parent = nullptr);

 private:
  launch::SoundPlayer& m_sound;
  app::OnceCue m_cue{app::kVoxLoginWav};
};

// Closing window; the sounds play in the opening window's reverse order.
class Bye : public SplashWindow {
  Q_OBJECT

 public:
  Bye(launch::SoundPlayer& sound, TimerMode mode, QWidget* parent = nullptr);

 protected:
  void closeEvent(QCloseEvent* event) override;
};

}  // namespace quorvane::ui
