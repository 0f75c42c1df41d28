#include "console/tui/MessageBoxForm.h"

#include <algorithm>

#include "console/tui/Glyphs.h"
#include "platform/ui/AnswerNames.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"

namespace {

int IconOf(uint32_t flags) {
  switch (flags & MB_ICONMASK) {
    case MB_ICONHAND:
      return IDI_HAND;
    case MB_ICONQUESTION:
      return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
      return IDI_EXCLAMATION;
    case MB_ICONASTERISK:
      return IDI_ASTERISK;
    default:
      return 0;
  }
}

constexpr int kIconCells = 4;  // wide, two rows high
constexpr int kMarginCells = 2;
constexpr int kButtonGapCells = 2;

int ButtonCells(const std::string& caption) { return std::max(10, GlyphCount(caption) + 4); }

}  // namespace

std::unique_ptr<TForm> CreateMessageBoxForm(const std::string& text, const std::string& caption,
                                            uint32_t flags) {
  const std::vector<int> answers = MessageBoxAnswers(flags);
  if (answers.empty()) return nullptr;
  auto form = std::make_unique<TForm>();
  form->SetBorderStyle(bsDialog);
  form->SetPosition(poScreenCenter);
  form->SetCaption(caption.empty() ? "Error" : caption);

  const int icon = IconOf(flags);
  const int textLeft = kMarginCells + (icon ? kIconCells + kMarginCells : 0);
  // Within half the screen's width, as on the platform, and within what the
  // frame and margins leave of a narrow one (a long word is split there).
  const int screenCells = Screen().Width() / kCellWidth;
  const int widest =
      std::max(1, std::min(screenCells / 2, screenCells - 2 - textLeft - kMarginCells));
  const std::vector<std::string> rows = WrapText(text, widest);
  int textCells = 0;
  for (const std::string& row : rows) textCells = std::max(textCells, GlyphCount(row));
  const int textRows = std::max(1, int(rows.size()));
  const int blockRows = std::max(textRows, icon ? 2 : 0);

  int rowCells = 0;
  for (int answer : answers) rowCells += ButtonCells(AnswerCaption(answer));
  rowCells += kButtonGapCells * (int(answers.size()) - 1);
  const int clientCells = std::max(textLeft + textCells, rowCells) + kMarginCells;
  const int buttonRow = 1 + blockRows + 1;
  form->SetClientWidth(std::max(clientCells, textLeft + kMarginCells) * kCellWidth);
  form->SetClientHeight((buttonRow + 2) * kCellHeight);

  if (icon) {
    auto& image = form->Add<TImage>("Image");
    image.SetBounds(kMarginCells * kCellWidth, kCellHeight, kIconCells * kCellWidth,
                    2 * kCellHeight);
    image.SetIcon(icon);
  }
  auto& label = form->Add<TLabel>("Message");
  label.SetWordWrap(true);
  label.SetAutoSize(false);
  label.SetCaption(text);
  label.SetBounds(textLeft * kCellWidth, kCellHeight, std::max(1, textCells) * kCellWidth,
                  textRows * kCellHeight);

  size_t defaultIndex = (flags & MB_DEFMASK) >> 8;
  if (defaultIndex >= answers.size()) defaultIndex = 0;
  const int declining = DecliningAnswer(answers);
  int x = (form->ClientWidth() / kCellWidth - rowCells) / 2;
  for (size_t i = 0; i < answers.size(); ++i) {
    const std::string buttonCaption = AnswerCaption(answers[i]);
    auto& button = form->Add<TButton>("Button" + std::to_string(answers[i]));
    button.SetCaption(buttonCaption);
    button.SetModalResult(answers[i]);
    button.SetDefault(i == defaultIndex);
    button.SetCancel(answers[i] == declining);
    button.SetBounds(x * kCellWidth, buttonRow * kCellHeight,
                     ButtonCells(buttonCaption) * kCellWidth, kCellHeight);
    if (i == defaultIndex) form->SetActiveControl(&button);
    x += ButtonCells(buttonCaption) + kButtonGapCells;
  }
  return form;
}
