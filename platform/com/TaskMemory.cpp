#include "platform/com/TaskMemory.h"

#include <cstdlib>

void* CoTaskMemAlloc(size_t size) { return std::malloc(size == 0 ? 1 : size); }

void* CoTaskMemRealloc(void* block, size_t size) {
  return std::realloc(block, size == 0 ? 1 : size);
}

void CoTaskMemFree(void* block) { std::free(block); }

char16_t* CoTaskMemStrDup(std::u16string_view text) {
  auto* copy = static_cast<char16_t*>(CoTaskMemAlloc((text.size() + 1) * sizeof(char16_t)));
  if (copy == nullptr) return nullptr;
  text.copy(copy, text.size());
  copy[text.size()] = u'\0';
  return copy;
}
