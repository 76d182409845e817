#include "ui/crashes_tab.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quorvane::ui {

namespace {

// A report folder's name: its time, with "-2", "-3"... for a second one in the same second.
const QRegularExpression kReportFolder(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2}(-\\d+)?$"));

// "How it ended: SIGSEGV (signal 11)" → "SIGSEGV (signal 11)", from the report's head.
QString Field(const QString& report, const QString& name) {
  // The head's lines follow its title and a blank line; the next blank line ends them.
  bool inHead = false;
  for (const QString& line : report.split('\n')) {
    if (line.trimmed().isEmpty()) {
      if (inHead) break;
      continue;
    }
    inHead = inHead || line.contains(QStringLiteral(": "));
    if (line.startsWith(name + QStringLiteral(": "))) return line.mid(name.size() + 2).trimmed();
  }
  return {};
}

QString ReadReport(const QString& folder, QString* problem = nullptr) {
  QFile file(folder + QStringLiteral("/report.txt"));
  if (!file.open(QIODevice::ReadOnly)) {
    if (problem != nullptr)
      *problem = QStringLiteral("Quorvane could not read ") + QDir::toNativeSeparators(file.fileName()) +
                 QStringLiteral(": ") + file.errorString();
    return {};
  }
  return QString::fromUtf8(file.readAll());
}

}  // namespace

CrashesTab::CrashesTab(QString crashesDir, OpenFolder openFolder, QWidget* parent)
    : QWidget(parent), m_dir(std::move(crashesDir)), m_openFolder(std::move(openFolder)) {
  setObjectName(QStringLiteral("CrashesTab"));
  m_list = new QTableWidget(0, 3);
  m_list->setObjectName(QStringLiteral("CrashList"));
  m_list->setAccessibleName(QStringLiteral("Crashes"));
  m_list->setHorizontalHeaderLabels({QStringLiteral("Time"), QStringLiteral("How it ended"), QStringLiteral("Uptime")});
  m_list->horizontalHeader()->setStretchLastSection(true);
  m_list->verticalHeader()->hide();
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_report = new QPlainTextEdit;
  m_report->setObjectName(QStringLiteral("CrashReport"));
  m_report->setAccessibleName(QStringLiteral("Crash report"));
  m_report->setReadOnly(true);
  m_report->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_open = new QPushButton(QStringLiteral("Open folder"));
  m_open->setObjectName(QStringLiteral("OpenCrashFolder"));
  m_open->setToolTip(QStringLiteral("Show the chosen report's folder in the file manager"));
  m_problem = new QLabel;
  m_problem->setObjectName(QStringLiteral("CrashProblem"));
  m_problem->setTextFormat(Qt::PlainText);
  m_problem->setWordWrap(true);

  auto* split = new QSplitter(Qt::Horizontal);
  split->addWidget(m_list);
  split->addWidget(m_report);
  auto* row = new QHBoxLayout;
  row->addWidget(m_problem, 1);
  row->addWidget(m_open);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split, 1);
  layout->addLayout(row);
  connect(m_list, &QTableWidget::itemSelectionChanged, this, &CrashesTab::ShowChosen);
  connect(m_open, &QPushButton::clicked, this, &CrashesTab::OpenChosenFolder);
  Refresh();
}

void CrashesTab::Refresh() {
  const QString chosen = ChosenFolder();
  QStringList names = QDir(m_dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
  names = names.filter(kReportFolder);
  m_list->setRowCount(0);
  for (const QString& name : names) {
    const QString report = ReadReport(m_dir + '/' + name);
    const int row = m_list->rowCount();
    m_list->insertRow(row);
    const QString time = Field(report, QStringLiteral("Time"));
    auto* first = new QTableWidgetItem(time.isEmpty() ? name : time);
    first->setData(Qt::UserRole, name);
    m_list->setItem(row, 0, first);
    m_list->setItem(row, 1, new QTableWidgetItem(Field(report, QStringLiteral("How it ended"))));
    m_list->setItem(row, 2, new QTableWidgetItem(Field(report, QStringLiteral("Uptime"))));
    if (name == chosen) m_list->selectRow(row);
  }
  if (m_list->selectedItems().isEmpty() && m_list->rowCount() > 0) m_list->selectRow(0);
  ShowChosen();
}

void CrashesTab::showEvent(QShowEvent* event) {
  Refresh();
  QWidget::showEvent(event);
}

QString CrashesTab::ChosenFolder() const {
  const QList<QTableWidgetItem*> chosen = m_list->selectedItems();
  if (chosen.isEmpty()) return {};
  const QTableWidgetItem* first = m_list->item(chosen.front()->row(), 0);
  return first != nullptr ? first->data(Qt::UserRole).toString() : QString();
}

void CrashesTab::ShowChosen() {
  const QString name = ChosenFolder();
  m_open->setEnabled(!name.isEmpty());
  m_problem->clear();
  if (name.isEmpty()) {
    m_report->setPlainText(m_list->rowCount() == 0 ? QStringLiteral("No crash so far.") : QString());
    return;
  }
  QString problem;
  m_report->setPlainText(ReadReport(m_dir + '/' + name, &problem));
  m_problem->setText(problem);
}

void CrashesTab::OpenChosenFolder() {
  const QString name = ChosenFolder();
  if (name.isEmpty() || !m_openFolder) return;
  const std::string failure = m_openFolder(QDir::toNativeSeparators(m_dir + '/' + name));
  m_problem->setText(failure.empty()
                         ? QString()
                         : QStringLiteral("Quorvane could not open the folder: ") + QString::fromStdString(failure));
}

}  // namespace quorvane::ui
