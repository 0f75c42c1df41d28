#include "objectmodel/KRAPI_UNT_Fake.h"

#include "platform/text/Utf.h"

std::string kr_fake_detail::ConvertArgumentText(const char16_t* text) {
  return Utf16ToUtf8(std::u16string_view(text));
}

TKRFakeAPI* TKRFakeAPI::current_ = nullptr;

TKRFakeAPI::TKRFakeAPI() {
#define KR_API_FAKE_ENTRY(name)                   \
  table_.name = &Trampoline<TKRAPIFunction::name, \
                            kr_fake_detail::Entry<TKRAPIFunction::name>::Pointer>::Call;
  KR_API_FUNCTIONS(KR_API_FAKE_ENTRY)
#undef KR_API_FAKE_ENTRY
  current_ = this;
  previous_ = InstallAPITable(&table_);
}

TKRFakeAPI::~TKRFakeAPI() {
  InstallAPITable(previous_);
  current_ = nullptr;
}

void TKRFakeAPI::Record(TKRAPIFunction function, std::string text) {
  std::lock_guard lock(mutex_);
  calls_.push_back({function, std::move(text)});
}

std::vector<std::string> TKRFakeAPI::Calls() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> texts;
  for (const TKRRecordedCall& call : calls_) texts.push_back(call.text);
  return texts;
}

std::vector<std::string> TKRFakeAPI::CallsOf(TKRAPIFunction function) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> texts;
  for (const TKRRecordedCall& call : calls_) {
    if (call.function == function) texts.push_back(call.text);
  }
  return texts;
}

int TKRFakeAPI::CountOf(TKRAPIFunction function) const { return int(CallsOf(function).size()); }

void TKRFakeAPI::ClearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}
