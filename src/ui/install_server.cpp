#include "ui/install_server.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include "ui/accessibility.h"
#include "ui/ansi_text.h"
#include "update/locations.h"

namespace quorvane::ui {

namespace {

// Often enough that the bar moves smoothly, seldom enough to cost nothing while idle.
constexpr int kPollMs = 50;
// A pipe's worth of reads per poll, so a chatty program cannot hold the window.
constexpr int kReadsPerPoll = 16;
// How long SteamCMD gets to end on its own after Cancel before it is forced.
constexpr int kCancelGraceMs = 1000;
constexpr int kOutputLinesKept = 5000;
constexpr int kBarSteps = 1000;

}  // namespace

InstallServerWindow::InstallServerWindow(install::FileSystem& fs, update::InstallMachine machine,
                                         InstallServerSetup setup, QWidget* parent)
    : QWidget(parent, Qt::Window), m_fs(fs), m_machine(std::move(machine)), m_setup(std::move(setup)) {
  setObjectName("InstallServer");
  setWindowTitle("Install or update the server");
  setAttribute(Qt::WA_QuitOnClose, false);

  // Built in the order the keyboard goes through them.
  auto* layout = new QGridLayout(this);
  BuildPathRows(layout);
  BuildProgressRows(layout);
  BuildButtonRow(layout);
  // The spare height goes to the output when it is shown, else below the outcome.
  layout->setRowStretch(7, 1);
  NameControls(*this);
  m_outcome->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  resize(620, 300);

  ConnectSignals(layout);
}

// The install directory and the SteamCMD program, each with its browse button.
void InstallServerWindow::BuildPathRows(QGridLayout* layout) {
  auto* dirLabel = new QLabel("Install directory", this);
  m_dir = new QLineEdit(m_setup.installDir, this);
  m_dir->setObjectName("txtInstallDir");
  dirLabel->setBuddy(m_dir);
  m_browseDir = new QPushButton("&Browse…", this);
  m_browseDir->setObjectName("cmdBrowseDir");

  auto* steamLabel = new QLabel("SteamCMD program", this);
  m_steamCmd = new QLineEdit(m_setup.steamCmd, this);
  m_steamCmd->setObjectName("txtSteamCmd");
  steamLabel->setBuddy(m_steamCmd);
  m_browseSteamCmd = new QPushButton("C&hoose…", this);
  m_browseSteamCmd->setObjectName("cmdBrowseSteamCmd");
  m_howTo = new QLabel(m_setup.howToGet, this);
  m_howTo->setObjectName("lblHowToGetSteamCmd");
  m_howTo->setTextFormat(Qt::PlainText);
  m_howTo->setWordWrap(true);
  m_howTo->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_howTo->setVisible(m_setup.steamCmd.isEmpty());
  layout->addWidget(dirLabel, 0, 0);
  layout->addWidget(m_dir, 0, 1);
  layout->addWidget(m_browseDir, 0, 2);
  layout->addWidget(steamLabel, 1, 0);
  layout->addWidget(m_steamCmd, 1, 1);
  layout->addWidget(m_browseSteamCmd, 1, 2);
  layout->addWidget(m_howTo, 2, 0, 1, 3);
}

// What the run shows: the bar, its state, SteamCMD's output and the outcome.
void InstallServerWindow::BuildProgressRows(QGridLayout* layout) {
  m_progress = new QProgressBar(this);
  m_progress->setObjectName("barProgress");
  m_progress->setAccessibleName("Progress");
  m_progress->setRange(0, kBarSteps);
  m_progress->setValue(0);
  m_progress->setTextVisible(false);
  m_state = new QLabel(this);
  m_state->setObjectName("lblState");
  // SteamCMD's words and the folder's name are shown as they are, never as markup.
  m_state->setTextFormat(Qt::PlainText);

  m_showOutput = new QToolButton(this);
  m_showOutput->setObjectName("cmdShowOutput");
  m_showOutput->setText("SteamCMD's &output");
  m_showOutput->setCheckable(true);
  m_showOutput->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  m_showOutput->setArrowType(Qt::RightArrow);
  m_output = new QPlainTextEdit(this);
  m_output->setObjectName("txtOutput");
  m_output->setAccessibleName("SteamCMD's output");
  m_output->setReadOnly(true);
  m_output->setMaximumBlockCount(kOutputLinesKept);
  m_output->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_output->setVisible(false);

  m_outcome = new QLabel(this);
  m_outcome->setObjectName("lblOutcome");
  m_outcome->setTextFormat(Qt::PlainText);
  m_outcome->setWordWrap(true);
  m_outcome->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(m_progress, 3, 0, 1, 3);
  layout->addWidget(m_state, 4, 0, 1, 3);
  layout->addWidget(m_showOutput, 5, 0, 1, 3);
  layout->addWidget(m_output, 6, 0, 1, 3);
  layout->addWidget(m_outcome, 7, 0, 1, 3);
}

void InstallServerWindow::BuildButtonRow(QGridLayout* layout) {
  m_install = new QPushButton("&Install or update", this);
  m_install->setObjectName("cmdInstall");
  m_cancel = new QPushButton("&Cancel", this);
  m_cancel->setObjectName("cmdCancel");
  m_cancel->setEnabled(false);
  m_useLocation = new QPushButton("&Use as server location", this);
  m_useLocation->setObjectName("cmdUseLocation");
  m_useLocation->setVisible(false);
  m_close = new QPushButton("Clos&e", this);
  m_close->setObjectName("cmdClose");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_install);
  buttons->addWidget(m_cancel);
  buttons->addStretch();
  buttons->addWidget(m_useLocation);
  buttons->addWidget(m_close);
  layout->addLayout(buttons, 8, 0, 1, 3);
}

