#pragma once
// TTerminalPresenter: the presenter of platform/ui on the terminal. Modal
// forms are drawn from the form model over what lies beneath (the main
// screen, then the modal windows opened before, innermost last) and driven by
// TFormSession; a message box is a form of its own (CreateMessageBoxForm);
// the folder browser is a TFolderPicker. Each waits for keys on the
// terminal and runs `idle` whenever no key came within a short wait, so that
// posted messages keep being dispatched while a modal window is open. A
// refused key beeps and shows the reason on the bottom row. A form larger
// than the terminal is not drawn (DrawForm says what it needs) and takes
// only Esc until the terminal grows. The screen's
// size (Screen()) follows the terminal's, so centred forms are centred on it.

#include <functional>
#include <vector>

#include "console/tui/CellGrid.h"
#include "console/tui/TerminalIO.h"
#include "platform/ui/Presenter.h"

class TTerminalPresenter : public IModalPresenter {
 public:
  using Painter = std::function<void(TCellGrid&)>;

  TTerminalPresenter(ITerminalIO& terminal, Painter background, std::function<void()> idle);

  TModalResult ShowModal(TForm& form) override;
  int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override;
  std::optional<std::string> BrowseForFolder(const std::string& caption,
                                             const std::string& root) override;

  // Draws the background and the open modal windows into a grid of the
  // terminal's size.
  TCellGrid Compose() const;
  // How long one wait for a key lasts before `idle` runs.
  static constexpr int kIdleMs = 200;

 private:
  // Shows the screen with `layer` on top until `handle` answers true;
  // `handle` gets every key but the timeouts and resizes.
  void Run(const Painter& layer, const std::function<bool(const TKey&)>& handle);

  ITerminalIO& terminal_;
  Painter background_;
  std::function<void()> idle_;
  std::vector<const Painter*> layers_;
  std::string refusal_;
};
