#pragma once
// The short-lived windows of start and end: Intro, StartButton, SoundForm, bye.
#include <QWidget>

#include "app/sound_cues.h"
#include "launch/sound_player.h"
#include "ui/ticker.h"

class QLabel;
class QPushButton;

namespace quorvane::ui {

// Opening window: two sounds on the first tick of Timer2, then Timer1 ends it.
class Intro : public QWidget {
  Q_OBJECT

 public:
  Intro(launch::SoundPlayer& sound, TimerMode mode, QWidget* parent = nullptr);

 signals:
  // Timer1 has shrunk the window away; the start-up check comes next.
  void finished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnTimer1();
  void OnTimer2();

  launch::SoundPlayer& m_sound;
  QLabel* m_image;
  app::OnceCue m_first{app::kAsscan2Wav};
  app::OnceCue m_second{app::kSgun1Wav};
  bool m_done = false;
};

// Start window in front of the main window.
class StartButton : public QWidget {
  Q_OBJECT

 public:
  StartButton(launch::SoundPlayer& sound, TimerMode mode, QWidget* parent = nullptr);

 signals:
  void rockOn();

 protected:
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

// Closing window: two sounds on the first tick of Timer2, then Timer1 ends the program.
class Bye : public QWidget {
  Q_OBJECT

 public:
  Bye(launch::SoundPlayer& sound, TimerMode mode, QWidget* parent = nullptr);

 signals:
  // Shrunk away (or closed by the user); every window is to be unloaded now.
  void finished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnTimer1();
  void OnTimer2();

  launch::SoundPlayer& m_sound;
  QLabel* m_image;
  app::OnceCue m_first{app::kSgun1Wav};
  app::OnceCue m_second{app::kAsscan2Wav};
  bool m_done = false;
};

}  // namespace quorvane::ui