void InstallServerWindow::ConnectSignals(QGridLayout* layout) {
  connect(m_browseDir, &QPushButton::clicked, this, [this] {
    const QString dir = QFileDialog::getExistingDirectory(this, "Install directory", InstallDir());
    if (!dir.isEmpty()) m_dir->setText(QDir::toNativeSeparators(dir));
  });
  connect(m_browseSteamCmd, &QPushButton::clicked, this, [this] {
    const QString program = QFileDialog::getOpenFileName(this, "SteamCMD program", m_steamCmd->text());
    if (!program.isEmpty()) m_steamCmd->setText(QDir::toNativeSeparators(program));
  });
  connect(m_steamCmd, &QLineEdit::textChanged, this,
          [this](const QString& text) { m_howTo->setVisible(text.trimmed().isEmpty()); });
  connect(m_showOutput, &QToolButton::toggled, this, [this, layout](bool shown) {
    m_output->setVisible(shown);
    layout->setRowStretch(6, shown ? 1 : 0);
    layout->setRowStretch(7, shown ? 0 : 1);
    m_showOutput->setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
  });
  connect(m_install, &QPushButton::clicked, this, &InstallServerWindow::StartInstall);
  connect(m_cancel, &QPushButton::clicked, this, &InstallServerWindow::CancelInstall);
  connect(m_useLocation, &QPushButton::clicked, this, [this] { emit useLocationRequested(m_installedDir); });
  connect(m_close, &QPushButton::clicked, this, &QWidget::close);
  m_poll.setInterval(kPollMs);
  connect(&m_poll, &QTimer::timeout, this, &InstallServerWindow::Poll);
}

InstallServerWindow::~InstallServerWindow() { EndAtOnce(); }

void InstallServerWindow::EndAtOnce() {
  m_destroying = true;
  m_poll.stop();
  if (m_child) m_child->Cancel(kCancelGraceMs);
  m_child.reset();
  // The files the running SteamCMD may have replaced still go back.
  if (m_installer && !m_installer->Finished()) {
    m_installer->Cancel();
    m_installer->RunEnded(false, 0);
  }
}

QString InstallServerWindow::InstallDir() const {
  const QString current = QDir::toNativeSeparators(QDir::currentPath());
  return FromNative(update::AbsoluteDir(ToNative(m_dir->text().trimmed()), ToNative(current), m_machine.system));
}

void InstallServerWindow::StartInstall() {
  if (m_installer && !m_installer->Finished()) return;
  const QString dir = InstallDir();
  m_dir->setText(dir);
  m_result.reset();
  m_output->clear();
  m_outcome->clear();
  m_useLocation->setVisible(false);
  m_progress->setValue(0);
  const QString steamCmd = m_steamCmd->text().trimmed();
  if (steamCmd.isEmpty()) {
    // Nothing to run: say how to get it rather than only that it is missing.
    m_state->setText("failed");
    m_outcome->setText(m_setup.howToGet);
    m_howTo->setVisible(true);
    emit installFinished(false);
    return;
  }

  update::InstallRequest request;
  request.installDir = ToNative(dir);
  request.steamCmd = ToNative(steamCmd);
  request.stamp = m_machine.stamp();
  request.serverRunning = m_setup.serverRunning && m_setup.serverRunning();
  request.owner = m_machine.thisProcess;
  update::Installer::Observer observer;
  observer.onLine = [this](const std::string& line) { m_output->appendPlainText(FromNative(line)); };
  observer.onProgress = [this](double percent, const std::string& state) { ShowProgress(percent, state); };
  observer.onFinished = [this](const update::InstallResult& result) { Finished(result); };
  if (m_setup.installing) {
    // The main window asks with GameDir, which is code-page text; a folder the code page
    // cannot hold can never be GameDir, so its own text is as good a key as any.
    m_busyDir = CodePageHolds(dir) ? ToAnsi(dir) : request.installDir;
    m_setup.installing->Add(m_busyDir);
  }
  m_installer = std::make_unique<update::Installer>(m_fs, std::move(request), std::move(observer));
  SetIdle(false);
  Launch(m_installer->Begin());
}

