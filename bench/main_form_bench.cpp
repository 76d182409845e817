// The main window against the floor of a bare window, and the map lists
// filled from a large maps directory.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <filesystem>
#include <fstream>
#include <random>

#include "launch/launcher.h"
#include "maps/map_catalogue.h"
#include "platform/codepage.h"
#include "platform/file_system.h"
#include "platform/server_console.h"
#include "ui/ansi_text.h"
#include "ui/dialogs.h"
#include "ui/main_form.h"
#include "ui/server_monitor.h"

namespace {

using namespace quorvane;

struct Silent : launch::SoundPlayer, launch::ProcessStarter, launch::ServerControl {
  void PlaySoundCue(const std::string&) override {}
  launch::StartResult Start(const launch::LaunchRequest&) override { return {}; }
  void SetCurrentDirectory(const std::string&) override {}
  launch::StartResult OpenLink(const std::string&) override { return {}; }
  bool IsRunning(Handle) override { return false; }
  std::optional<Handle> FindServer() override { return std::nullopt; }
  void Terminate(Handle) override {}
  void Pause(int) override {}
  void SendClose(Handle) override {}
};

void BM_BareWindowWithOneLabel(benchmark::State& state) {
  for (auto _ : state) {
    QWidget window;
    QLabel label(QStringLiteral("Quorvane"), &window);
    window.show();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_BareWindowWithOneLabel)->Unit(benchmark::kMillisecond);

void BM_MainFormBuiltAndShown(benchmark::State& state) {
  platform::NativeFileSystem fs;
  ui::Dialogs dialogs;
  Silent silent;
  for (auto _ : state) {
    ui::MainForm form(fs, dialogs, silent, silent, silent);
    ui::UseServerLinks(form, platform::UdpServerLinks());
    form.Load();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_MainFormBuiltAndShown)->Unit(benchmark::kMillisecond);

// A maps directory of n map files (a .bsp and its .txt briefing per map).
class MapsDir {
 public:
  explicit MapsDir(int files) {
    std::random_device rd;
    m_root = std::filesystem::temp_directory_path() / ("quorvane-bench-" + std::to_string(rd()));
    std::filesystem::create_directories(m_root / "tfc" / "maps");
    std::mt19937 gen(42);
    for (int i = 0; i < files; ++i) {
      const std::string name = "map" + std::to_string(gen() % 1000000) + "_" + std::to_string(i);
      std::ofstream(m_root / "tfc" / "maps" / (name + (i % 2 ? ".txt" : ".bsp")));
    }
  }
  ~MapsDir() { std::filesystem::remove_all(m_root); }
  std::string GameDir() const { return m_root.string(); }

 private:
  std::filesystem::path m_root;
};

void BM_FillMapListsFromMapFiles(benchmark::State& state) {
  const MapsDir dir(static_cast<int>(state.range(0)));
  platform::NativeFileSystem fs;
  ui::Dialogs dialogs;
  Silent silent;
  ui::MainForm form(fs, dialogs, silent, silent, silent);
  form.SetGameDir(dir.GameDir());
  for (auto _ : state) {
    const std::vector<std::string> names = maps::ScanMaps(fs, form.GameDir());
    form.Maps().ClearStartingMaps();
    form.Maps().AddStartingMaps(names);
    form.Maps().ClearAvailableMaps();
    form.Maps().AddAvailableMaps(names);
  }
}
BENCHMARK(BM_FillMapListsFromMapFiles)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

// `--cold=bare` or `--cold=form`: one window in a fresh process, shown and
// painted, then exit; time whole runs of each to compare the program's start.
int ColdStart(const std::string& which, QApplication& app) {
  platform::NativeFileSystem fs;
  ui::Dialogs dialogs;
  Silent silent;
  std::unique_ptr<QWidget> window;
  if (which == "form") {
    auto form = std::make_unique<ui::MainForm>(fs, dialogs, silent, silent, silent);
    ui::UseServerLinks(*form, platform::UdpServerLinks());
    form->Load();
    window = std::move(form);
  } else {
    window = std::make_unique<QWidget>();
    new QLabel(QStringLiteral("Quorvane"), window.get());
    window->show();
  }
  // Runs until the quit queued before the window was built: one round of
  // events, which shows and paints it.
  return app.exec();
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::UseCodePage(platform::AnsiToUtf8, platform::Utf8ToAnsi);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--cold=", 0) == 0) {
      QMetaObject::invokeMethod(
          &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
      return ColdStart(arg.substr(7), app);
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
