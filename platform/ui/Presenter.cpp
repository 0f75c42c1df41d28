#include "platform/ui/Presenter.h"

#include "platform/ui/NonInteractivePresenter.h"

namespace {

IModalPresenter*& Installed() {
  static IModalPresenter* presenter = nullptr;
  return presenter;
}

}  // namespace

IModalPresenter& ModalPresenter() {
  static TNonInteractivePresenter fallback;
  IModalPresenter* installed = Installed();
  return installed ? *installed : fallback;
}

IModalPresenter* SetModalPresenter(IModalPresenter* presenter) {
  IModalPresenter* previous = Installed();
  Installed() = presenter;
  return previous;
}

std::optional<std::string> BrowseForFolder(const std::string& caption, const std::string& root) {
  return ModalPresenter().BrowseForFolder(caption, root);
}
