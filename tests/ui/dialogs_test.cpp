// The real message boxes behind the seam: outside text never renders as markup.
#include "ui/dialogs.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

#include "ui/window_fixtures.h"

namespace quorvane::ui {
namespace {

struct MarkupCase {
  const char* name;
  const char* text;
  bool question;
};
class DialogsMarkupTest : public ::testing::TestWithParam<MarkupCase> {};

TEST_P(DialogsMarkupTest, showTheTextAsPlainTextWithItsTagsVisible) {
  fixtures::App();
  Dialogs dialogs;
  Qt::TextFormat format = Qt::RichText;
  QString shown;
  bool seen = false;
  // Read the box while it waits, then answer it as the user would.
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen = true;
    format = box->textFormat();
    shown = box->text();
    box->button(GetParam().question ? QMessageBox::Yes : QMessageBox::Ok)->click();
  });
  const QString text = QString("Kick ") + GetParam().text + " from the server?";
  if (GetParam().question)
    EXPECT_TRUE(dialogs.AskYesNo(text, "Kick Player", Dialogs::Icon::Question));
  else
    dialogs.Inform(text);
  ASSERT_TRUE(seen);
  EXPECT_EQ(format, Qt::PlainText);
  EXPECT_EQ(shown, text);
}

const MarkupCase kMarkupCases[] = {{"boldQuestion", "<b>x</b>", true},
                                   {"imageQuestion", "<img src=\"file:///etc/x.png\">", true},
                                   {"linkMessage", "<a href=\"http://example.invalid\">here</a>", false}};
INSTANTIATE_TEST_SUITE_P(Names, DialogsMarkupTest, ::testing::ValuesIn(kMarkupCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvane::ui
