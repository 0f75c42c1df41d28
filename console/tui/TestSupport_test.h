#pragma once
// Shared pieces of the terminal front end's tests: a small logon form and a
// scripted terminal.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "console/tui/TerminalIO.h"
#include "platform/ui/Form.h"
#include "platform/ui/Presenter.h"
#include "platform/ui/StdCtrls.h"

// Row `y` of `grid` without its trailing blanks.
inline std::string Line(const TCellGrid& grid, int y) {
  std::string row = grid.Row(y);
  row.erase(row.find_last_not_of(' ') + 1);
  return row;
}

// A form with two labelled edits (the second masked) and OK / Cancel, laid
// out on a 160 x 96 pixel client area at the top left.
struct LogonForm {
  LogonForm() {
    form.SetCaption("Logon");
    form.SetBorderStyle(bsDialog);
    form.SetClientWidth(160);
    form.SetClientHeight(96);
    user.SetBounds(48, 0, 104, 21);
    userLabel.SetLeft(8);
    userLabel.SetTop(1);
    userLabel.SetCaption("User:");
    userLabel.SetFocusControl(&user);
    password.SetBounds(88, 18, 64, 21);
    password.SetPasswordChar('*');
    passwordLabel.SetLeft(8);
    passwordLabel.SetTop(20);
    passwordLabel.SetCaption("Password:");
    ok.SetCaption("OK");
    ok.SetBounds(16, 64, 64, 25);
    ok.SetDefault(true);
    ok.SetModalResult(mrOk);
    cancel.SetCaption("Cancel");
    cancel.SetBounds(88, 64, 64, 25);
    cancel.SetCancel(true);
    cancel.SetModalResult(mrCancel);
  }
  TForm form;
  TEdit& user = form.Add<TEdit>("UserEdit");
  TLabel& userLabel = form.Add<TLabel>("UserLabel");
  TEdit& password = form.Add<TEdit>("PasswordEdit");
  TLabel& passwordLabel = form.Add<TLabel>("PasswordLabel");
  TButton& ok = form.Add<TButton>("OK");
  TButton& cancel = form.Add<TButton>("Cancel");
};

// A terminal of a fixed size that plays back keys and keeps every screen it
// was shown. When the keys run out it answers Escape, so a test that
// expects more than it scripted ends instead of waiting forever.
class ScriptedTerminal : public ITerminalIO {
 public:
  ScriptedTerminal(int width, int height) : width_(width), height_(height) {}
  void Queue(std::vector<TKey> keys) { keys_.insert(keys_.end(), keys.begin(), keys.end()); }

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void Show(const TCellGrid& grid) override { screens.push_back(grid); }
  TKey Read(int) override {
    if (keys_.empty()) {
      ++exhausted;
      return TKey::Named(TKeyCode::Escape);
    }
    TKey key = keys_.front();
    keys_.pop_front();
    return key;
  }
  void Beep() override { ++beeps; }

  void Resize(int width, int height) {
    width_ = width;
    height_ = height;
  }
  std::vector<TCellGrid> screens;
  int beeps = 0;
  int exhausted = 0;

 private:
  int width_;
  int height_;
  std::deque<TKey> keys_;
};