void InstallServerWindow::Launch(std::optional<update::StartCommand> next) {
  while (next) {
    std::unique_ptr<update::ChildRun> child = m_machine.newChild();
    if (const install::IoResult started = child->Start(next->program, next->arguments, {}); !started) {
      next = m_installer->StartFailed(started.reason);
      continue;
    }
    m_installer->Started(child->ProcessGroup());
    m_child = std::move(child);
    m_poll.start();
    return;
  }
}

void InstallServerWindow::Poll() {
  if (!m_child) return;
  if (!m_exit) {
    update::ChildExit exit;
    if (m_child->TryWait(exit)) {
      m_exit = exit;
      m_drainUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(update::kDrainAfterExitMs);
    }
  }
  // Read after that look, so all the program wrote before it ended is in the pipe by now.
  std::string output;
  update::ChildRun::ReadStatus status = update::ChildRun::ReadStatus::Nothing;
  for (int i = 0; i < kReadsPerPoll; ++i) {
    status = m_child->Read(output, 0);
    if (status != update::ChildRun::ReadStatus::Data) break;
  }
  m_installer->Output(output);
  if (!m_exit) {
    if (status != update::ChildRun::ReadStatus::Closed) return;
    // Every writer is gone, so the program is ending or has ended.
    m_exit = m_child->Wait();
  }
  // What it wrote last, over the next polls. A grandchild still holding the
  // pipe is not waited for, and one that keeps writing only for a while.
  if (status == update::ChildRun::ReadStatus::Data && std::chrono::steady_clock::now() < m_drainUntil) return;
  RunEnded(m_exit->exitedNormally, m_exit->code);
}

void InstallServerWindow::RunEnded(bool exitedNormally, int exitCode) {
  m_poll.stop();
  m_child.reset();
  m_exit.reset();
  Launch(m_installer->RunEnded(exitedNormally, exitCode));
}

void InstallServerWindow::CancelInstall() {
  if (!m_installer || m_installer->Finished()) return;
  m_installer->Cancel();
  m_cancel->setEnabled(false);
  if (!m_child) return;
  m_child->Cancel(kCancelGraceMs);
  Poll();
}

void InstallServerWindow::ShowProgress(double percent, const std::string& state) {
  m_progress->setValue(static_cast<int>(percent * kBarSteps / 100));
  const int run = m_installer ? m_installer->Run() : 0;
  const QString prefix = run > 1 ? QString("Run %1 of at most %2: ").arg(run).arg(update::kMaxRuns) : QString();
  m_state->setText(prefix + FromNative(state));
}

void InstallServerWindow::Finished(const update::InstallResult& result) {
  m_poll.stop();
  // The user's files are back by now, so the folder may be written again.
  if (m_setup.installing && !m_busyDir.empty()) m_setup.installing->Remove(m_busyDir);
  m_busyDir.clear();
  m_result = result;
  m_outcome->setText(FromNative(result.message));
  m_installedDir = result.ok ? m_dir->text() : QString();
  m_useLocation->setVisible(result.ok);
  SetIdle(true);
  if (!m_destroying) emit installFinished(result.ok);
}

void InstallServerWindow::SetIdle(bool idle) {
  m_install->setEnabled(idle);
  m_cancel->setEnabled(!idle);
  m_dir->setReadOnly(!idle);
  m_steamCmd->setReadOnly(!idle);
  m_browseDir->setEnabled(idle);
  m_browseSteamCmd->setEnabled(idle);
}

void InstallServerWindow::closeEvent(QCloseEvent* event) {
  // Closing while SteamCMD runs cancels it; the window goes once the files are back.
  CancelInstall();
  event->accept();
}

}  // namespace quorvane::ui
