#include "console/tui/TerminalPresenter.h"

#include "console/tui/FolderPicker.h"
#include "console/tui/FormSession.h"
#include "console/tui/FormView.h"
#include "console/tui/Glyphs.h"
#include "console/tui/MessageBoxForm.h"
#include "platform/ui/Form.h"
#include "platform/ui/Screen.h"

namespace {

// Keeps a layer on the presenter's stack for a scope.
class LayerScope {
 public:
  LayerScope(std::vector<const TTerminalPresenter::Painter*>& layers,
             const TTerminalPresenter::Painter& layer)
      : layers_(layers) {
    layers_.push_back(&layer);
  }
  ~LayerScope() { layers_.pop_back(); }
  LayerScope(const LayerScope&) = delete;
  LayerScope& operator=(const LayerScope&) = delete;

 private:
  std::vector<const TTerminalPresenter::Painter*>& layers_;
};

}  // namespace

TTerminalPresenter::TTerminalPresenter(ITerminalIO& terminal, Painter background,
                                       std::function<void()> idle)
    : terminal_(terminal), background_(std::move(background)), idle_(std::move(idle)) {}

TCellGrid TTerminalPresenter::Compose() const {
  TCellGrid grid(terminal_.Width(), terminal_.Height());
  if (background_) background_(grid);
  grid.SetCursor(std::nullopt);
  for (const Painter* layer : layers_) (*layer)(grid);
  if (!refusal_.empty() && grid.Height() > 0) {
    grid.Put(0, grid.Height() - 1, FitText(refusal_, grid.Width()), TCellStyle::Mark);
  }
  return grid;
}

void TTerminalPresenter::Run(const Painter& layer, const std::function<bool(const TKey&)>& handle) {
  LayerScope scope(layers_, layer);
  refusal_.clear();
  for (;;) {
    Screen().SetSize(terminal_.Width() * kCellWidth, terminal_.Height() * kCellHeight);
    terminal_.Show(Compose());
    const TKey key = terminal_.Read(kIdleMs);
    if (key.Is(TKeyCode::None)) {
      if (idle_) idle_();
      continue;
    }
    if (key.Is(TKeyCode::Resize)) continue;
    refusal_.clear();
    if (handle(key)) return;
  }
}

TModalResult TTerminalPresenter::ShowModal(TForm& form) {
  TFormSession session(form);
  const Painter layer = [&](TCellGrid& grid) {
    DrawForm(grid, TFormLayout(form, grid.Width(), grid.Height()), session.ViewState());
  };
  if (form.ModalResult() == mrNone) {
    Run(layer, [&](const TKey& key) {
      const TFormLayout layout(form, terminal_.Width(), terminal_.Height());
      // A form that is not drawn takes no keys but the one that cancels it.
      if (!layout.Fits() && !key.Is(TKeyCode::Escape)) {
        refusal_ = "The terminal is too small for this form";
        terminal_.Beep();
      } else if (!session.HandleKey(key, layout)) {
        refusal_ = session.Refusal();
        terminal_.Beep();
      }
      return form.ModalResult() != mrNone;
    });
  }
  return form.ModalResult();
}

int TTerminalPresenter::MessageBox(const std::string& text, const std::string& caption,
                                   uint32_t flags) {
  Screen().SetSize(terminal_.Width() * kCellWidth, terminal_.Height() * kCellHeight);
  std::unique_ptr<TForm> form = CreateMessageBoxForm(text, caption, flags);
  if (!form) return 0;
  TPresenterScope scope(*this);
  return form->ShowModal();
}

std::optional<std::string> TTerminalPresenter::BrowseForFolder(const std::string& caption,
                                                               const std::string& root) {
  TFolderPicker picker(caption, root);
  const Painter layer = [&](TCellGrid& grid) { picker.Draw(grid); };
  TFolderPicker::TOutcome outcome = TFolderPicker::TOutcome::Browsing;
  Run(layer, [&](const TKey& key) {
    outcome = picker.HandleKey(key, terminal_.Width(), terminal_.Height());
    return outcome != TFolderPicker::TOutcome::Browsing;
  });
  if (outcome == TFolderPicker::TOutcome::Chosen) return picker.Chosen();
  return std::nullopt;
}
