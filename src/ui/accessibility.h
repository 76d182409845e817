#pragma once
// What makes the windows usable without their pictures and without a mouse:
// names a screen reader can say, text that stays readable over a light
// picture whatever the desktop's colours, and a visible keyboard focus.
#include <QColor>
#include <QString>

class QImage;
class QLabel;
class QWidget;

namespace quorvane::ui {

// A caption as it is said: "&Save && Close" gives "Save & Close".
QString WithoutAccessKey(const QString& caption);
// Up to the first full stop that ends a sentence, without it.
QString FirstSentence(const QString& text);

// Names every control of `window` that has no name yet: a label's buddy after
// the label, a button after its caption or, when it shows only a picture,
// after its tooltip, a text box after its placeholder.
void NameControls(QWidget& window);

QColor AverageColour(const QImage& image);
// The text colour a label drawn over `background` needs to stay readable:
// none (an invalid colour) while its inherited colour does.
QColor ReadableTextColour(const QColor& inherited, const QColor& background);

// The frame a control the keyboard has put in focus draws around itself.
void DrawFocusFrame(QWidget& widget);

}  // namespace quorvane::ui
