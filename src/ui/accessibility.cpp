#include "ui/accessibility.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace quorvane::ui {

namespace {

// WCAG's floor for ordinary text.
constexpr double kReadableContrast = 4.5;

double Linear(double channel) {
  return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& c) {
  return 0.2126 * Linear(c.redF()) + 0.7152 * Linear(c.greenF()) + 0.0722 * Linear(c.blueF());
}

// WCAG's contrast ratio, from 1 to 21.
double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

QString WithoutAccessKey(const QString& caption) {
  QString said;
  said.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    // "&&" is one ampersand; a lone one marks the key and is not said.
    if (caption[i] == QLatin1Char('&') && ++i == caption.size()) break;
    said += caption[i];
  }
  return said;
}

QString FirstSentence(const QString& text) {
  qsizetype end = 0;
  // A full stop inside a word ("Mapcycle.txt") ends nothing.
  while ((end = text.indexOf(QLatin1Char('.'), end)) >= 0) {
    if (end + 1 == text.size() || text[end + 1].isSpace()) break;
    ++end;
  }
  QString sentence = end < 0 ? text : text.left(end);
  while (sentence.endsWith(QLatin1Char('.'))) sentence.chop(1);
  return sentence.trimmed();
}

void NameControls(QWidget& window) {
  for (QLabel* label : window.findChildren<QLabel*>()) {
    QWidget* buddy = label->buddy();
    if (buddy != nullptr && buddy->accessibleName().isEmpty())
      buddy->setAccessibleName(WithoutAccessKey(label->text()));
    // A picture the keyboard reaches is a control too.
    if (label->focusPolicy() != Qt::NoFocus && label->accessibleName().isEmpty())
      label->setAccessibleName(FirstSentence(label->toolTip()));
  }
  for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
    if (!button->accessibleName().isEmpty()) continue;
    const QString caption = WithoutAccessKey(button->text());
    button->setAccessibleName(caption.isEmpty() ? FirstSentence(button->toolTip()) : caption);
  }
  for (QLineEdit* edit : window.findChildren<QLineEdit*>()) {
    if (edit->accessibleName().isEmpty()) edit->setAccessibleName(edit->placeholderText());
  }
}

QColor AverageColour(const QImage& image) {
  const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
  double red = 0;
  double green = 0;
  double blue = 0;
  for (int y = 0; y < pixels.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
    for (int x = 0; x < pixels.width(); ++x) {
      red += qRed(line[x]);
      green += qGreen(line[x]);
      blue += qBlue(line[x]);
    }
  }
  const double count = std::max<double>(1, static_cast<double>(pixels.width()) * pixels.height());
  return QColor::fromRgb(qRound(red / count), qRound(green / count), qRound(blue / count));
}

QColor ReadableTextColour(const QColor& inherited, const QColor& background) {
  if (ContrastRatio(inherited, background) >= kReadableContrast) return {};
  const QColor dark(Qt::black);
  const QColor light(Qt::white);
  return ContrastRatio(dark, background) >= ContrastRatio(light, background) ? dark : light;
}

void DrawFocusFrame(QWidget& widget) {
  // Stronger than the styles' own dotted or faint frame, which is hard to
  // find on a small picture.
  QPainter painter(&widget);
  painter.setPen(QPen(widget.palette().color(QPalette::Highlight), 2));
  painter.drawRect(widget.rect().adjusted(1, 1, -1, -1));
}

}  // namespace quorvane::ui
